#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "CliProcess.h"
#include "ProgramRig.h"
#include "SimLoggers.h"
#include "core/logger/LoggerDump.h"
#include "tst_cli.h"

using SimLoggers::DemoRows;
using SimLoggers::FullRows;

namespace {

// A meter with a live reading ten times a second and the logger of `more`.
QStringList MeterArgs(const QStringList& more) {
    return QStringList{"--status", "0x03",     "--ohm", "1234",     "--volt",
                       "56",       "--period", "100",   "--verbose"} +
           more;
}

// Set 2 of the demo logger (25 records, 10 s apart, 123.4 mOhm rising by 0.1, 12.62 V falling by
// 0.01) as the Data List window's Save writes it, listed from 2021/07/01 23:59:30.
QByteArray DemoSet2() {
    QByteArray expected = "No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t\r\n";
    const QDateTime start(QDate(2021, 7, 1), QTime(23, 59, 30));
    for (int r = 1; r <= 25; ++r) {
        const QByteArray ohm = QByteArray::number(1234 + r - 1);
        const QByteArray volt = QByteArray::number(1262 - (r - 1));
        const QDateTime at = start.addSecs(10 * (r - 1));
        expected += QByteArray::number(r) + '\t' +
                    at.toString(QStringLiteral("yyyy/MM/dd\tHH:mm:ss")).toLatin1() + '\t' +
                    ohm.left(3) + '.' + ohm.mid(3) + '\t' + volt.left(2) + '.' + volt.mid(2) +
                    "\t\r\n";
    }
    return expected;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

void TestCliLogger::download_data() {
    QTest::addColumn<QStringList>("logger");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("says");

    QTest::newRow("demo") << QStringList{"--byte-us", "200"} << DemoRows
                          << "COM1: 3 sets, 46.8K remained";
    QTest::newRow("full") << QStringList{"--logger", "full", "--byte-us", "10"} << FullRows
                          << "COM1: 4 sets, 0.0K remained";
    QTest::newRow("empty") << QStringList{"--logger", "empty"} << QStringList()
                           << "COM1: the data logger holds no set";
    // Seven bytes that promise more, five quiet seconds, then the dump asked for again. No live
    // packets: they would make the seven bytes more and be taken for the answer.
    QTest::newRow("seven bytes first")
        << QStringList{"--logger-fault", "seven", "--byte-us", "200", "--period", "0"} << DemoRows
        << "3 sets";
    QTest::newRow("no EndMarker") << QStringList{"--logger-no-endmarker", "--byte-us", "200"}
                                  << DemoRows << "3 sets";
    // The dump, then its last record without end: the download takes what it asked for.
    QTest::newRow("endless") << QStringList{"--logger-fault", "endless", "--byte-us", "200"}
                             << DemoRows << "3 sets";
}

// The sets as the Data Logger window lists them, on stdout and nothing else there.
void TestCliLogger::download() {
    QFETCH(QStringList, logger);
    QFETCH(QStringList, rows);
    QFETCH(QString, says);
    SimProcess sim(MeterArgs(logger));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    CliProcess cli({"logger"}, sim.path());
    QCOMPARE(cli.finish(), 0);
    QCOMPARE(cli.outLines(), rows);
    QVERIFY2(cli.err().contains(says), qPrintable(cli.err()));
}

void TestCliLogger::faults_data() {
    QTest::addColumn<QStringList>("logger");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("says");

    QTest::newRow("stops part-way")
        << QStringList{"--logger-fault", "short", "--byte-us", "200"} << QStringList()
        << "COM1: the meter stopped in the middle of its answer: nothing came for 5 s";
    // A meter wholly silent: one that streams has its live packets taken for a malformed answer.
    QTest::newRow("never answers")
        << QStringList{"--logger-fault", "silent", "--period", "0"} << QStringList{"--timeout", "2"}
        << "COM1: the meter did not answer the logger request in 2 s";
}

void TestCliLogger::faults() {
    QFETCH(QStringList, logger);
    QFETCH(QStringList, options);
    QFETCH(QString, says);
    SimProcess sim(MeterArgs(logger));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    CliProcess cli(QStringList{"logger"} + options, sim.path());
    QCOMPARE(cli.finish(), 1);
    QVERIFY(cli.out().isEmpty());
    QVERIFY2(cli.err().contains(says), qPrintable(cli.err()));
}

// SIGINT in the middle of the dump ends the download as cancelled, with nothing on stdout.
void TestCliLogger::cancel() {
    // 48 KB at 200 us a byte: about 10 s.
    SimProcess sim(MeterArgs({"--logger", "full", "--byte-us", "200"}));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    SimLog log(sim);
    CliProcess cli({"logger"}, sim.path());
    QVERIFY(cli.waitFor([&] { return log.count(QStringLiteral("request:")) > 0; }, 10000));
    QTest::qWait(500);
    QVERIFY(cli.running());
    cli.signal(SIGINT);
    QCOMPARE(cli.finish(5000), 1);
    QVERIFY(cli.out().isEmpty());
    QVERIFY2(cli.err().contains(QLatin1String("COM1: the download was cancelled")),
             qPrintable(cli.err()));
}

// A set listed from a typed starting time that crosses midnight, in the Data List's save form,
// to stdout and to a file.
void TestCliLogger::listSet() {
    SimProcess sim(MeterArgs({"--byte-us", "100"}));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    {
        CliProcess cli({"logger", "--set", "2", "--start", "2021/07/01 23:59:30"}, sim.path());
        QCOMPARE(cli.finish(), 0);
        QCOMPARE(cli.out(), DemoSet2());
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("set2.Kmk"));
    // The starting time read as the prompt reads it: a month and a day without their zeros.
    CliProcess cli({"logger", "--set", "2", "--start", "2021/7/1 23:59:30", "--out", file},
                   sim.path());
    QCOMPARE(cli.finish(), 0);
    QVERIFY(cli.out().isEmpty());
    QCOMPARE(ReadAll(file), DemoSet2());

    CliProcess missing({"logger", "--set", "4", "--start", "2021/07/01 00:00:00"}, sim.path());
    QCOMPARE(missing.finish(), 1);
    QVERIFY2(missing.err().contains(QLatin1String("holds 3 sets; there is no set 4")),
             qPrintable(missing.err()));
}

void TestCliLogger::listAllSets() {
    SimProcess sim(MeterArgs({"--byte-us", "100"}));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    CliProcess cli({"logger", "--all", "--start", "2021/07/01 10:00:00", "--same-start",
                    "--out-dir", dir.path()},
                   sim.path());
    QCOMPARE(cli.finish(), 0);
    struct Expected {
        const char* header;
        int records;
    };
    const Expected sets[] = {{"No.s\t   Date\t   Time\t40m Ohm\t4 Voltage\t\r\n", 12},
                             {"No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t\r\n", 25},
                             {"No.s\t   Date\t   Time\t4 Ohm\t4 Voltage\t\r\n", 8}};
    for (int set = 1; set <= 3; ++set) {
        const QList<QByteArray> lines =
            FileLines(dir.filePath(QStringLiteral("set-%1.Kmk").arg(set)));
        QCOMPARE(lines.size(), sets[set - 1].records + 1);
        QCOMPARE(lines.first(), QByteArray(sets[set - 1].header));
        QVERIFY(lines.at(1).startsWith("1\t2021/07/01\t10:00:00\t"));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

// Each set from its own start; sets without one are named, and nothing is written.
void TestCliLogger::listAllSetsNeedsEachStart() {
    SimProcess sim(MeterArgs({"--byte-us", "100"}));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    {
        CliProcess cli(
            {"logger", "--all", "--start", "1=2021/07/01 10:00:00", "--out-dir", dir.path()},
            sim.path());
        QCOMPARE(cli.finish(), 2);
        QVERIFY2(cli.err().contains(QLatin1String(
                     "the data logger holds 3 sets: sets 2 and 3 without --start N=TIME; "
                     "nothing was written")),
                 qPrintable(cli.err()));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
    {
        CliProcess cli({"logger", "--all", "--start", "1=2021/07/01 10:00:00", "--start",
                        "2=2021/07/01 23:59:30", "--start", "3=2021/07/03 08:00:00", "--start",
                        "5=2021/07/05 08:00:00", "--out-dir", dir.path()},
                       sim.path());
        QCOMPARE(cli.finish(), 2);
        QVERIFY2(cli.err().contains(QLatin1String("--start for set 5, which it does not hold")),
                 qPrintable(cli.err()));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
    CliProcess cli(
        {"logger", "--all", "--start", "3=2021/07/03 08:00:00", "--start", "1=2021/07/01 10:00:00",
         "--start", "2=2021/07/01 23:59:30", "--out-dir", dir.path()},
        sim.path());
    QCOMPARE(cli.finish(), 0);
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("set-2.Kmk"))), DemoSet2());
    const QList<QByteArray> first = FileLines(dir.filePath(QStringLiteral("set-1.Kmk")));
    QVERIFY(first.value(1).startsWith("1\t2021/07/01\t10:00:00\t"));
    const QList<QByteArray> third = FileLines(dir.filePath(QStringLiteral("set-3.Kmk")));
    QVERIFY(third.value(1).startsWith("1\t2021/07/03\t08:00:00\t"));
}

void TestCliLogger::outputsCheckedFirst_data() {
    QTest::addColumn<QStringList>("options");  // DIR stands for a fresh folder
    QTest::addColumn<QStringList>("present");  // files made in DIR first
    QTest::addColumn<QString>("says");

    const QString start = QStringLiteral("2021/07/01 10:00:00");
    QTest::newRow("existing out") << QStringList{"--set", "1",     "--start",
                                                 start,   "--out", "DIR/set.Kmk"}
                                  << QStringList{"set.Kmk"}
                                  << "DIR/set.Kmk exists; --overwrite replaces it";
    QTest::newRow("out in a missing folder")
        << QStringList{"--set", "1", "--start", start, "--out", "DIR/none/set.Kmk"} << QStringList()
        << "cannot write DIR/none/set.Kmk: the folder DIR/none does not exist";
    QTest::newRow("out a folder") << QStringList{"--set", "1", "--start", start, "--out", "DIR"}
                                  << QStringList() << "DIR is a folder";
    QTest::newRow("out unwritable")
        << QStringList{"--set", "1", "--start", start, "--out", "/proc/set.Kmk"} << QStringList()
        << "cannot write /proc/set.Kmk";
    QTest::newRow("out-dir missing")
        << QStringList{"--all", "--start", start, "--same-start", "--out-dir", "DIR/none"}
        << QStringList() << "DIR/none is not a folder";
    QTest::newRow("out-dir unwritable")
        << QStringList{"--all", "--start", start, "--same-start", "--out-dir", "/proc"}
        << QStringList() << "cannot write in /proc";
    QTest::newRow("a named set's file")
        << QStringList{"--all", "--start", "2=" + start, "--out-dir", "DIR"}
        << QStringList{"set-2.Kmk"} << "DIR/set-2.Kmk exists";
    QTest::newRow("any set file with one start")
        << QStringList{"--all", "--start", start, "--same-start", "--out-dir", "DIR"}
        << QStringList{"set-7.Kmk", "notes.txt"} << "DIR/set-7.Kmk exists";
    QTest::newRow("existing dump") << QStringList{"--save-dump", "DIR/dump.bin"}
                                   << QStringList{"dump.bin"} << "DIR/dump.bin exists";
}

// Every output is tried before the download, which takes up to a minute: here there is not even
// a meter, and the file is what is told.
void TestCliLogger::outputsCheckedFirst() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, present);
    QFETCH(QString, says);
    QTemporaryDir dir;
    for (const QString& name : present) {
        QVERIFY(!WriteText(dir.filePath(name), "kept\n").isEmpty());
    }
    for (QString& option : options) {
        option.replace(QLatin1String("DIR"), dir.path());
    }
    CliProcess cli(QStringList{"logger"} + options);
    QCOMPARE(cli.finish(), 1);
    QVERIFY2(cli.err().contains(QString(says).replace(QLatin1String("DIR"), dir.path())),
             qPrintable(cli.err()));
    QVERIFY2(!cli.err().contains(QLatin1String("no such device")), qPrintable(cli.err()));
    for (const QString& name : present) {
        QCOMPARE(ReadAll(dir.filePath(name)), QByteArray("kept\n"));
    }
}

// --overwrite replaces what exists, as record's does.
void TestCliLogger::overwrite() {
    SimProcess sim(MeterArgs({"--byte-us", "100"}));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("set-2.Kmk"));
    const QString dump = dir.filePath(QStringLiteral("dump.bin"));
    QVERIFY(!WriteText(file, "old\n").isEmpty());
    QVERIFY(!WriteText(dump, "old\n").isEmpty());
    CliProcess cli({"logger", "--set", "2", "--start", "2021/07/01 23:59:30", "--out", file,
                    "--save-dump", dump, "--overwrite"},
                   sim.path());
    QCOMPARE(cli.finish(), 0);
    QCOMPARE(ReadAll(file), DemoSet2());
    QCOMPARE(ReadAll(dump).size(), 248);
}

