#include "core/cells/Inventory.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>
#include <cmath>
#include <limits>

#include "core/cells/Csv.h"
#include "core/cells/DatabaseLocation.h"
#include "core/cells/SqlValues.h"
#include "platform/TextRules.h"

namespace {

// Seconds a writer waits for another program's transaction on the same file.
constexpr int BusyTimeoutMs = 30000;
constexpr int IdDigits = 4;
constexpr double MsPerDay = 86400000.0;

// A cell's latest measurement that is not deleted, kept in cells.latest so that a list of every
// cell finds it by its key instead of searching each cell's measurements. Every write that adds
// a measurement or marks one deleted sets it again through this, in the same transaction.
const QString SetLatest = QStringLiteral(
    "UPDATE cells SET latest = (SELECT x.uuid FROM measurements x WHERE x.cell_id = cells.id AND "
    "x.deleted = 0 ORDER BY x.time_ms DESC, x.seq DESC LIMIT 1)");

// Each migration takes the schema from the version before it to its own number. The first is
// the schema as it was first released and is never changed.
const QStringList Migrations[] = {
    {
        QStringLiteral("CREATE TABLE profiles (name VARCHAR(200) PRIMARY KEY, ir_pass DOUBLE "
                       "PRECISION, ir_fail DOUBLE PRECISION, volt_pass_min DOUBLE PRECISION, "
                       "volt_pass_max DOUBLE PRECISION, volt_warn_min DOUBLE PRECISION, "
                       "volt_warn_max DOUBLE PRECISION, notes TEXT NOT NULL DEFAULT '')"),
        QStringLiteral("CREATE TABLE cells (id VARCHAR(64) PRIMARY KEY, profile VARCHAR(200), "
                       "capacity_mah DOUBLE PRECISION, notes TEXT NOT NULL DEFAULT '')"),
        QStringLiteral(
            "CREATE TABLE measurements (uuid VARCHAR(36) PRIMARY KEY, cell_id VARCHAR(64) NOT "
            "NULL REFERENCES cells (id), time_ms BIGINT NOT NULL, utc_offset INTEGER NOT NULL, "
            "milliohms DOUBLE PRECISION, volts DOUBLE PRECISION, ohm_text VARCHAR(16) NOT NULL, "
            "ohm_unit VARCHAR(8) NOT NULL, volt_text VARCHAR(16) NOT NULL, verdict VARCHAR(4) NOT "
            "NULL, reasons TEXT NOT NULL, bin VARCHAR(200), session VARCHAR(36) NOT NULL, port "
            "VARCHAR(200) NOT NULL, deleted INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE INDEX measurements_by_cell ON measurements (cell_id, time_ms)"),
    },
    {
        QStringLiteral("ALTER TABLE profiles ADD COLUMN self_discharge_max DOUBLE PRECISION"),
        QStringLiteral(
            "ALTER TABLE profiles ADD COLUMN bin_on VARCHAR(10) NOT NULL DEFAULT 'resistance'"),
        // up_to NULL: the open last bin.
        QStringLiteral("CREATE TABLE profile_bins (profile VARCHAR(200) NOT NULL REFERENCES "
                       "profiles (name) ON DELETE CASCADE, position INTEGER NOT NULL, name "
                       "VARCHAR(200) NOT NULL, up_to DOUBLE PRECISION, PRIMARY KEY (profile, "
                       "position))"),
        QStringLiteral("CREATE TABLE packs (name VARCHAR(200) PRIMARY KEY, created_ms BIGINT NOT "
                       "NULL)"),
        QStringLiteral("ALTER TABLE cells ADD COLUMN pack VARCHAR(200)"),
        QStringLiteral("ALTER TABLE cells ADD COLUMN pack_group INTEGER"),
        QStringLiteral("ALTER TABLE cells ADD COLUMN pack_slot INTEGER"),
        QStringLiteral("ALTER TABLE measurements ADD COLUMN seq INTEGER NOT NULL DEFAULT 0"),
        QStringLiteral("ALTER TABLE measurements ADD COLUMN host VARCHAR(200) NOT NULL DEFAULT ''"),
        QStringLiteral("ALTER TABLE measurements ADD COLUMN remeasure INTEGER NOT NULL DEFAULT 0"),
        // The number after the last one handed out for a prefix.
        QStringLiteral("CREATE TABLE id_counters (prefix VARCHAR(64) PRIMARY KEY, next_number "
                       "BIGINT NOT NULL)"),
        // The export's order, read straight off the index.
        QStringLiteral("CREATE INDEX measurements_by_time ON measurements (time_ms, session, seq)"),
        // A cell's latest measurement that is not deleted, for the list: one index step.
        QStringLiteral(
            "CREATE INDEX measurements_latest ON measurements (cell_id, deleted, time_ms, seq)"),
        QStringLiteral("CREATE INDEX measurements_by_session ON measurements (session, seq)"),
        QStringLiteral("CREATE INDEX cells_by_pack ON cells (pack)"),
    },
    {
        QStringLiteral("ALTER TABLE cells ADD COLUMN latest VARCHAR(36)"),
        SetLatest,
    },
};
static_assert(std::size(Migrations) == Inventory::SchemaVersion);

const QString MeasurementColumns = QStringLiteral(
    "m.uuid, m.cell_id, m.time_ms, m.utc_offset, m.milliohms, m.volts, m.ohm_text, m.ohm_unit, "
    "m.volt_text, m.verdict, m.reasons, m.bin, m.session, m.seq, m.host, m.port, m.remeasure, "
    "m.deleted");
constexpr int MeasurementColumnCount = 18;

const QString CellColumns =
    QStringLiteral("c.id, c.profile, c.capacity_mah, c.notes, c.pack, c.pack_group, c.pack_slot");
constexpr int CellColumnCount = 7;

// The latest measurement of cell c that is not deleted.
const QString LatestJoin = QStringLiteral(" LEFT JOIN measurements m ON m.uuid = c.latest");
// The cells whose latest SetLatest sets again: one by its ID, or the one a measurement is of.
const QString CellById = QStringLiteral(" WHERE id = ?");
const QString CellOfMeasurement =
    QStringLiteral(" WHERE id IN (SELECT cell_id FROM measurements WHERE uuid = ?)");

const QString SetCapacity = QStringLiteral("UPDATE cells SET capacity_mah = ? WHERE id = ?");

using Sql::number;
using Sql::numberAt;
using Sql::text;

QVariant optionalNumber(const std::optional<double>& value) {
    return value ? number(*value) : QVariant(QMetaType::fromType<double>());
}

std::optional<double> optionalAt(const QSqlQuery& query, int column) {
    const QVariant value = query.value(column);
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

Measurement measurementAt(const QSqlQuery& query, int at) {
    Measurement m;
    m.uuid = query.value(at).toString();
    m.cellId = query.value(at + 1).toString();
    m.time = QDateTime::fromMSecsSinceEpoch(query.value(at + 2).toLongLong(), Qt::OffsetFromUTC,
                                            query.value(at + 3).toInt());
    m.milliohms = numberAt(query, at + 4);
    m.volts = numberAt(query, at + 5);
    m.ohmText = query.value(at + 6).toString();
    m.ohmUnit = query.value(at + 7).toString();
    m.voltText = query.value(at + 8).toString();
    m.verdict = ParseVerdict(query.value(at + 9).toString()).value_or(Verdict::Fail);
    const QString reasons = query.value(at + 10).toString();
    m.reasons = reasons.isEmpty() ? QStringList() : reasons.split(u'\n');
    m.bin = query.value(at + 11).toString();
    m.session = query.value(at + 12).toString();
    m.sequence = query.value(at + 13).toInt();
    m.host = query.value(at + 14).toString();
    m.port = query.value(at + 15).toString();
    m.remeasure = query.value(at + 16).toInt() != 0;
    m.deleted = query.value(at + 17).toInt() != 0;
    return m;
}

Cell cellAt(const QSqlQuery& query) {
    Cell cell;
    cell.id = query.value(0).toString();
    cell.profile = query.value(1).toString();
    cell.capacityMah = optionalAt(query, 2);
    cell.notes = query.value(3).toString();
    cell.pack = query.value(4).toString();
    if (!query.value(5).isNull()) {
        cell.group = query.value(5).toInt();
    }
    if (!query.value(6).isNull()) {
        cell.slot = query.value(6).toInt();
    }
    return cell;
}

// The number after a prefix in an ID, or -1 when the rest is not all digits.
qint64 numberAfter(const QString& id, const QString& prefix) {
    const QStringView rest = QStringView(id).mid(prefix.size());
    if (rest.isEmpty() || rest.size() > 15) {
        return -1;
    }
    for (const QChar c : rest) {
        if (c < u'0' || c > u'9') {
            return -1;
        }
    }
    return rest.toLongLong();
}

QString idFor(const QString& prefix, qint64 number) {
    return prefix + QStringLiteral("%1").arg(number, IdDigits, 10, QLatin1Char('0'));
}

// A LIKE pattern for "starts with prefix", with '!' as its escape.
QString startsWith(const QString& prefix) {
    QString escaped = prefix;
    escaped.replace(u'!', QStringLiteral("!!"));
    escaped.replace(u'%', QStringLiteral("!%"));
    escaped.replace(u'_', QStringLiteral("!_"));
    return escaped + u'%';
}

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

}  // namespace

Inventory::Inventory() : connection_(Sql::connectionName(QStringLiteral("inventory"))) {}

Inventory::~Inventory() {
    close();
}

QString Inventory::DefaultLocation() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kelvomark/cells.sqlite");
}

