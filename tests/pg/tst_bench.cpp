#include <QSet>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <thread>

#include "PgServer.h"
#include "core/cells/BenchInventory.h"
#include "core/cells/DatabaseLocation.h"
#include "tst_pg.h"

namespace {

NewMeasurement Capture(int i, const QString& host = QStringLiteral("bench-1"),
                       const QString& session = QStringLiteral("s1")) {
    NewMeasurement m;
    m.prefix = QStringLiteral("C");
    m.time = QDateTime::fromMSecsSinceEpoch(1700000000000 + i * 1000, Qt::OffsetFromUTC, 3600);
    m.milliohms = 30 + i;
    m.volts = 3.9;
    m.ohmText = QString::number(30 + i);
    m.ohmUnit = QStringLiteral("mOhm");
    m.voltText = QStringLiteral("3.900");
    m.session = session;
    m.host = host;
    m.port = QStringLiteral("COM1");
    m.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return m;
}

// Every measurement on the server, in time order.
QVector<Measurement> AllOn(const QString& uri) {
    Inventory reader;
    QVector<Measurement> all;
    if (!reader.open(uri)) {
        qWarning("%s", qPrintable(reader.error()));
        return all;
    }
    reader.forEachMeasurement([&](const Measurement& m) {
        all.append(m);
        return true;
    });
    return all;
}

// Runs one statement on a database through its own connection.
bool Exec(const QString& uri, const QString& sql) {
    const auto location = DatabaseLocation::Parse(uri, nullptr);
    bool done = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("exec"));
        location->configure(db);
        done = db.open() && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("exec"));
    return done;
}

// Waits, driven by the bench's own signal, for a line that holds `text`.
bool WaitForLine(BenchInventory& bench, const QString& text, int timeoutMs = 60000) {
    QSignalSpy spy(&bench, &BenchInventory::statusChanged);
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        for (const QList<QVariant>& line : std::as_const(spy)) {
            if (line.value(0).toString().contains(text)) {
                return true;
            }
        }
        spy.clear();
        spy.wait(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    return false;
}

}  // namespace

void TestBenchInventory::capturesOnTheServer() {
    KELVO_SKIP_WITHOUT_PG();
    PgTestDatabase db;
    QVERIFY2(db.isReady(), qPrintable(db.error()));
    QTemporaryDir dir;
    BenchInventory bench;
    bench.setJournalLocation(dir.filePath(QStringLiteral("journal.sqlite")));
    QVERIFY2(bench.open(db.uri()), qPrintable(bench.error()));
    QVERIFY(bench.isServer());
    QVERIFY(bench.isOnline());
    QCOMPARE(bench.nextFreeId(QStringLiteral("C")), QString());
    QStringList ids;
    for (int i = 0; i < 3; ++i) {
        ids << bench.add(Capture(i));
    }
    QCOMPARE(ids, (QStringList{"C0001", "C0002", "C0003"}));
    QCOMPARE(bench.nextFreeId(QStringLiteral("C")), QStringLiteral("C0004"));
    QCOMPARE(bench.waiting(), 0);
    QVERIFY(bench.statusLine().isEmpty());
    const QVector<Measurement> all = AllOn(db.uri());
    QCOMPARE(all.size(), 3);
    QCOMPARE(all[2].cellId, QStringLiteral("C0003"));
    QCOMPARE(all[2].host, QStringLiteral("bench-1"));
    QCOMPARE(all[2].port, QStringLiteral("COM1"));
    QCOMPARE(all[2].time.offsetFromUtc(), 3600);
    QVERIFY(bench.measuredInSession(QStringLiteral("C0002"), QStringLiteral("s1")));
    QVERIFY(bench.setDeleted(all[1].uuid, true));
    QVERIFY(!bench.measuredInSession(QStringLiteral("C0002"), QStringLiteral("s1")));
    // A second bench numbers after the first one's reserved block, never inside it.
    QTemporaryDir other;
    BenchInventory second;
    second.setJournalLocation(other.filePath(QStringLiteral("journal.sqlite")));
    QVERIFY(second.open(db.uri()));
    QCOMPARE(second.add(Capture(9, QStringLiteral("bench-2"))),
             Inventory::IdFor(QStringLiteral("C"), BenchInventory::ReserveBlock + 1));
}

