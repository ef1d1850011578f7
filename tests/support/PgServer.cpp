#include "PgServer.h"

#include <sys/stat.h>

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "core/cells/DatabaseLocation.h"

QString PgTestDatabase::ServerUri() {
    return qEnvironmentVariable("KELVOMARK_TEST_PG");
}

PgTestDatabase::PgTestDatabase(const QString& serverUri) : server_(serverUri) {
    QString why;
    const auto location = DatabaseLocation::Parse(server_, &why);
    if (!location || !location->isServer()) {
        error_ = QStringLiteral("KELVOMARK_TEST_PG is not a server URI: %1").arg(why);
        return;
    }
    connection_ = QStringLiteral("pgtest-admin-") + QUuid::createUuid().toString(QUuid::Id128);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
        location->configure(db);
        if (!db.open()) {
            error_ = QStringLiteral("the test server: %1").arg(db.lastError().text());
            return;
        }
    }
    name_ = QStringLiteral("kt_") + QUuid::createUuid().toString(QUuid::Id128);
    if (!admin(QStringLiteral("CREATE DATABASE %1").arg(name_))) {
        name_.clear();
        return;
    }
    uri_ = location->uriFor(name_);
    // Many tests hold a database at once; their idle admin connections would fill the server.
    QSqlDatabase::database(connection_, false).close();
}

PgTestDatabase::~PgTestDatabase() {
    if (!name_.isEmpty()) {
        admin(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
    }
    if (!connection_.isEmpty()) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

bool PgTestDatabase::admin(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(connection_));
    if (!query.exec(sql)) {
        error_ = QStringLiteral("%1: %2").arg(sql, query.lastError().text());
        return false;
    }
    return true;
}

PgPrivateCluster::PgPrivateCluster() {
    if (!folder_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    // The server runs as another user when the tests run as root; it must reach the folder.
    ::chmod(QFile::encodeName(folder_.path()).constData(), 0711);
    dir_ = folder_.filePath(QStringLiteral("cluster"));
    QString out;
    if (tool(QStringLiteral("create"), &out)) {
        uri_ = out.trimmed();
    }
}

PgPrivateCluster::~PgPrivateCluster() {
    if (!dir_.isEmpty()) {
        tool(QStringLiteral("destroy"));
    }
}

bool PgPrivateCluster::stop() {
    return tool(QStringLiteral("stop"));
}
bool PgPrivateCluster::start() {
    return tool(QStringLiteral("start"));
}

bool PgPrivateCluster::tool(const QString& command, QString* out) {
    QProcess process;
    process.start(QStringLiteral(KELVOMARK_PG_CLUSTER_TOOL), {command, dir_});
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        error_ = QStringLiteral("pg-cluster %1: %2%3")
                     .arg(command, QString::fromLocal8Bit(process.readAllStandardError()),
                          process.errorString());
        return false;
    }
    if (out) {
        *out = QString::fromLocal8Bit(process.readAllStandardOutput());
    }
    return true;
}