QSqlDatabase Inventory::database() const {
    return QSqlDatabase::database(connection_, false);
}

bool Inventory::isOpen() const {
    return QSqlDatabase::contains(connection_) && database().isOpen();
}

void Inventory::close() {
    if (QSqlDatabase::contains(connection_)) {
        {
            QSqlDatabase db = database();
            db.close();
        }
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool Inventory::exec(QSqlQuery& query) {
    if (query.exec()) {
        return true;
    }
    error_ = query.lastError().text();
    return false;
}

bool Inventory::fail(const QString& what, const QSqlQuery& query) {
    error_ = what + QStringLiteral(": ") + query.lastError().text();
    return false;
}

bool Inventory::begin() {
    QSqlDatabase db = database();
    if (db.driverName() == u"QSQLITE") {
        // Take the write lock at the start, waiting for another program's transaction through
        // the busy timeout; a deferred transaction that read first could not wait for it.
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            return fail(QStringLiteral("cannot start a transaction"), query);
        }
        return true;
    }
    if (!db.transaction()) {
        error_ = QStringLiteral("cannot start a transaction: ") + db.lastError().text();
        return false;
    }
    return true;
}

bool Inventory::commit() {
    QSqlDatabase db = database();
    if (!db.commit()) {
        error_ = QStringLiteral("cannot commit: ") + db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

void Inventory::rollback() {
    database().rollback();
}

bool Inventory::open(const QString& location) {
    close();
    error_.clear();
    location_ = location;
    server_ = DatabaseLocation::IsServerUri(location);
    unreachable_ = false;
    if (server_) {
        return openServer(location);
    }
    if (!openSqlite(location) || !migrate()) {
        close();
        return false;
    }
    return true;
}

bool Inventory::openSqlite(const QString& location) {
    const QFileInfo info(location);
    if (info.exists() && !info.isFile()) {
        error_ = QStringLiteral("%1 is not a file").arg(location);
        return false;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        error_ = QStringLiteral("cannot make the folder %1").arg(info.absolutePath());
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    if (!db.isValid()) {
        error_ = QStringLiteral(
            "the SQLite driver of Qt SQL is missing (Debian package libqt6sql6-sqlite)");
        return false;
    }
    db.setDatabaseName(location);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!db.open()) {
        error_ = QStringLiteral("cannot open %1: %2").arg(location, db.lastError().text());
        return false;
    }
    QSqlQuery query(db);
    // FULL makes each commit reach the disk before it returns, so an announced capture survives
    // a power cut. A cache of 32 MB holds the indexes a list of 100,000 cells walks.
    for (const QString& pragma :
         {QStringLiteral("PRAGMA synchronous=FULL"), QStringLiteral("PRAGMA foreign_keys=ON"),
          QStringLiteral("PRAGMA cache_size=-32768")}) {
        if (!query.exec(pragma)) {
            error_ = QStringLiteral("cannot open %1: %2").arg(location, query.lastError().text());
            return false;
        }
        query.finish();
    }
    // WAL lets a reader go on while another program writes. Switching a new file to it needs
    // the file to itself, and SQLite does not wait for that through the busy timeout when
    // another program is making the same new file at this moment: try again for a while.
    QDeadlineTimer deadline(BusyTimeoutMs);
    while (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) {
        if (deadline.hasExpired()) {
            error_ = QStringLiteral("cannot open %1: %2").arg(location, query.lastError().text());
            return false;
        }
        QThread::msleep(20);
    }
    query.finish();
    return true;
}

bool Inventory::openServer(const QString& location) {
    QString why;
    const std::optional<DatabaseLocation> parsed = DatabaseLocation::Parse(location, &why);
    if (!parsed) {
        error_ = QStringLiteral("cannot open %1: %2").arg(location, why);
        return false;
    }
    bool opened = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
        if (!db.isValid()) {
            error_ = QStringLiteral(
                "the PostgreSQL driver of Qt SQL is missing (Debian package "
                "libqt6sql6-psql)");
        } else {
            parsed->configure(db);
            opened = db.open();
        }
        if (db.isValid() && !opened) {
            const QString text = db.lastError().text();
            unreachable_ = Unreachable(text);
            error_ = QStringLiteral("cannot open %1: %2").arg(location, text.simplified());
        }
    }
    if (!opened) {
        close();
        return false;
    }
    {
        // The inventory's statements are short: compiling them (PostgreSQL's JIT, on by default
        // for costly plans such as a list of every cell) takes longer than it saves.
        QSqlQuery query(database());
        query.exec(QStringLiteral("SET jit = off"));
    }
    if (!migrate()) {
        close();
        return false;
    }
    return true;
}

bool Inventory::Unreachable(const QString& connectionError) {
    // The server answered and said no (a role, a database, a password) or it was not reached
    // at all; only the second is a time away to wait out. A server starting up or shutting
    // down answers, but is away all the same.
    const bool answered = connectionError.contains(QLatin1String("FATAL"));
    return !answered || connectionError.contains(QLatin1String("starting up")) ||
           connectionError.contains(QLatin1String("shutting down")) ||
           connectionError.contains(QLatin1String("too many"));
}

bool Inventory::reachable() {
    if (!server_) {
        return true;
    }
    QSqlDatabase db = database();
    if (!db.isOpen()) {
        return false;
    }
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT 1")) && query.next();
}

int Inventory::schemaVersion() {
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT version FROM schema_version")) || !query.next()) {
        return 0;
    }
    return query.value(0).toInt();
}

bool Inventory::migrate() {
    QSqlDatabase db = database();
    if (!begin()) {
        error_ = QStringLiteral("cannot open %1: %2").arg(location_, error_);
        return false;
    }
    if (server_) {
        // Benches that make the schema at once: one waits here for the other's transaction to
        // end, then finds the schema made. A file has its write lock from begin().
        QSqlQuery lock(db);
        if (!lock.exec(QStringLiteral("SELECT pg_advisory_xact_lock(7236712)"))) {
            rollback();
            return fail(QStringLiteral("cannot open %1").arg(location_), lock);
        }
    }
    int version = 0;
    {
        QSqlQuery query(db);
        if (db.tables().contains(QStringLiteral("schema_version"))) {
            if (!query.exec(QStringLiteral("SELECT version FROM schema_version"))) {
                rollback();
                return fail(QStringLiteral("cannot read the schema version"), query);
            }
            version = query.next() ? query.value(0).toInt() : 0;
            query.finish();
        } else if (!db.tables().isEmpty()) {
            rollback();
            error_ = QStringLiteral(
                         "%1 holds tables of something other than a cell inventory; "
                         "it was left as it is")
                         .arg(location_);
            return false;
        } else if (!query.exec(
                       QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)")) ||
                   !query.exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (0)"))) {
            rollback();
            return fail(QStringLiteral("cannot make the schema"), query);
        }
    }
    if (version > SchemaVersion) {
        rollback();
        error_ = QStringLiteral(
                     "the inventory %1 has schema version %2, newer than this "
                     "program knows (%3); it was left as it is: open it with a newer "
                     "Kelvomark")
                     .arg(location_, QString::number(version), QString::number(SchemaVersion));
        return false;
    }
    const bool fresh = version == 0;
    for (; version < SchemaVersion; ++version) {
        QSqlQuery query(db);
        for (const QString& statement : Migrations[version]) {
            if (!query.exec(statement)) {
                rollback();
                return fail(
                    QStringLiteral("cannot bring the schema to version %1").arg(version + 1),
                    query);
            }
        }
        query.prepare(QStringLiteral("UPDATE schema_version SET version = ?"));
        query.addBindValue(version + 1);
        if (!exec(query)) {
            rollback();
            return false;
        }
    }
    if (!commit()) {
        return false;
    }
    if (fresh) {
        // A new inventory starts with the example profiles, to adapt or remove.
        for (const Profile& example : Profile::Examples()) {
            if (!saveProfile(example)) {
                return false;
            }
        }
    }
    return true;
}

QStringList Inventory::MigrationStatements(int version) {
    if (version < 1 || version > SchemaVersion) {
        return {};
    }
    return Migrations[version - 1];
}

std::optional<qint64> Inventory::takeNumbers(const QString& prefix, int count) {
    QSqlQuery query(database());
    for (int attempt = 0; attempt < 100; ++attempt) {
        query.prepare(QStringLiteral(
            "UPDATE id_counters SET next_number = next_number + ? WHERE prefix = ?"));
        query.addBindValue(count);
        query.addBindValue(prefix);
        if (!exec(query)) {
            return std::nullopt;
        }
        if (query.numRowsAffected() == 1) {
            query.prepare(QStringLiteral("SELECT next_number FROM id_counters WHERE prefix = ?"));
            query.addBindValue(prefix);
            if (!exec(query) || !query.next()) {
                return std::nullopt;
            }
            return query.value(0).toLongLong() - count;
        }
        // The first number of this prefix in this inventory: after the highest taken.
        query.prepare(QStringLiteral("SELECT id FROM cells WHERE id LIKE ? ESCAPE '!'"));
        query.addBindValue(startsWith(prefix));
        if (!exec(query)) {
            return std::nullopt;
        }
        qint64 highest = 0;
        while (query.next()) {
            highest = std::max(highest, numberAfter(query.value(0).toString(), prefix));
        }
        query.prepare(QStringLiteral(
            "INSERT INTO id_counters (prefix, next_number) VALUES (?, ?) ON CONFLICT (prefix) "
            "DO NOTHING"));
        query.addBindValue(prefix);
        query.addBindValue(highest + 1 + count);
        if (!exec(query)) {
            return std::nullopt;
        }
        if (query.numRowsAffected() == 1) {
            return highest + 1;
        }
        // Another bench made the counter meanwhile: take from it.
    }
    error_ = QStringLiteral("the counter of the prefix \"%1\" could not be taken").arg(prefix);
    return std::nullopt;
}

std::optional<QString> Inventory::allocateId(const QString& prefix) {
    QSqlQuery query(database());
    for (int attempt = 0; attempt < 100000; ++attempt) {
        const std::optional<qint64> number = takeNumbers(prefix, 1);
        if (!number) {
            return std::nullopt;
        }
        const QString id = idFor(prefix, *number);
        query.prepare(QStringLiteral(
            "INSERT INTO cells (id, profile, notes) VALUES (?, ?, '') ON CONFLICT (id) DO "
            "NOTHING"));
        query.addBindValue(id);
        query.addBindValue(pendingProfile_);
        if (!exec(query)) {
            return std::nullopt;
        }
        if (query.numRowsAffected() == 1) {
            return id;
        }
        // Taken by an ID that was typed: try the next number.
    }
    error_ = QStringLiteral("no free ID for the prefix \"%1\"").arg(prefix);
    return std::nullopt;
}

std::optional<qint64> Inventory::reserveNumbers(const QString& prefix, int count) {
    error_.clear();
    if (!begin()) {
        return std::nullopt;
    }
    const std::optional<qint64> first = takeNumbers(prefix, count);
    if (!first) {
        rollback();
        return std::nullopt;
    }
    return commit() ? first : std::nullopt;
}

QString Inventory::IdFor(const QString& prefix, qint64 number) {
    return idFor(prefix, number);
}

QVector<Measurement> Inventory::recentMeasurements(int limit, const QString& exceptHost,
                                                   const QString& exceptPort) {
    QVector<Measurement> found;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT ") + MeasurementColumns +
                  QStringLiteral(" FROM measurements m WHERE (? = '' OR m.host <> ? OR "
                                 "(? <> '' AND m.port <> ?)) ORDER BY m.time_ms DESC, m.seq DESC "
                                 "LIMIT ?"));
    query.addBindValue(text(exceptHost));
    query.addBindValue(text(exceptHost));
    query.addBindValue(text(exceptPort));
    query.addBindValue(text(exceptPort));
    query.addBindValue(limit);
    if (!exec(query)) {
        return found;
    }
    while (query.next()) {
        found.append(measurementAt(query, 0));
    }
    return found;
}

