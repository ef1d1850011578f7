#include <QRandomGenerator>
#include <QTest>
#include <cmath>

#include "LoggerTestData.h"
#include "tst_logger.h"

using namespace LoggerTestData;
using LoggerDump::build;

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

QVector<LoggerDump::Set> ManySets(int count) {
    return QVector<LoggerDump::Set>(count, MakeSet(1, 0x03, 1));
}

}  // namespace

void TestLoggerSets::index_data() {
    QTest::addColumn<QByteArray>("rx");
    QTest::addColumn<QStringList>("rows");  // the first and the last row when there are many
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<double>("setNumber");
    QTest::addColumn<double>("setRecords");

    const QStringList three = ThreeSetRows();
    QTest::newRow("three sets, end marker")
        << Closed(build(ThreeSets(), true)) << three << 3 << false << 4.0 << 2.0;
    QTest::newRow("last set ended by the closing copy")
        << Closed(build(ThreeSets(), false)) << three << 3 << false << 4.0 << 2.0;
    const QStringList edges = {QStringLiteral("1\t40m Ohm\t4 Voltage\t1\t1"),
                               QStringLiteral("512\t40m Ohm\t4 Voltage\t1\t1")};
    QTest::newRow("512 sets") << Closed(build(ManySets(512))) << edges << 512 << false << 513.0
                              << 1.0;
    QTest::newRow("513th set fails")
        << Closed(build(ManySets(513))) << edges << 512 << true << 513.0 << 1.0;
    QTest::newRow("empty logger") << Closed(build({})) << QStringList() << 0 << false << 1.0 << 0.0;
    QTest::newRow("not closed: records run off the end")
        << build({MakeSet(5, 0x03, 2)}, false) << QStringList() << 0 << true << 1.0 << 0.0;
    // The meter stopped right after the first sampling byte.
    QTest::newRow("cut inside the first set") << LoggerSets::ClosingCopy(Hex("004310"
                                                                             "0055aa00"
                                                                             "0a"),
                                                                         20)
                                                     .value()
                                              << QStringList() << 0 << true << 1.0 << 0.0;
    // Counts of 771 (03 03) for both readings, as in 7.71 mOhm and 0.771 V: a record, not the end.
    LoggerDump::Set low = MakeSet(6, 0x03, 3);
    low.records[1] = {771, 771, 0x03};
    QTest::newRow("a record reading 03 03 03 03")
        << Closed(build({low, MakeSet(60, 0x05, 2)}, true))
        << QStringList{QStringLiteral("1\t40m Ohm\t4 Voltage\t6\t3"),
                       QStringLiteral("2\t4 Ohm\t40 Voltage\t60\t2")}
        << 2 << false << 3.0 << 2.0;
    LoggerDump::Set lowLast = MakeSet(6, 0x03, 2);
    lowLast.records[1] = {771, 771, 0x03};
    QTest::newRow("the last record reads 03 03 03 03")
        << Closed(build({lowLast}, true))
        << QStringList{QStringLiteral("1\t40m Ohm\t4 Voltage\t6\t2")} << 1 << false << 2.0 << 2.0;
    QTest::newRow("garbage") << QByteArray(300, char(0x5a)) << QStringList() << 0 << false << 1.0
                             << 0.0;
}

void TestLoggerSets::index() {
    QFETCH(QByteArray, rx);
    QFETCH(QStringList, rows);
    QFETCH(int, rowCount);
    QFETCH(bool, failed);
    QFETCH(double, setNumber);
    QFETCH(double, setRecords);

    const LoggerSets::Index index = LoggerSets::IndexSets(rx);
    QCOMPARE(index.rows.size(), rowCount);
    if (rowCount <= 3) {
        QCOMPARE(index.rows, rows);
    } else {
        QCOMPARE(index.rows.first(), rows.first());
        QCOMPARE(index.rows.last(), rows.last());
    }
    QCOMPARE(index.failed, failed);
    QCOMPARE(index.setNumber, setNumber);
    QCOMPARE(index.setRecords, setRecords);
}

void TestLoggerSets::block_data() {
    QTest::addColumn<QByteArray>("rx");
    QTest::addColumn<double>("setNumber");
    QTest::addColumn<double>("records");  // (B - 6) / 5; -1: no block

    const QByteArray marked = Closed(build(ThreeSets(), true));
    const QByteArray unmarked = Closed(build(ThreeSets(), false));
    QTest::newRow("first of three") << marked << 1.0 << 25.0;
    QTest::newRow("middle set") << marked << 2.0 << 3.0;
    QTest::newRow("last set, end marker: plus 0.8") << marked << 3.0 << 2.8;
    QTest::newRow("last set, no end marker") << unmarked << 3.0 << 2.0;
    QTest::newRow("the closing copy is no set") << marked << 4.0 << -1.0;
    QTest::newRow("set 0") << marked << 0.0 << -1.0;
    QTest::newRow("not whole") << marked << 1.5 << -1.0;
    QTest::newRow("no marker before the end") << build(ThreeSets(), true) << 3.0 << -1.0;
    QTest::newRow("empty buffer") << QByteArray() << 1.0 << -1.0;
}

