#include "core/cells/BenchInventory.h"

#include <QPromise>
#include <QSqlDatabase>
#include <QSqlError>
#include <QThreadPool>
#include <QUuid>
#include <memory>

#include "core/cells/SqlValues.h"

namespace {

// The journal is read in pieces, so that a long time away needs little memory to upload.
constexpr int UploadPiece = 200;

// Whether the server answers at all, on a connection of the calling thread's own.
bool Answers(const DatabaseLocation& where) {
    const QString name = Sql::connectionName(QStringLiteral("probe"));
    bool answers = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(where.driver(), name);
        where.configure(db);
        answers = db.open() || !Inventory::Unreachable(db.lastError().text());
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return answers;
}

}  // namespace

BenchInventory::BenchInventory(QObject* parent) : QObject(parent) {
    retry_.setInterval(RetryMs);
    connect(&retry_, &QTimer::timeout, this, &BenchInventory::retry);
    connect(&probe_, &QFutureWatcher<bool>::finished, this, [this] {
        if (!online_ && probe_.future().result()) {
            upload();
        }
    });
}

BenchInventory::~BenchInventory() {
    // A probe still out holds only its own copy of the address; its answer goes nowhere.
    probe_.disconnect(this);
}

void BenchInventory::retry() {
    if (online_) {
        upload();  // reached, but refused or cut off in an upload: try the upload itself again
        return;
    }
    if (probe_.isRunning()) {
        return;
    }
    auto promise = std::make_shared<QPromise<bool>>();
    probe_.setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, where = location_] {
        promise->addResult(Answers(where));
        promise->finish();
    });
}

void BenchInventory::setRetryInterval(int ms) {
    retry_.setInterval(ms);
}

QString BenchInventory::serverName() const {
    return location_.host.isEmpty() ? QStringLiteral("the server") : location_.host;
}

bool BenchInventory::open(const QString& location) {
    error_.clear();
    const auto parsed = DatabaseLocation::Parse(location, &error_);
    if (!parsed) {
        return false;
    }
    location_ = *parsed;
    if (!location_.isServer()) {
        online_ = inventory_.open(location);
        error_ = inventory_.error();
        return online_;
    }
    if (!journal_.open(journalFile_.isEmpty() ? Journal::LocationFor(location_) : journalFile_)) {
        error_ = journal_.error();
        return false;
    }
    if (connectServer()) {
        upload();
        return true;
    }
    if (!inventory_.unreachable()) {
        error_ = inventory_.error();
        return false;
    }
    goAway(inventory_.error());
    return true;
}

bool BenchInventory::connectServer() {
    if (!inventory_.open(location_.text)) {
        return false;
    }
    online_ = true;
    profiles_.clear();
    for (const Profile& p : inventory_.profiles()) {
        profiles_.insert(p.name, p);
    }
    return true;
}

void BenchInventory::goAway(const QString& why) {
    online_ = false;
    awayReason_ = why.simplified();
    inventory_.close();
    if (!retry_.isActive()) {
        retry_.start();
    }
    sayAway();
}

void BenchInventory::sayAway() {
    const bool said = !status_.isEmpty();
    const QString line = QStringLiteral(
                             "%1 cannot be reached (%2): captures are kept on this "
                             "bench, %3 waiting; trying again every %4 s")
                             .arg(serverName(), awayReason_, QString::number(journal_.waiting()),
                                  QString::number(retry_.interval() / 1000.0));
    if (said) {
        // Said once; the count of waiting captures stays current for a window that shows it.
        status_ = line;
        return;
    }
    setStatus(line);
}

void BenchInventory::keepTrying(const QString& pattern) {
    setStatus(pattern.arg(serverName(), inventory_.error().simplified(),
                          QString::number(journal_.waiting())));
    if (!retry_.isActive()) {
        retry_.start();
    }
}

void BenchInventory::setStatus(const QString& line) {
    if (line == status_) {
        return;
    }
    status_ = line;
    Q_EMIT statusChanged(line);
}