QString Inventory::nextFreeId(const QString& prefix) {
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT next_number FROM id_counters WHERE prefix = ?"));
    query.addBindValue(prefix);
    qint64 number = 1;
    if (!exec(query)) {
        return QString();
    }
    if (query.next()) {
        number = query.value(0).toLongLong();
    } else {
        query.prepare(QStringLiteral("SELECT id FROM cells WHERE id LIKE ? ESCAPE '!'"));
        query.addBindValue(startsWith(prefix));
        if (!exec(query)) {
            return QString();
        }
        qint64 highest = 0;
        while (query.next()) {
            highest = std::max(highest, numberAfter(query.value(0).toString(), prefix));
        }
        number = highest + 1;
    }
    for (;; ++number) {
        query.prepare(QStringLiteral("SELECT 1 FROM cells WHERE id = ?"));
        query.addBindValue(idFor(prefix, number));
        if (!exec(query)) {
            return QString();
        }
        if (!query.next()) {
            return idFor(prefix, number);
        }
    }
}

QString Inventory::add(const NewMeasurement& measurement, const QString& replaces) {
    error_.clear();
    if (!isOpen()) {
        error_ = QStringLiteral("the inventory is not open");
        return QString();
    }
    if (!begin()) {
        return QString();
    }
    QSqlDatabase db = database();
    QSqlQuery query(db);
    const auto abandon = [&] {
        query.finish();
        rollback();
        return QString();
    };
    if (!measurement.uuid.isEmpty()) {
        // Stored already (an upload tried again): the same capture is never stored twice.
        query.prepare(QStringLiteral("SELECT cell_id FROM measurements WHERE uuid = ?"));
        query.addBindValue(measurement.uuid);
        if (!exec(query)) {
            return abandon();
        }
        if (query.next()) {
            const QString id = query.value(0).toString();
            query.finish();
            return commit() ? id : QString();
        }
    }
    QString id = measurement.cellId.trimmed();
    pendingProfile_ = text(measurement.profile).toString();
    if (id.isEmpty()) {
        const std::optional<QString> allocated = allocateId(measurement.prefix);
        if (!allocated) {
            return abandon();
        }
        id = *allocated;
    } else {
        query.prepare(QStringLiteral(
            "INSERT INTO cells (id, profile, notes) VALUES (?, ?, '') ON CONFLICT (id) DO "
            "NOTHING"));
        query.addBindValue(id);
        query.addBindValue(pendingProfile_);
        if (!exec(query)) {
            return abandon();
        }
    }
    if (!replaces.isEmpty()) {
        query.prepare(QStringLiteral("UPDATE measurements SET deleted = 1 WHERE uuid = ?"));
        query.addBindValue(replaces);
        if (!exec(query)) {
            return abandon();
        }
    }
    query.prepare(QStringLiteral("SELECT MAX(seq) FROM measurements WHERE session = ?"));
    query.addBindValue(text(measurement.session));
    if (!exec(query) || !query.next()) {
        return abandon();
    }
    const int sequence = query.value(0).toInt() + 1;
    query.finish();
    const QDateTime time =
        measurement.time.isValid() ? measurement.time : QDateTime::currentDateTime();
    query.prepare(QStringLiteral(
        "INSERT INTO measurements (uuid, cell_id, time_ms, utc_offset, milliohms, volts, "
        "ohm_text, ohm_unit, volt_text, verdict, reasons, bin, session, seq, host, port, "
        "remeasure, deleted) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)"));
    query.addBindValue(measurement.uuid.isEmpty()
                           ? QUuid::createUuid().toString(QUuid::WithoutBraces)
                           : measurement.uuid);
    query.addBindValue(id);
    query.addBindValue(time.toMSecsSinceEpoch());
    query.addBindValue(time.offsetFromUtc());
    query.addBindValue(number(measurement.milliohms));
    query.addBindValue(number(measurement.volts));
    query.addBindValue(text(measurement.ohmText));
    query.addBindValue(text(measurement.ohmUnit));
    query.addBindValue(text(measurement.voltText));
    query.addBindValue(VerdictName(measurement.verdict));
    query.addBindValue(text(measurement.reasons.join(u'\n')));
    query.addBindValue(measurement.bin.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                                 : QVariant(measurement.bin));
    query.addBindValue(text(measurement.session));
    query.addBindValue(sequence);
    query.addBindValue(text(measurement.host));
    query.addBindValue(text(measurement.port));
    query.addBindValue(measurement.remeasure ? 1 : 0);
    if (!exec(query)) {
        return abandon();
    }
    query.finish();
    if (!setLatest(CellById, id) ||
        (!replaces.isEmpty() && !setLatest(CellOfMeasurement, replaces))) {
        return abandon();
    }
    return commit() ? id : QString();
}

