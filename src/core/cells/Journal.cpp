#include "core/cells/Journal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <cmath>
#include <limits>

#include "core/cells/DatabaseLocation.h"
#include "core/cells/SqlValues.h"

namespace {

constexpr int JournalVersion = 1;
constexpr int BusyTimeoutMs = 30000;

const QStringList Schema = {
    QStringLiteral("CREATE TABLE journal_version (version INTEGER NOT NULL)"),
    QStringLiteral("CREATE TABLE server (uri TEXT NOT NULL)"),
    QStringLiteral(
        "CREATE TABLE entries (sequence INTEGER PRIMARY KEY AUTOINCREMENT, deletion INTEGER NOT "
        "NULL, uuid TEXT NOT NULL, deleted INTEGER NOT NULL DEFAULT 0, replaces TEXT NOT NULL "
        "DEFAULT '', cell_id TEXT NOT NULL DEFAULT '', prefix TEXT NOT NULL DEFAULT '', profile "
        "TEXT NOT NULL DEFAULT '', time_ms INTEGER, utc_offset INTEGER, milliohms REAL, volts "
        "REAL, ohm_text TEXT, ohm_unit TEXT, volt_text TEXT, verdict TEXT, reasons TEXT, bin "
        "TEXT, session TEXT NOT NULL DEFAULT '', host TEXT, port TEXT, remeasure INTEGER)"),
    // A capture is journaled once however often it is tried.
    QStringLiteral("CREATE UNIQUE INDEX entries_capture ON entries (uuid) WHERE deletion = 0"),
    QStringLiteral("CREATE TABLE numbers (prefix TEXT NOT NULL, next_number INTEGER NOT NULL, "
                   "last_number INTEGER NOT NULL, PRIMARY KEY (prefix, last_number))"),
};

using Sql::number;
using Sql::numberAt;
using Sql::text;

}  // namespace

Journal::Journal() : connection_(Sql::connectionName(QStringLiteral("journal"))) {}

Journal::~Journal() {
    close();
}

QString Journal::LocationFor(const DatabaseLocation& server) {
    const QString identity = QStringLiteral("%1\n%2\n%3\n%4")
                                 .arg(server.host)
                                 .arg(server.port)
                                 .arg(server.user, server.database);
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kelvomark/journal/") + hash + QStringLiteral(".sqlite");
}

void Journal::close() {
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool Journal::isOpen() const {
    return QSqlDatabase::contains(connection_) &&
           QSqlDatabase::database(connection_, false).isOpen();
}

bool Journal::open(const QString& file) {
    close();
    location_ = file;
    error_.clear();
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        error_ = QStringLiteral("cannot make the folder of the journal %1").arg(file);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!db.open()) {
        error_ = QStringLiteral("cannot open the journal %1: %2").arg(file, db.lastError().text());
        return false;
    }
    QSqlQuery query(db);
    // As the local inventory does: each commit is on the disk before the capture is announced.
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"}) {
        if (!query.exec(QString::fromLatin1(pragma))) {
            error_ = QStringLiteral("cannot open the journal %1: %2")
                         .arg(file, query.lastError().text());
            return false;
        }
    }
    if (!begin()) {
        return false;
    }
    int version = 0;
    if (db.tables().contains(QStringLiteral("journal_version"))) {
        if (query.exec(QStringLiteral("SELECT version FROM journal_version")) && query.next()) {
            version = query.value(0).toInt();
        }
    } else {
        for (const QString& statement : Schema) {
            if (!query.exec(statement)) {
                error_ = QStringLiteral("cannot make the journal %1: %2")
                             .arg(file, query.lastError().text());
                db.rollback();
                return false;
            }
        }
        query.prepare(QStringLiteral("INSERT INTO journal_version (version) VALUES (?)"));
        query.addBindValue(JournalVersion);
        version = query.exec() ? JournalVersion : 0;
    }
    query.finish();
    if (version != JournalVersion) {
        db.rollback();
        error_ = QStringLiteral(
                     "the journal %1 has version %2, which this program does not "
                     "know; it was left as it is")
                     .arg(file)
                     .arg(version);
        return false;
    }
    return commit();
}

bool Journal::begin() {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    // The write lock at the start, so that two programs on one journal wait for each other.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        error_ = QStringLiteral("the journal %1: %2").arg(location_, query.lastError().text());
        return false;
    }
    return true;
}

bool Journal::commit() {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.commit()) {
        error_ = QStringLiteral("the journal %1: %2").arg(location_, db.lastError().text());
        db.rollback();
        return false;
    }
    return true;
}

bool Journal::addCapture(const NewMeasurement& m, const QString& replaces) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral(
        "INSERT INTO entries (deletion, uuid, replaces, cell_id, prefix, profile, time_ms, "
        "utc_offset, milliohms, volts, ohm_text, ohm_unit, volt_text, verdict, reasons, bin, "
        "session, host, port, remeasure) VALUES (0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    query.addBindValue(text(m.uuid));
    query.addBindValue(text(replaces));
    query.addBindValue(text(m.cellId));
    query.addBindValue(text(m.prefix));
    query.addBindValue(text(m.profile));
    query.addBindValue(m.time.toMSecsSinceEpoch());
    query.addBindValue(m.time.offsetFromUtc());
    query.addBindValue(number(m.milliohms));
    query.addBindValue(number(m.volts));
    query.addBindValue(text(m.ohmText));
    query.addBindValue(text(m.ohmUnit));
    query.addBindValue(text(m.voltText));
    query.addBindValue(VerdictName(m.verdict));
    query.addBindValue(text(m.reasons.join(u'\n')));
    query.addBindValue(text(m.bin));
    query.addBindValue(text(m.session));
    query.addBindValue(text(m.host));
    query.addBindValue(text(m.port));
    query.addBindValue(m.remeasure ? 1 : 0);
    if (!query.exec()) {
        error_ = QStringLiteral("the journal %1: %2").arg(location_, query.lastError().text());
        return false;
    }
    return true;
}

