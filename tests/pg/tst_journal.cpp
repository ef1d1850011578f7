#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "core/cells/Journal.h"
#include "tst_pg.h"

namespace {

NewMeasurement Capture(const QString& uuid, const QString& cellId, const QString& session) {
    NewMeasurement m;
    m.uuid = uuid;
    m.cellId = cellId;
    m.session = session;
    m.time = QDateTime::fromMSecsSinceEpoch(1700000000000, Qt::OffsetFromUTC, 7200);
    m.milliohms = 38.25;
    m.volts = 3.912;
    m.ohmText = QStringLiteral("38.25");
    m.ohmUnit = QStringLiteral("mOhm");
    m.voltText = QStringLiteral("3.912");
    m.verdict = Verdict::Warn;
    m.reasons = QStringList{QStringLiteral("IR 38.25 mOhm above 35"), QStringLiteral("second")};
    m.bin = QStringLiteral("A");
    m.host = QStringLiteral("bench-1");
    m.port = QStringLiteral("COM3");
    m.remeasure = true;
    return m;
}

}  // namespace

void TestJournal::capturesComeBackInOrderAndWhole() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("j.sqlite"));
    {
        Journal journal;
        QVERIFY2(journal.open(file), qPrintable(journal.error()));
        QVERIFY(journal.addCapture(
            Capture(QStringLiteral("u1"), QStringLiteral("C0001"), QStringLiteral("s")),
            QString()));
        QVERIFY(journal.addDeletion(QStringLiteral("u1"), true));
        QVERIFY(journal.addCapture(
            Capture(QStringLiteral("u2"), QStringLiteral("C0002"), QStringLiteral("s")),
            QStringLiteral("u1")));
        // Tried twice (a retry after a failed announcement): kept once.
        QVERIFY(journal.addCapture(
            Capture(QStringLiteral("u2"), QStringLiteral("C0002"), QStringLiteral("s")),
            QStringLiteral("u1")));
    }
    Journal journal;
    QVERIFY2(journal.open(file), qPrintable(journal.error()));
    QCOMPARE(journal.waiting(), 3);
    const QVector<Journal::Entry> entries = journal.head(10);
    QCOMPARE(entries.size(), 3);
    QVERIFY(entries[0].sequence < entries[1].sequence && entries[1].sequence < entries[2].sequence);
    QVERIFY(!entries[0].deletion);
    QVERIFY(entries[1].deletion);
    QCOMPARE(entries[1].uuid, QStringLiteral("u1"));
    QVERIFY(entries[1].deleted);
    const NewMeasurement expected =
        Capture(QStringLiteral("u2"), QStringLiteral("C0002"), QStringLiteral("s"));
    const NewMeasurement& m = entries[2].capture;
    QCOMPARE(entries[2].replaces, QStringLiteral("u1"));
    QCOMPARE(m.uuid, expected.uuid);
    QCOMPARE(m.cellId, expected.cellId);
    QCOMPARE(m.time, expected.time);
    QCOMPARE(m.time.offsetFromUtc(), 7200);
    QCOMPARE(m.milliohms, expected.milliohms);
    QCOMPARE(m.volts, expected.volts);
    QCOMPARE(m.verdict, expected.verdict);
    QCOMPARE(m.reasons, expected.reasons);
    QCOMPARE(m.bin, expected.bin);
    QCOMPARE(m.host, expected.host);
    QCOMPARE(m.port, expected.port);
    QCOMPARE(m.remeasure, true);
    QVERIFY(journal.remove(entries[0].sequence));
    QCOMPARE(journal.head(1).first().sequence, entries[1].sequence);
}

void TestJournal::notANumberStaysNotANumber() {
    QTemporaryDir dir;
    Journal journal;
    QVERIFY(journal.open(dir.filePath(QStringLiteral("j.sqlite"))));
    NewMeasurement m = Capture(QStringLiteral("u"), QStringLiteral("C1"), QStringLiteral("s"));
    m.milliohms = std::numeric_limits<double>::quiet_NaN();
    QVERIFY(journal.addCapture(m, QString()));
    QVERIFY(std::isnan(journal.head(1).first().capture.milliohms));
}