bool Inventory::setDeleted(const QString& uuid, bool deleted) {
    error_.clear();
    if (!begin()) {
        return false;
    }
    QSqlQuery query(database());
    query.prepare(QStringLiteral("UPDATE measurements SET deleted = ? WHERE uuid = ?"));
    query.addBindValue(deleted ? 1 : 0);
    query.addBindValue(uuid);
    if (!exec(query)) {
        rollback();
        return false;
    }
    if (query.numRowsAffected() != 1) {
        rollback();
        error_ = QStringLiteral("no measurement %1").arg(uuid);
        return false;
    }
    if (!setLatest(CellOfMeasurement, uuid)) {
        rollback();
        return false;
    }
    return commit();
}

std::optional<Measurement> Inventory::measurement(const QString& uuid) {
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT ") + MeasurementColumns +
                  QStringLiteral(" FROM measurements m WHERE m.uuid = ?"));
    query.addBindValue(uuid);
    if (!exec(query) || !query.next()) {
        return std::nullopt;
    }
    return measurementAt(query, 0);
}

bool Inventory::measuredInSession(const QString& cellId, const QString& session) {
    QSqlQuery query(database());
    query.prepare(QStringLiteral(
        "SELECT 1 FROM measurements WHERE cell_id = ? AND session = ? AND deleted = 0"));
    query.addBindValue(cellId);
    query.addBindValue(session);
    return exec(query) && query.next();
}