// The meter's answer kept, then listed again with no meter: the same sets, the same list.
void TestCliLogger::keptDump() {
    QTemporaryDir dir;
    const QString dump = dir.filePath(QStringLiteral("logger.bin"));
    {
        SimProcess sim(MeterArgs({"--byte-us", "100"}));
        QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
        CliProcess cli({"logger", "--save-dump", dump}, sim.path());
        QCOMPARE(cli.finish(), 0);
        QCOMPARE(cli.outLines(), DemoRows);
    }
    QCOMPARE(ReadAll(dump).size(), 248);
    CliProcess rows({"logger", "--from-dump", dump});
    QCOMPARE(rows.finish(), 0);
    QCOMPARE(rows.outLines(), DemoRows);
    QVERIFY2(rows.err().contains(QLatin1String("46.8K remained")), qPrintable(rows.err()));
    CliProcess set({"logger", "--from-dump", dump, "--set", "2", "--start", "2021/07/01 23:59:30"});
    QCOMPARE(set.finish(), 0);
    QCOMPARE(set.out(), DemoSet2());
}

void TestCliLogger::badDump_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");

    const QByteArray demo = LoggerDump::build({{10, {{1234, 56, 3}, {1235, 55, 3}}}});
    QVERIFY(demo.size() > 20);
    QTest::newRow("two bytes") << QByteArray::fromHex("0043") << 1 << "is no logger dump: 2 bytes";
    QTest::newRow("no length") << QByteArray::fromHex("0042fc00") << 1
                               << "its end address 17148 asks for 0 bytes";
    QTest::newRow("cut short")
        << demo.left(demo.size() - 3) << 1
        << QStringLiteral("is cut short: %1 of its %2 bytes").arg(demo.size() - 3).arg(demo.size());
    QTest::newRow("empty logger") << QByteArray::fromHex("00430000") << 0
                                  << "the data logger holds no set";
    QVector<LoggerDump::Set> tooMany(LoggerDump::MaxSets + 1, LoggerDump::Set{1, {{1, 2, 3}}});
    QTest::newRow("513 sets") << LoggerDump::build(tooMany) << 1
                              << "the answer is malformed after 512 sets";
}

void TestCliLogger::badDump() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString dump = dir.filePath(QStringLiteral("dump.bin"));
    QVERIFY(!WriteText(dump, bytes).isEmpty());
    CliProcess cli({"logger", "--from-dump", dump});
    QCOMPARE(cli.finish(), status);
    QVERIFY2(cli.err().contains(says), qPrintable(cli.err()));
    if (status != 0) {
        QVERIFY2(cli.err().contains(dump), qPrintable(cli.err()));
    }
}