void TestLoggerSets::block() {
    QFETCH(QByteArray, rx);
    QFETCH(double, setNumber);
    QFETCH(double, records);

    const auto block = LoggerSets::SetBlock(rx, setNumber);
    if (records < 0) {
        QVERIFY(!block);
        return;
    }
    QVERIFY(block);
    QCOMPARE(LoggerSets::BlockRecords(*block), records);
    QCOMPARE(LoggerSets::ListRecords(*block, QStringLiteral("2021/07/01 10:20:30")).size(),
             qsizetype(std::floor(records)));
}

void TestLoggerSets::records_data() {
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("rows");

    // Each record is decoded by its own status byte: 400 milliohm / 40 V, then no resistance
    // reading, then a negative voltage overload.
    LoggerDump::Set mixed;
    mixed.sampling = 10;
    mixed.records = {{1234, 56, 0x06}, {1234, 56, 0x86}, {1234, 56, 0x66}};
    QTest::newRow("three records every 10 s")
        << LoggerSets::SetBlock(Closed(build({mixed})), 1).value()
        << QStringLiteral("2021/07/01 10:20:30")
        << QStringList{QStringLiteral("1\t2021/07/01\t10:20:30\t123.4\t0.56"),
                       QStringLiteral("2\t2021/07/01\t10:20:40\t----\t0.56"),
                       QStringLiteral("3\t2021/07/01\t10:20:50\t123.4\t-OL")};

    LoggerDump::Set slow;
    slow.sampling = 200;
    slow.records = {{12, 3456, 0x01}, {12, 3456, 0x01}, {12, 3456, 0x01}};
    QTest::newRow("across midnight and a month end, end marker")
        << LoggerSets::SetBlock(Closed(build({slow}, true)), 1).value()
        << QStringLiteral("2021/02/28 23:58:00")
        << QStringList{QStringLiteral("1\t2021/02/28\t23:58:00\t0.012\t3.456"),
                       QStringLiteral("2\t2021/03/01\t00:01:20\t0.012\t3.456"),
                       QStringLiteral("3\t2021/03/01\t00:04:40\t0.012\t3.456")};

    LoggerDump::Set fast;
    fast.sampling = 1;
    fast.records = {{0, 0, 0x00}, {0, 0, 0x00}};
    QTest::newRow("into a new year")
        << LoggerSets::SetBlock(Closed(build({fast})), 1).value()
        << QStringLiteral("2021/12/31 23:59:59")
        << QStringList{QStringLiteral("1\t2021/12/31\t23:59:59\t0.00\t0.000"),
                       QStringLiteral("2\t2022/01/01\t00:00:00\t0.00\t0.000")};
}

void TestLoggerSets::records() {
    QFETCH(QByteArray, block);
    QFETCH(QString, start);
    QFETCH(QStringList, rows);

    QStringList got;
    for (const QStringList& cells : LoggerSets::ListRecords(block, start)) {
        got.append(cells.join(u'\t'));
    }
    QCOMPARE(got, rows);
}

// Random buffers full of marker bytes: every read stays inside the buffer (a read beyond it
// asserts in this build) and every block lists exactly its whole records.
void TestLoggerSets::malformedNeverReadBeyond() {
    QRandomGenerator random(20210701);
    const char alphabet[] = {0x00, 0x55, char(0xaa), 0x03, 0x07, 0x42};
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes(random.bounded(0, 120), '\0');
        for (char& c : bytes) {
            c = alphabet[random.bounded(int(sizeof alphabet))];
        }
        const auto closed = LoggerSets::ClosingCopy(bytes, random.bounded(-2, 130));
        for (const QByteArray& rx : {bytes, closed.value_or(QByteArray())}) {
            const LoggerSets::Index index = LoggerSets::IndexSets(rx);
            QVERIFY(index.rows.size() <= LoggerDump::MaxSets);
            for (int set = 1; set <= 4; ++set) {
                const auto block = LoggerSets::SetBlock(rx, set);
                if (block) {
                    const double records = LoggerSets::BlockRecords(*block);
                    QCOMPARE(LoggerSets::ListRecords(*block, QStringLiteral("2021/07/01 10:20:30"))
                                 .size(),
                             qsizetype(std::max(0.0, std::floor(records))));
                }
            }
        }
    }
}

void TestLoggerSets::progress_data() {
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing yet") << qint64(0) << qint64(48137) << ".0 % Completed";
    QTest::newRow("below 1: no leading zero") << qint64(1) << qint64(300) << ".3 % Completed";
    QTest::newRow("half rounds up") << qint64(1) << qint64(16) << "6.3 % Completed";
    QTest::newRow("one decimal") << qint64(100) << qint64(800) << "12.5 % Completed";
    QTest::newRow("just short rounds to 100.0")
        << qint64(9999) << qint64(10000) << "100.0 % Completed";
    QTest::newRow("exactly E") << qint64(52) << qint64(52) << "100.0 % Completed";
    QTest::newRow("above E") << qint64(53) << qint64(52) << "100 % Completed";
}

void TestLoggerSets::progress() {
    QFETCH(qint64, received);
    QFETCH(qint64, expected);
    QFETCH(QString, text);
    QCOMPARE(LoggerSets::ProgressText(received, expected), text);
}

void TestLoggerSets::remained() {
    QCOMPARE(LoggerSets::RemainedText(20480), QStringLiteral("43.8K"));
    QCOMPARE(LoggerSets::RemainedText(LoggerDump::EmptyAddress), QStringLiteral("47.0K"));
    QCOMPARE(LoggerSets::RemainedText(LoggerDump::MemoryTop), QStringLiteral("0.0K"));
}