void TestBenchInventory::serverAwayAndBack() {
    KELVO_SKIP_WITHOUT_PG();
    PgPrivateCluster cluster;
    QVERIFY2(cluster.isReady(), qPrintable(cluster.error()));
    QTemporaryDir dir;
    BenchInventory bench;
    bench.setRetryInterval(200);
    bench.setJournalLocation(dir.filePath(QStringLiteral("journal.sqlite")));
    QVERIFY2(bench.open(cluster.uri()), qPrintable(bench.error()));
    QList<NewMeasurement> captures;
    QStringList ids;
    for (int i = 0; i < 2; ++i) {
        captures << Capture(i);
        ids << bench.add(captures.last());
    }
    QVERIFY2(cluster.stop(), qPrintable(cluster.error()));
    for (int i = 2; i < 6; ++i) {
        captures << Capture(i);
        const QString id = bench.add(captures.last());
        QVERIFY2(!id.isEmpty(), qPrintable(bench.error()));
        ids << id;
    }
    // Undo while away, and a typed ID.
    QVERIFY(bench.setDeleted(captures[4].uuid, true));
    NewMeasurement typed = Capture(6);
    typed.cellId = QStringLiteral("X-77");
    captures << typed;
    ids << bench.add(typed);
    QCOMPARE(ids, (QStringList{"C0001", "C0002", "C0003", "C0004", "C0005", "C0006", "X-77"}));
    QVERIFY(!bench.isOnline());
    QVERIFY2(bench.statusLine().contains(QLatin1String("cannot be reached")) &&
                 bench.statusLine().contains(QLatin1String("6 waiting")),
             qPrintable(bench.statusLine()));
    QVERIFY(!bench.statusLine().contains(u'\n'));
    QVERIFY(bench.measuredInSession(QStringLiteral("C0004"), QStringLiteral("s1")));
    QVERIFY(!bench.measuredInSession(QStringLiteral("C0005"), QStringLiteral("s1")));

    QVERIFY2(cluster.start(), qPrintable(cluster.error()));
    QVERIFY2(WaitForLine(bench, QStringLiteral("6 captures kept on this bench uploaded")),
             qPrintable(bench.statusLine()));
    QVERIFY(bench.isOnline());
    QCOMPARE(bench.waiting(), 0);
    QVERIFY(bench.statusLine().isEmpty());
    // Back online, the next capture follows on the server.
    captures << Capture(7);
    ids << bench.add(captures.last());
    QCOMPARE(ids.last(), QStringLiteral("C0007"));

    const QVector<Measurement> all = AllOn(cluster.uri());
    QCOMPARE(all.size(), captures.size());
    for (int i = 0; i < all.size(); ++i) {
        QCOMPARE(all[i].uuid, captures[i].uuid);
        QCOMPARE(all[i].cellId, ids[i]);
        QCOMPARE(all[i].deleted, i == 4);
        // The bench's order, kept through the time away.
        QCOMPARE(all[i].sequence, i + 1);
    }
}

void TestBenchInventory::uploadCutOffDuplicatesNothing() {
    KELVO_SKIP_WITHOUT_PG();
    PgTestDatabase db;
    QVERIFY2(db.isReady(), qPrintable(db.error()));
    QTemporaryDir dir;
    const QString journalFile = dir.filePath(QStringLiteral("journal.sqlite"));
    QList<NewMeasurement> captures;
    {
        Journal journal;
        QVERIFY(journal.open(journalFile));
        for (int i = 0; i < 4; ++i) {
            captures << Capture(i);
            captures.last().cellId = QStringLiteral("T%1").arg(i);
            QVERIFY(journal.addCapture(captures.last(), QString()));
        }
        QVERIFY(journal.addDeletion(captures[1].uuid, true));
    }
    {
        // An upload that stored the first two and their deletion, then ended before the
        // journal heard of it.
        Inventory server;
        QVERIFY2(server.open(db.uri()), qPrintable(server.error()));
        QVERIFY(!server.add(captures[0]).isEmpty());
        QVERIFY(!server.add(captures[1]).isEmpty());
        QVERIFY(server.setDeleted(captures[1].uuid, true));
    }
    BenchInventory bench;
    bench.setJournalLocation(journalFile);
    QVERIFY2(bench.open(db.uri()), qPrintable(bench.error()));
    QCOMPARE(bench.waiting(), 0);
    const QVector<Measurement> all = AllOn(db.uri());
    QCOMPARE(all.size(), 4);
    QSet<QString> uuids;
    for (const Measurement& m : all) {
        uuids.insert(m.uuid);
    }
    QCOMPARE(uuids.size(), 4);
    QVERIFY(all[1].deleted);
    QVERIFY(!all[3].deleted);
}