int BenchInventory::waiting() {
    return isServer() ? journal_.waiting() : 0;
}

bool BenchInventory::upload() {
    if (!isServer()) {
        return true;
    }
    if (!online_) {
        if (!connectServer()) {
            if (inventory_.unreachable()) {
                goAway(inventory_.error());
            } else {
                // Reached, but refused: say why, and keep trying, nothing is dropped.
                keepTrying(
                    QStringLiteral("%1 refuses this bench (%2): captures are kept on "
                                   "this bench, %3 waiting"));
            }
            return false;
        }
    }
    int uploaded = 0;
    for (;;) {
        const QVector<Journal::Entry> piece = journal_.head(UploadPiece);
        if (piece.isEmpty()) {
            break;
        }
        for (const Journal::Entry& e : piece) {
            bool done = false;
            if (e.deletion) {
                done = inventory_.setDeleted(e.uuid, e.deleted);
            } else {
                done = !inventory_.add(e.capture, e.replaces).isEmpty() ||
                       inventory_.measurement(e.capture.uuid).has_value();
            }
            if (!done) {
                if (!inventory_.reachable()) {
                    goAway(inventory_.error());
                } else {
                    keepTrying(QStringLiteral(
                        "%1 did not take a capture kept on this bench (%2): %3 waiting"));
                }
                return false;
            }
            // On the server now; if the program ends before this, the next upload finds the
            // capture's UUID there and stores it no second time.
            if (!journal_.remove(e.sequence)) {
                error_ = journal_.error();
                return false;
            }
            ++uploaded;
        }
    }
    retry_.stop();
    if (uploaded > 0 || !status_.isEmpty()) {
        // The time away was said, so its end is too, once; all is well again after it.
        status_.clear();
        QString line = QStringLiteral("%1 is back").arg(serverName());
        if (uploaded > 0) {
            line += QStringLiteral(": %1 kept on this bench uploaded")
                        .arg(uploaded == 1 ? QStringLiteral("1 capture")
                                           : QStringLiteral("%1 captures").arg(uploaded));
        }
        Q_EMIT statusChanged(line);
    }
    return true;
}

std::optional<QString> BenchInventory::takeId(const QString& prefix) {
    for (;;) {
        if (online_ && journal_.numbersLeft(prefix) < ReserveBlock / 2) {
            if (const auto first = inventory_.reserveNumbers(prefix, ReserveBlock)) {
                journal_.addNumbers(prefix, *first, *first + ReserveBlock - 1);
            }
        }
        const std::optional<qint64> number = journal_.takeNumber(prefix);
        if (!number) {
            error_ = online_ ? QStringLiteral(
                                   "no number could be reserved for the prefix "
                                   "\"%1\": %2")
                                   .arg(prefix, inventory_.error())
                             : QStringLiteral(
                                   "%1 cannot be reached and this bench has no "
                                   "number left for the prefix \"%2\": type or scan "
                                   "the cell's ID")
                                   .arg(serverName(), prefix);
            return std::nullopt;
        }
        const QString id = Inventory::IdFor(prefix, *number);
        // A number someone typed as an ID is skipped, as far as the server can tell.
        if (!online_ || !inventory_.cell(id)) {
            return id;
        }
    }
}

void BenchInventory::remember(const NewMeasurement& m, const QString& cellId) {
    stored_.insert(m.uuid, Stored{cellId, m.session, false});
}

QString BenchInventory::add(NewMeasurement m, const QString& replaces) {
    error_.clear();
    if (!isServer()) {
        const QString id = inventory_.add(m, replaces);
        error_ = inventory_.error();
        return id;
    }
    if (m.uuid.isEmpty()) {
        m.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    }
    if (!m.time.isValid()) {
        m.time = QDateTime::currentDateTime();
    }
    m.cellId = m.cellId.trimmed();
    if (m.cellId.isEmpty()) {
        const std::optional<QString> id = takeId(m.prefix);
        if (!id) {
            return QString();
        }
        m.cellId = *id;
    }
    if (online_ && journal_.waiting() == 0) {
        const QString id = inventory_.add(m, replaces);
        if (!id.isEmpty()) {
            remember(m, id);
            return id;
        }
        if (inventory_.reachable()) {
            error_ = inventory_.error();
            return QString();
        }
        // Perhaps stored before the line broke: the upload then finds its UUID.
        goAway(inventory_.error());
    }
    if (!journal_.addCapture(m, replaces)) {
        error_ = journal_.error();
        return QString();
    }
    remember(m, m.cellId);
    if (online_) {
        upload();
    } else {
        sayAway();
    }
    return m.cellId;
}