void TestJournal::inSession_data() {
    QTest::addColumn<QStringList>("steps");  // "c UUID CELL SESSION" or "d UUID 1|0"
    QTest::addColumn<bool>("measured");      // C0001 in session s

    QTest::newRow("captured") << QStringList{"c u1 C0001 s"} << true;
    QTest::newRow("another session") << QStringList{"c u1 C0001 t"} << false;
    QTest::newRow("another cell") << QStringList{"c u1 C0002 s"} << false;
    QTest::newRow("deleted") << QStringList{"c u1 C0001 s", "d u1 1"} << false;
    QTest::newRow("deleted and undone") << QStringList{"c u1 C0001 s", "d u1 1", "d u1 0"} << true;
    QTest::newRow("one of two deleted")
        << QStringList{"c u1 C0001 s", "c u2 C0001 s", "d u1 1"} << true;
}

void TestJournal::inSession() {
    QFETCH(QStringList, steps);
    QFETCH(bool, measured);
    QTemporaryDir dir;
    Journal journal;
    QVERIFY(journal.open(dir.filePath(QStringLiteral("j.sqlite"))));
    for (const QString& step : steps) {
        const QStringList w = step.split(QLatin1Char(' '));
        if (w[0] == QLatin1String("c")) {
            QVERIFY(journal.addCapture(Capture(w[1], w[2], w[3]), QString()));
        } else {
            QVERIFY(journal.addDeletion(w[1], w[2] == QLatin1String("1")));
        }
    }
    QCOMPARE(journal.measuredInSession(QStringLiteral("C0001"), QStringLiteral("s")), measured);
}

void TestJournal::numbers() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("j.sqlite"));
    {
        Journal journal;
        QVERIFY(journal.open(file));
        QCOMPARE(journal.takeNumber(QStringLiteral("C")), std::nullopt);
        QCOMPARE(journal.numbersLeft(QStringLiteral("C")), 0);
        // Two blocks that touch, as one counter hands them out, and one that came earlier.
        QVERIFY(journal.addNumbers(QStringLiteral("C"), 201, 202));
        QVERIFY(journal.addNumbers(QStringLiteral("C"), 203, 203));
        QVERIFY(journal.addNumbers(QStringLiteral("C"), 5, 6));
        QVERIFY(journal.addNumbers(QStringLiteral("B"), 1, 1));
        QCOMPARE(journal.numbersLeft(QStringLiteral("C")), 5);
        QCOMPARE(journal.peekNumber(QStringLiteral("C")), 5);
        QCOMPARE(journal.takeNumber(QStringLiteral("C")), 5);
    }
    Journal journal;
    QVERIFY(journal.open(file));
    QList<qint64> taken;
    while (const auto number = journal.takeNumber(QStringLiteral("C"))) {
        taken << *number;
    }
    QCOMPARE(taken, (QList<qint64>{6, 201, 202, 203}));
    QCOMPARE(journal.numbersLeft(QStringLiteral("C")), 0);
    QCOMPARE(journal.takeNumber(QStringLiteral("B")), 1);
}

void TestJournal::twoProgramsNeverTakeOneNumber() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("j.sqlite"));
    Journal a;
    Journal b;
    QVERIFY(a.open(file));
    QVERIFY(b.open(file));
    QVERIFY(a.addNumbers(QStringLiteral("C"), 1, 20));
    QSet<qint64> taken;
    for (int i = 0; i < 10; ++i) {
        for (Journal* j : {&a, &b}) {
            const auto number = j->takeNumber(QStringLiteral("C"));
            QVERIFY(number);
            QVERIFY2(!taken.contains(*number), "a number handed out twice");
            taken.insert(*number);
        }
    }
    QCOMPARE(a.takeNumber(QStringLiteral("C")), std::nullopt);
}

void TestJournal::unknownVersionRefused() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("j.sqlite"));
    {
        Journal journal;
        QVERIFY(journal.open(file));
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("x"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("UPDATE journal_version SET version = 9"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("x"));
    Journal journal;
    QVERIFY(!journal.open(file));
    QVERIFY2(journal.error().contains(QLatin1String("version 9")), qPrintable(journal.error()));
}