bool Journal::addDeletion(const QString& uuid, bool deleted) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral("INSERT INTO entries (deletion, uuid, deleted) VALUES (1, ?, ?)"));
    query.addBindValue(text(uuid));
    query.addBindValue(deleted ? 1 : 0);
    if (!query.exec()) {
        error_ = QStringLiteral("the journal %1: %2").arg(location_, query.lastError().text());
        return false;
    }
    return true;
}

QVector<Journal::Entry> Journal::head(int count) {
    QVector<Entry> entries;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT sequence, deletion, uuid, deleted, replaces, cell_id, prefix, profile, time_ms, "
        "utc_offset, milliohms, volts, ohm_text, ohm_unit, volt_text, verdict, reasons, bin, "
        "session, host, port, remeasure FROM entries ORDER BY sequence LIMIT ?"));
    query.addBindValue(count);
    if (!query.exec()) {
        error_ = QStringLiteral("the journal %1: %2").arg(location_, query.lastError().text());
        return entries;
    }
    while (query.next()) {
        Entry e;
        e.sequence = query.value(0).toLongLong();
        e.deletion = query.value(1).toInt() != 0;
        e.uuid = query.value(2).toString();
        e.deleted = query.value(3).toInt() != 0;
        e.replaces = query.value(4).toString();
        if (!e.deletion) {
            NewMeasurement& m = e.capture;
            m.uuid = e.uuid;
            m.cellId = query.value(5).toString();
            m.prefix = query.value(6).toString();
            m.profile = query.value(7).toString();
            m.time = QDateTime::fromMSecsSinceEpoch(query.value(8).toLongLong(), Qt::OffsetFromUTC,
                                                    query.value(9).toInt());
            m.milliohms = numberAt(query, 10);
            m.volts = numberAt(query, 11);
            m.ohmText = query.value(12).toString();
            m.ohmUnit = query.value(13).toString();
            m.voltText = query.value(14).toString();
            m.verdict = ParseVerdict(query.value(15).toString()).value_or(Verdict::Fail);
            const QString reasons = query.value(16).toString();
            m.reasons = reasons.isEmpty() ? QStringList() : reasons.split(u'\n');
            m.bin = query.value(17).toString();
            m.session = query.value(18).toString();
            m.host = query.value(19).toString();
            m.port = query.value(20).toString();
            m.remeasure = query.value(21).toInt() != 0;
        }
        entries.append(e);
    }
    return entries;
}

bool Journal::remove(qint64 sequence) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral("DELETE FROM entries WHERE sequence = ?"));
    query.addBindValue(sequence);
    if (!query.exec()) {
        error_ = QStringLiteral("the journal %1: %2").arg(location_, query.lastError().text());
        return false;
    }
    return true;
}

int Journal::waiting() {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM entries")) || !query.next()) {
        return 0;
    }
    return query.value(0).toInt();
}

bool Journal::measuredInSession(const QString& cellId, const QString& session) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    // Not deleted: no later deletion of it waits, or the last one waiting undid it.
    query.prepare(QStringLiteral(
        "SELECT 1 FROM entries c WHERE c.deletion = 0 AND c.cell_id = ? AND c.session = ? AND "
        "COALESCE((SELECT d.deleted FROM entries d WHERE d.deletion = 1 AND d.uuid = c.uuid "
        "ORDER BY d.sequence DESC LIMIT 1), 0) = 0"));
    query.addBindValue(cellId);
    query.addBindValue(session);
    return query.exec() && query.next();
}

bool Journal::addNumbers(const QString& prefix, qint64 first, qint64 last) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(
        QStringLiteral("INSERT INTO numbers (prefix, next_number, last_number) VALUES (?, ?, ?)"));
    query.addBindValue(prefix);
    query.addBindValue(first);
    query.addBindValue(last);
    if (!query.exec()) {
        error_ = QStringLiteral("the journal %1: %2").arg(location_, query.lastError().text());
        return false;
    }
    return true;
}

std::optional<qint64> Journal::peekNumber(const QString& prefix) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(
        QStringLiteral("SELECT MIN(next_number) FROM numbers WHERE prefix = ? AND "
                       "next_number <= last_number"));
    query.addBindValue(prefix);
    if (!query.exec() || !query.next() || query.value(0).isNull()) {
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

std::optional<qint64> Journal::takeNumber(const QString& prefix) {
    if (!begin()) {
        return std::nullopt;
    }
    const std::optional<qint64> number = peekNumber(prefix);
    if (number) {
        QSqlQuery query(QSqlDatabase::database(connection_, false));
        query.prepare(QStringLiteral(
            "UPDATE numbers SET next_number = next_number + 1 WHERE prefix = ? AND next_number "
            "= ?"));
        query.addBindValue(prefix);
        query.addBindValue(*number);
        if (!query.exec() || query.numRowsAffected() != 1) {
            error_ = QStringLiteral("the journal %1: %2").arg(location_, query.lastError().text());
            QSqlDatabase::database(connection_, false).rollback();
            return std::nullopt;
        }
        query.prepare(QStringLiteral("DELETE FROM numbers WHERE next_number > last_number"));
        query.exec();
    }
    if (!commit()) {
        return std::nullopt;
    }
    return number;
}

qint64 Journal::numbersLeft(const QString& prefix) {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral(
        "SELECT COALESCE(SUM(last_number - next_number + 1), 0) FROM numbers WHERE prefix = ?"));
    query.addBindValue(prefix);
    if (!query.exec() || !query.next()) {
        return 0;
    }
    return query.value(0).toLongLong();
}