std::optional<Measurement> Inventory::firstMeasurement(const QString& cellId) {
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT ") + MeasurementColumns +
                  QStringLiteral(" FROM measurements m WHERE m.cell_id = ? AND m.deleted = 0 "
                                 "ORDER BY m.time_ms, m.seq LIMIT 1"));
    query.addBindValue(cellId);
    if (!exec(query) || !query.next()) {
        return std::nullopt;
    }
    return measurementAt(query, 0);
}

std::optional<double> Inventory::SelfDischarge(const Measurement& first, double volts,
                                               const QDateTime& time) {
    const double days = double(first.time.msecsTo(time)) / MsPerDay;
    if (!(days >= 1.0) || std::isnan(first.volts) || std::isnan(volts)) {
        return std::nullopt;
    }
    return (first.volts - volts) * 1000.0 / days;
}

bool Inventory::forEachCell(const std::function<bool(const CellSummary&)>& row) {
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT ") + CellColumns + QStringLiteral(", ") +
                  MeasurementColumns + QStringLiteral(" FROM cells c") + LatestJoin +
                  QStringLiteral(" ORDER BY c.id"));
    if (!exec(query)) {
        return false;
    }
    CellSummary summary;
    while (query.next()) {
        summary.cell = cellAt(query);
        summary.latest.reset();
        if (!query.value(CellColumnCount).isNull()) {
            summary.latest = measurementAt(query, CellColumnCount);
        }
        if (!row(summary)) {
            break;
        }
    }
    return true;
}