void TestBenchInventory::startsAwayFromTheServer() {
    KELVO_SKIP_WITHOUT_PG();
    QTemporaryDir dir;
    // A socket folder with no server in it.
    const QString uri = QStringLiteral("postgresql://kelvomark@/cells?host=%1").arg(dir.path());
    BenchInventory bench;
    bench.setJournalLocation(dir.filePath(QStringLiteral("journal.sqlite")));
    QVERIFY2(bench.open(uri), qPrintable(bench.error()));
    QVERIFY(!bench.isOnline());
    QVERIFY2(bench.statusLine().contains(QLatin1String("cannot be reached")),
             qPrintable(bench.statusLine()));
    // No number was ever reserved here: an automatic ID cannot be given, and nothing is said
    // to be stored.
    QVERIFY(bench.add(Capture(0)).isEmpty());
    QVERIFY2(bench.error().contains(QLatin1String("type or scan")), qPrintable(bench.error()));
    QCOMPARE(bench.waiting(), 0);
    NewMeasurement typed = Capture(1);
    typed.cellId = QStringLiteral("B-1");
    QCOMPARE(bench.add(typed), QStringLiteral("B-1"));
    QCOMPARE(bench.waiting(), 1);
    QVERIFY(bench.statusLine().contains(QLatin1String("1 waiting")));
}

void TestBenchInventory::refusingServerIsAFailure_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown role") << "no_such_role"
                                  << ""
                                  << "no_such_role";
    QTest::newRow("unknown database") << "kelvomark"
                                      << "no_such_database"
                                      << "no_such_database";
}

void TestBenchInventory::refusingServerIsAFailure() {
    QFETCH(QString, user);
    QFETCH(QString, database);
    QFETCH(QString, error);
    KELVO_SKIP_WITHOUT_PG();
    PgTestDatabase db;
    QVERIFY2(db.isReady(), qPrintable(db.error()));
    auto location = DatabaseLocation::Parse(db.uri(), nullptr);
    location->user = user;
    const QString uri = location->uriFor(database.isEmpty() ? db.name() : database);
    QTemporaryDir dir;
    BenchInventory bench;
    bench.setJournalLocation(dir.filePath(QStringLiteral("journal.sqlite")));
    QVERIFY(!bench.open(uri));
    QVERIFY2(bench.error().contains(error), qPrintable(bench.error()));
}

void TestBenchInventory::newerSchemaRefused() {
    KELVO_SKIP_WITHOUT_PG();
    PgTestDatabase db;
    QVERIFY2(db.isReady(), qPrintable(db.error()));
    {
        Inventory inventory;
        QVERIFY2(inventory.open(db.uri()), qPrintable(inventory.error()));
        QCOMPARE(inventory.schemaVersion(), Inventory::SchemaVersion);
    }
    const int newer = Inventory::SchemaVersion + 1;
    QVERIFY(Exec(db.uri(), QStringLiteral("UPDATE schema_version SET version = %1").arg(newer)));
    QVERIFY(Exec(db.uri(), QStringLiteral("CREATE TABLE from_the_future (x INTEGER)")));
    Inventory inventory;
    QVERIFY(!inventory.open(db.uri()));
    QVERIFY2(inventory.error().contains(QLatin1String("newer")), qPrintable(inventory.error()));
    QVERIFY(!inventory.unreachable());
    QTemporaryDir dir;
    BenchInventory bench;
    bench.setJournalLocation(dir.filePath(QStringLiteral("journal.sqlite")));
    QVERIFY(!bench.open(db.uri()));
    QVERIFY2(bench.error().contains(QLatin1String("newer")), qPrintable(bench.error()));
    // Left as it was.
    QVERIFY(Exec(db.uri(), QStringLiteral("SELECT x FROM from_the_future")));
    QVERIFY(Exec(db.uri(),
                 QStringLiteral("DO $$ BEGIN IF (SELECT version FROM schema_version) <> %1 THEN "
                                "RAISE 'changed'; END IF; END $$")
                     .arg(newer)));
}