bool BenchInventory::setDeleted(const QString& uuid, bool deleted) {
    error_.clear();
    if (!isServer()) {
        const bool done = inventory_.setDeleted(uuid, deleted);
        error_ = inventory_.error();
        return done;
    }
    if (online_ && journal_.waiting() == 0) {
        if (inventory_.setDeleted(uuid, deleted)) {
            stored_[uuid].deleted = deleted;
            return true;
        }
        if (inventory_.reachable()) {
            error_ = inventory_.error();
            return false;
        }
        goAway(inventory_.error());
    }
    if (!journal_.addDeletion(uuid, deleted)) {
        error_ = journal_.error();
        return false;
    }
    if (stored_.contains(uuid)) {
        stored_[uuid].deleted = deleted;
    }
    if (online_) {
        upload();
    }
    return true;
}

bool BenchInventory::measuredInSession(const QString& cellId, const QString& session) {
    for (const Stored& s : std::as_const(stored_)) {
        if (!s.deleted && s.cellId == cellId && s.session == session) {
            return true;
        }
    }
    return online_ && inventory_.measuredInSession(cellId, session);
}

std::optional<Measurement> BenchInventory::firstMeasurement(const QString& cellId) {
    return online_ ? inventory_.firstMeasurement(cellId) : std::nullopt;
}

bool BenchInventory::isOpen() const {
    return isServer() ? journal_.isOpen() : inventory_.isOpen();
}

QVector<Profile> BenchInventory::profiles() {
    if (!isServer() || online_) {
        return inventory_.profiles();
    }
    QVector<Profile> kept(profiles_.cbegin(), profiles_.cend());
    std::sort(kept.begin(), kept.end(),
              [](const Profile& a, const Profile& b) { return a.name < b.name; });
    return kept;
}

std::optional<Profile> BenchInventory::profile(const QString& name) {
    if (!isServer() || online_) {
        return inventory_.profile(name);
    }
    const auto found = profiles_.constFind(name);
    return found == profiles_.constEnd() ? std::nullopt : std::optional<Profile>(*found);
}

bool BenchInventory::reachableForProfiles() {
    error_.clear();
    if (isServer() && !online_) {
        error_ = QStringLiteral(
                     "%1 cannot be reached (%2); profiles are changed on the server "
                     "only: try again when it is back")
                     .arg(serverName(), awayReason_);
        return false;
    }
    return true;
}

bool BenchInventory::profileChange(bool done) {
    if (done) {
        return true;
    }
    error_ = inventory_.error();
    // Gone in the middle: the bench goes on away from it, and says so as a capture would.
    if (isServer() && !inventory_.reachable()) {
        goAway(error_);
    }
    return false;
}

bool BenchInventory::saveProfile(const Profile& profile) {
    if (!reachableForProfiles() || !profileChange(inventory_.saveProfile(profile))) {
        return false;
    }
    profiles_.insert(profile.name, profile);
    return true;
}

bool BenchInventory::removeProfile(const QString& name) {
    if (!reachableForProfiles() || !profileChange(inventory_.removeProfile(name))) {
        return false;
    }
    profiles_.remove(name);
    return true;
}

QString BenchInventory::nextFreeId(const QString& prefix) {
    if (!isServer()) {
        return inventory_.nextFreeId(prefix);
    }
    if (const auto number = journal_.peekNumber(prefix)) {
        return Inventory::IdFor(prefix, *number);
    }
    return QString();
}