QVector<CellSummary> Inventory::listCells() {
    QVector<CellSummary> cells;
    forEachCell([&](const CellSummary& summary) {
        cells.append(summary);
        return true;
    });
    return cells;
}

std::optional<CellDetail> Inventory::cell(const QString& id) {
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT ") + CellColumns +
                  QStringLiteral(" FROM cells c WHERE c.id = ?"));
    query.addBindValue(id);
    if (!exec(query) || !query.next()) {
        return std::nullopt;
    }
    CellDetail detail;
    detail.cell = cellAt(query);
    query.prepare(QStringLiteral("SELECT ") + MeasurementColumns +
                  QStringLiteral(" FROM measurements m WHERE m.cell_id = ? ORDER BY m.time_ms, "
                                 "m.seq"));
    query.addBindValue(id);
    if (!exec(query)) {
        return std::nullopt;
    }
    while (query.next()) {
        detail.measurements.append(measurementAt(query, 0));
    }
    const Measurement* first = nullptr;
    const Measurement* last = nullptr;
    for (const Measurement& m : detail.measurements) {
        if (!m.deleted) {
            first = first ? first : &m;
            last = &m;
        }
    }
    if (first && last) {
        detail.selfDischarge = SelfDischarge(*first, last->volts, last->time);
    }
    return detail;
}

bool Inventory::setCapacity(const QString& id, std::optional<double> capacityMah) {
    return updateCell(id, SetCapacity, optionalNumber(capacityMah));
}

bool Inventory::setNotes(const QString& id, const QString& notes) {
    return updateCell(id, QStringLiteral("UPDATE cells SET notes = ? WHERE id = ?"), text(notes));
}

bool Inventory::updateCell(const QString& id, const QString& statement, const QVariant& value) {
    error_.clear();
    if (!begin()) {
        return false;
    }
    QSqlQuery query(database());
    query.prepare(statement);
    query.addBindValue(value);
    query.addBindValue(id);
    if (!exec(query) || query.numRowsAffected() != 1) {
        error_ = error_.isEmpty() ? QStringLiteral("no cell %1").arg(id) : error_;
        rollback();
        return false;
    }
    return commit();
}

bool Inventory::setLatest(const QString& which, const QVariant& value) {
    QSqlQuery query(database());
    if (server_) {
        // Locks the cells first: the statement after it then reads with a snapshot of its own,
        // taken once another bench's transaction on the same cell has committed, and sees that
        // bench's measurement too. A file has its write lock from begin().
        query.prepare(QStringLiteral("UPDATE cells SET latest = latest") + which);
        query.addBindValue(value);
        if (!exec(query)) {
            return false;
        }
    }
    query.prepare(SetLatest + which);
    query.addBindValue(value);
    return exec(query);
}

bool Inventory::rebuildLatest() {
    error_.clear();
    if (!begin()) {
        return false;
    }
    QSqlQuery query(database());
    if (!query.exec(SetLatest)) {
        rollback();
        return fail(QStringLiteral("cannot find the cells' latest measurements"), query);
    }
    return commit();
}

bool Inventory::forEachMeasurement(const std::function<bool(const Measurement&)>& row) {
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT ") + MeasurementColumns +
                  QStringLiteral(" FROM measurements m ORDER BY m.time_ms, m.session, m.seq"));
    if (!exec(query)) {
        return false;
    }
    while (query.next()) {
        if (!row(measurementAt(query, 0))) {
            break;
        }
    }
    return true;
}

QStringList Inventory::ExportHeader() {
    return {QStringLiteral("id"),        QStringLiteral("time"),      QStringLiteral("ir_mohm"),
            QStringLiteral("volt"),      QStringLiteral("ohm_text"),  QStringLiteral("ohm_unit"),
            QStringLiteral("volt_text"), QStringLiteral("verdict"),   QStringLiteral("reasons"),
            QStringLiteral("bin"),       QStringLiteral("remeasure"), QStringLiteral("deleted"),
            QStringLiteral("session"),   QStringLiteral("host"),      QStringLiteral("port"),
            QStringLiteral("uuid")};
}

namespace {

// The export's fields of a measurement in their order, handed to `use` as one array: the one
// home of the export's row, for a list of fields and for the bytes appended straight.
template <typename Use>
auto WithExportFields(const Measurement& m, Use&& use) {
    const QString time = TextRules::IsoTime(m.time);
    const QString milliohms = Csv::Number(m.milliohms);
    const QString volts = Csv::Number(m.volts);
    const QString verdict = VerdictName(m.verdict);
    const QString reasons = m.reasons.join(QStringLiteral("; "));
    const QString remeasure = boolText(m.remeasure);
    const QString deleted = boolText(m.deleted);
    const QStringView fields[] = {m.cellId,   time,    milliohms, volts, m.ohmText, m.ohmUnit,
                                  m.voltText, verdict, reasons,   m.bin, remeasure, deleted,
                                  m.session,  m.host,  m.port,    m.uuid};
    return use(std::span<const QStringView>(fields));
}

}  // namespace