void TestBenchInventory::benchesAtOnceShareNoNumber() {
    KELVO_SKIP_WITHOUT_PG();
    PgTestDatabase db;
    QVERIFY2(db.isReady(), qPrintable(db.error()));
    {
        Inventory schema;
        QVERIFY2(schema.open(db.uri()), qPrintable(schema.error()));
    }
    // Each thread is a bench on its own connection: one takes numbers one at a time as add()
    // does, one takes blocks; the server's counter is all that keeps them apart.
    constexpr int Rounds = 120;
    QStringList single;
    QList<qint64> blocks;
    QString failure;
    std::thread one([&] {
        Inventory inventory;
        if (!inventory.open(db.uri())) {
            failure = inventory.error();
            return;
        }
        for (int i = 0; i < Rounds; ++i) {
            const QString id = inventory.add(Capture(i, QStringLiteral("bench-a")));
            if (id.isEmpty()) {
                failure = inventory.error();
                return;
            }
            single << id;
        }
    });
    std::thread two([&] {
        Inventory inventory;
        if (!inventory.open(db.uri())) {
            failure = inventory.error();
            return;
        }
        for (int i = 0; i < Rounds; ++i) {
            const auto first = inventory.reserveNumbers(QStringLiteral("C"), 3);
            if (!first) {
                failure = inventory.error();
                return;
            }
            blocks << *first;
        }
    });
    one.join();
    two.join();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QSet<QString> taken;
    for (const QString& id : std::as_const(single)) {
        taken.insert(id);
    }
    for (const qint64 first : std::as_const(blocks)) {
        for (qint64 n = first; n < first + 3; ++n) {
            taken.insert(Inventory::IdFor(QStringLiteral("C"), n));
        }
    }
    QCOMPARE(taken.size(), Rounds + 3 * Rounds);
    // And nothing was skipped: the numbers are 1 to the last one handed out.
    QVERIFY(taken.contains(QStringLiteral("C0001")));
    QVERIFY(taken.contains(Inventory::IdFor(QStringLiteral("C"), 4 * Rounds)));
}

void TestBenchInventory::otherBenchesCaptures() {
    KELVO_SKIP_WITHOUT_PG();
    PgTestDatabase db;
    QVERIFY2(db.isReady(), qPrintable(db.error()));
    QTemporaryDir dir;
    BenchInventory one;
    BenchInventory two;
    one.setJournalLocation(dir.filePath(QStringLiteral("one.sqlite")));
    two.setJournalLocation(dir.filePath(QStringLiteral("two.sqlite")));
    QVERIFY(one.open(db.uri()));
    QVERIFY(two.open(db.uri()));
    const QString a = one.add(Capture(1, QStringLiteral("bench-1")));
    const QString b = two.add(Capture(2, QStringLiteral("bench-2")));
    const QString c = one.add(Capture(3, QStringLiteral("bench-1")));
    QVERIFY(!a.isEmpty() && !b.isEmpty() && !c.isEmpty());
    const QVector<Measurement> others = one.inventory().recentMeasurements(10, "bench-1");
    QCOMPARE(others.size(), 1);
    QCOMPARE(others[0].cellId, b);
    const QVector<Measurement> every = one.inventory().recentMeasurements(10);
    QCOMPARE(every.size(), 3);
    QCOMPARE(every[0].cellId, c);  // newest first
    QCOMPARE(one.inventory().recentMeasurements(1).size(), 1);
    // The pack matcher's choice takes every bench's cells.
    for (const QString& id : {a, b, c}) {
        QVERIFY(one.inventory().setCapacity(id, 2500));
    }
    CellFilter filter;
    filter.verdicts = {Verdict::Pass, Verdict::Warn, Verdict::Fail};
    QSet<QString> chosen;
    for (const MatchCell& cell : two.inventory().loadCells(filter)) {
        chosen.insert(cell.id);
    }
    QCOMPARE(chosen, (QSet<QString>{a, b, c}));
}
