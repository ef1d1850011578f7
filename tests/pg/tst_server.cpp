#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include "PgServer.h"
#include "core/cells/DatabaseLocation.h"
#include "tst_pg.h"

namespace {

// The database's name as the server reports it, through the QPSQL driver; empty on failure.
QString CurrentDatabase(const QString& uri, QString* error) {
    const auto location = DatabaseLocation::Parse(uri, error);
    if (!location) {
        return {};
    }
    QString name;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(location->driver(), QStringLiteral("probe"));
        location->configure(db);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT current_database()")) && query.next()) {
                name = query.value(0).toString();
            } else {
                *error = query.lastError().text();
            }
        } else {
            *error = db.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    return name;
}

}  // namespace

void TestPgServer::driverConnects() {
    QVERIFY2(QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")),
             "Qt's QPSQL driver is missing: install libqt6sql6-psql");
    KELVO_SKIP_WITHOUT_PG();
    PgTestDatabase database;
    QVERIFY2(database.isReady(), qPrintable(database.error()));
    QString error;
    QCOMPARE(CurrentDatabase(database.uri(), &error), database.name());
}

void TestPgServer::privateClusterStopsAndStarts() {
    KELVO_SKIP_WITHOUT_PG();
    PgPrivateCluster cluster;
    QVERIFY2(cluster.isReady(), qPrintable(cluster.error()));
    QString error;
    QCOMPARE(CurrentDatabase(cluster.uri(), &error), QStringLiteral("postgres"));
    QVERIFY2(cluster.stop(), qPrintable(cluster.error()));
    QVERIFY(CurrentDatabase(cluster.uri(), &error).isEmpty());
    QVERIFY2(error.contains(QLatin1String("connect")), qPrintable(error));
    QVERIFY2(cluster.start(), qPrintable(cluster.error()));
    QCOMPARE(CurrentDatabase(cluster.uri(), &error), QStringLiteral("postgres"));
}