QStringList Inventory::ExportRow(const Measurement& m) {
    return WithExportFields(m, [](std::span<const QStringView> fields) {
        QStringList row;
        row.reserve(qsizetype(fields.size()));
        for (const QStringView field : fields) {
            row.append(field.toString());
        }
        return row;
    });
}

bool Inventory::exportCsv(QIODevice& device) {
    Csv::Writer writer(device);
    if (!writer.write(ExportHeader())) {
        error_ = writer.error();
        return false;
    }
    const bool read = forEachMeasurement([&](const Measurement& m) {
        return WithExportFields(
            m, [&](std::span<const QStringView> fields) { return writer.write(fields); });
    });
    if (!writer.flush()) {
        error_ = writer.error();
        return false;
    }
    return read;
}

std::optional<ImportReport> Inventory::importCapacity(QIODevice& device) {
    error_.clear();
    Csv::Reader reader(device);
    QStringList fields;
    if (!reader.next(fields)) {
        error_ = reader.error().isEmpty() ? QStringLiteral("the file is empty") : reader.error();
        return std::nullopt;
    }
    if (fields.size() != 2 || fields.at(0).trimmed() != u"id" ||
        fields.at(1).trimmed() != u"capacity_mah") {
        error_ = QStringLiteral("row 1: the header must be \"id,capacity_mah\"");
        return std::nullopt;
    }
    if (!begin()) {
        return std::nullopt;
    }
    QSqlQuery query(database());
    query.prepare(SetCapacity);
    ImportReport report;
    while (reader.next(fields)) {
        if (fields.size() == 1 && fields.at(0).isEmpty()) {
            continue;  // a blank line
        }
        if (fields.size() != 2) {
            error_ = QStringLiteral("row %1: %2 fields, expected 2")
                         .arg(reader.row())
                         .arg(fields.size());
            rollback();
            return std::nullopt;
        }
        const QString id = fields.at(0).trimmed();
        double capacity = 0;
        const bool blank = fields.at(1).trimmed().isEmpty();
        if (id.isEmpty()) {
            error_ = QStringLiteral("row %1, column 1: the ID is empty").arg(reader.row());
            rollback();
            return std::nullopt;
        }
        if (!blank && (!Csv::ParseNumber(fields.at(1), capacity) || capacity < 0)) {
            error_ = QStringLiteral("row %1, column 2: \"%2\" is not a capacity in mAh")
                         .arg(reader.row())
                         .arg(fields.at(1));
            rollback();
            return std::nullopt;
        }
        query.addBindValue(blank ? QVariant(QMetaType::fromType<double>()) : QVariant(capacity));
        query.addBindValue(id);
        if (!exec(query)) {
            rollback();
            return std::nullopt;
        }
        if (query.numRowsAffected() == 1) {
            ++report.updated;
        } else {
            report.unknownIds.append(id);
        }
    }
    if (!reader.error().isEmpty()) {
        error_ = reader.error();
        rollback();
        return std::nullopt;
    }
    if (!commit()) {
        return std::nullopt;
    }
    return report;
}

QVector<Profile> Inventory::profiles() {
    QVector<Profile> all;
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT name FROM profiles ORDER BY name"))) {
        error_ = query.lastError().text();
        return all;
    }
    QStringList names;
    while (query.next()) {
        names.append(query.value(0).toString());
    }
    for (const QString& name : names) {
        if (const std::optional<Profile> found = profile(name)) {
            all.append(*found);
        }
    }
    return all;
}

std::optional<Profile> Inventory::profile(const QString& name) {
    QSqlQuery query(database());
    query.prepare(QStringLiteral(
        "SELECT name, ir_pass, ir_fail, volt_pass_min, volt_pass_max, volt_warn_min, "
        "volt_warn_max, self_discharge_max, bin_on, notes FROM profiles WHERE name = ?"));
    query.addBindValue(name);
    if (!exec(query) || !query.next()) {
        return std::nullopt;
    }
    Profile p;
    p.name = query.value(0).toString();
    p.irPass = optionalAt(query, 1);
    p.irFail = optionalAt(query, 2);
    if (!query.value(3).isNull() && !query.value(4).isNull()) {
        p.voltPass = Window{query.value(3).toDouble(), query.value(4).toDouble()};
    }
    if (!query.value(5).isNull() && !query.value(6).isNull()) {
        p.voltWarn = Window{query.value(5).toDouble(), query.value(6).toDouble()};
    }
    p.selfDischargeMax = optionalAt(query, 7);
    p.binOn = ParseBinOn(query.value(8).toString()).value_or(Profile::BinOn::Resistance);
    p.notes = query.value(9).toString();
    query.prepare(
        QStringLiteral("SELECT name, up_to FROM profile_bins WHERE profile = ? ORDER BY position"));
    query.addBindValue(name);
    if (!exec(query)) {
        return std::nullopt;
    }
    while (query.next()) {
        p.bins.append({query.value(0).toString(), query.value(1).isNull()
                                                      ? std::numeric_limits<double>::infinity()
                                                      : query.value(1).toDouble()});
    }
    return p;
}

bool Inventory::saveProfile(const Profile& p) {
    error_ = p.problem();
    if (!error_.isEmpty()) {
        return false;
    }
    if (!begin()) {
        return false;
    }
    QSqlQuery query(database());
    query.prepare(QStringLiteral(
        "INSERT INTO profiles (name, ir_pass, ir_fail, volt_pass_min, volt_pass_max, "
        "volt_warn_min, volt_warn_max, self_discharge_max, bin_on, notes) VALUES (?, ?, ?, ?, ?, "
        "?, ?, ?, ?, ?) ON CONFLICT (name) DO UPDATE SET ir_pass = excluded.ir_pass, ir_fail = "
        "excluded.ir_fail, volt_pass_min = excluded.volt_pass_min, volt_pass_max = "
        "excluded.volt_pass_max, volt_warn_min = excluded.volt_warn_min, volt_warn_max = "
        "excluded.volt_warn_max, self_discharge_max = excluded.self_discharge_max, bin_on = "
        "excluded.bin_on, notes = excluded.notes"));
    const QVariant none(QMetaType::fromType<double>());
    query.addBindValue(p.name);
    query.addBindValue(optionalNumber(p.irPass));
    query.addBindValue(optionalNumber(p.irFail));
    query.addBindValue(p.voltPass ? number(p.voltPass->min) : none);
    query.addBindValue(p.voltPass ? number(p.voltPass->max) : none);
    query.addBindValue(p.voltWarn ? number(p.voltWarn->min) : none);
    query.addBindValue(p.voltWarn ? number(p.voltWarn->max) : none);
    query.addBindValue(optionalNumber(p.selfDischargeMax));
    query.addBindValue(BinOnName(p.binOn));
    query.addBindValue(text(p.notes));
    bool ok = exec(query);
    if (ok) {
        query.prepare(QStringLiteral("DELETE FROM profile_bins WHERE profile = ?"));
        query.addBindValue(p.name);
        ok = exec(query);
    }
    for (qsizetype i = 0; ok && i < p.bins.size(); ++i) {
        query.prepare(QStringLiteral(
            "INSERT INTO profile_bins (profile, position, name, up_to) VALUES (?, ?, ?, ?)"));
        query.addBindValue(p.name);
        query.addBindValue(int(i));
        query.addBindValue(p.bins.at(i).name);
        query.addBindValue(number(p.bins.at(i).upTo));
        ok = exec(query);
    }
    if (!ok) {
        rollback();
        return false;
    }
    return commit();
}

bool Inventory::removeProfile(const QString& name) {
    error_.clear();
    if (!begin()) {
        return false;
    }
    QSqlQuery query(database());
    query.prepare(QStringLiteral("DELETE FROM profile_bins WHERE profile = ?"));
    query.addBindValue(name);
    bool ok = exec(query);
    if (ok) {
        query.prepare(QStringLiteral("DELETE FROM profiles WHERE name = ?"));
        query.addBindValue(name);
        ok = exec(query);
        if (ok && query.numRowsAffected() != 1) {
            error_ = QStringLiteral("no profile \"%1\"").arg(name);
            ok = false;
        }
    }
    if (!ok) {
        rollback();
        return false;
    }
    return commit();
}

QVector<MatchCell> Inventory::loadCells(const CellFilter& filter) {
    QVector<MatchCell> cells;
    QString sql = QStringLiteral(
                      "SELECT c.id, c.capacity_mah, m.milliohms, m.volts, m.verdict "
                      "FROM cells c") +
                  LatestJoin + QStringLiteral(" WHERE m.uuid IS NOT NULL");
    if (!filter.profile.isEmpty()) {
        sql += QStringLiteral(" AND c.profile = ?");
    }
    if (filter.capacityKnown) {
        sql += QStringLiteral(" AND c.capacity_mah IS NOT NULL");
    }
    if (filter.notInPack) {
        sql += QStringLiteral(" AND c.pack IS NULL");
    }
    sql += QStringLiteral(" ORDER BY c.id");
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(sql);
    if (!filter.profile.isEmpty()) {
        query.addBindValue(filter.profile);
    }
    if (!exec(query)) {
        return cells;
    }
    while (query.next()) {
        const std::optional<Verdict> verdict = ParseVerdict(query.value(4).toString());
        if (!verdict || !filter.verdicts.contains(*verdict)) {
            continue;
        }
        cells.append({query.value(0).toString(), numberAt(query, 1), numberAt(query, 2),
                      numberAt(query, 3), *verdict});
    }
    return cells;
}

bool Inventory::savePack(const QString& name, const QVector<PackSlot>& slots) {
    error_.clear();
    if (name.trimmed().isEmpty()) {
        error_ = QStringLiteral("the pack has no name");
        return false;
    }
    if (!begin()) {
        return false;
    }
    QSqlQuery query(database());
    const auto abandon = [&] {
        rollback();
        return false;
    };
    query.prepare(QStringLiteral(
        "UPDATE cells SET pack = NULL, pack_group = NULL, pack_slot = NULL WHERE pack = ?"));
    query.addBindValue(name);
    if (!exec(query)) {
        return abandon();
    }
    query.prepare(QStringLiteral(
        "INSERT INTO packs (name, created_ms) VALUES (?, ?) ON CONFLICT (name) DO NOTHING"));
    query.addBindValue(name);
    query.addBindValue(QDateTime::currentMSecsSinceEpoch());
    if (!exec(query)) {
        return abandon();
    }
    for (const PackSlot& slot : slots) {
        query.prepare(QStringLiteral(
            "UPDATE cells SET pack = ?, pack_group = ?, pack_slot = ? WHERE id = ? AND pack IS "
            "NULL"));
        query.addBindValue(name);
        query.addBindValue(slot.group);
        query.addBindValue(slot.slot);
        query.addBindValue(slot.cellId);
        if (!exec(query)) {
            return abandon();
        }
        if (query.numRowsAffected() != 1) {
            error_ = QStringLiteral("cell %1 is not in the inventory or is in another pack")
                         .arg(slot.cellId);
            return abandon();
        }
    }
    return commit();
}
