#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "GridChecks.h"
#include "ProgramRig.h"
#include "SimLoggers.h"
#include "tst_e2e.h"
#include "windows/logger/DataList.h"
#include "windows/logger/Memory.h"

using SimLoggers::DemoRows;
using SimLoggers::FullRows;

namespace {

// A meter with a fixed live reading, 12.34 mOhm and 0.056 V, four packets a second unless
// `more` says otherwise. Each test paces its logger so that the dump lasts longer than the
// program's 0.3 s wait after its request: live packets, which resume a period after the dump,
// then never mix with it.
QStringList MeterArgs(const QStringList& more) {
    QStringList args = {"--status", "0x03", "--ohm", "1234", "--volt", "56", "--verbose"};
    if (!more.contains(QStringLiteral("--period"))) {
        args << QStringLiteral("--period") << QStringLiteral("250");
    }
    return args + more;
}

// The progress at the end of a download: "100.0" for exactly E bytes, "100" when a live
// packet that followed the dump came in the same read (a program slowed by a busy machine).
bool Completed(const QString& message) {
    return message == u"100.0 % Completed" || message == u"100 % Completed";
}

// After a download ends: the receive tick is on and new readings are shown.
bool ReadingsResume(ProgramRig& rig) {
    if (rig.app.meter.DownloadBusy || !rig.app.timer1()) {
        return false;
    }
    ReadingLog after(rig.app);
    return QTest::qWaitFor([&] { return after.readings.size() >= 2; }, 15000) &&
           after.readings.constLast() == u"12.34/0.056";
}

}  // namespace

// The demo logger downloaded, its second set listed from a typed starting time that crosses
// midnight, and the list saved.
void TestLoggerPath::listAndSaveSet() {
    // 248 bytes at 2 ms a byte: half a second.
    SimProcess sim(MeterArgs({"--byte-us", "2000"}));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("12.34"), 10000);

    rig.click(QStringLiteral("Memory"));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.app.meter.DownloadBusy, 10000);
    Memory* memory = rig.app.windows().find<Memory>();
    QVERIFY(memory && memory->isVisible());
    QCOMPARE(rig.loggerSets(), DemoRows);
    // E = 248 bytes: N = 17396, 47889 bytes free.
    QCOMPARE(memory->lblRemain()->text(), QStringLiteral("46.8K"));
    QVERIFY2(Completed(memory->lblMessage()->text()), qPrintable(memory->lblMessage()->text()));

    rig.dialogs.inputs.enqueue(QStringLiteral("2021/07/01 23:59:30"));
    ClickRow(memory->gridSet(), 2);
    QCOMPARE(rig.dialogs.prompts.size(), 1);
    QCOMPARE(rig.dialogs.prompts.first().title, QStringLiteral("Input Starting Time"));
    DataList* list = rig.app.windows().find<DataList>();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->windowTitle(), QStringLiteral("Data List"));
    const GridModel& grid = list->grid().model();
    QCOMPARE(grid.Rows(), 26);
    QCOMPARE(grid.row(0), QStringList({"No.s", "   Date", "   Time", "Ohm", "Voltage"}));
    QCOMPARE(grid.row(1), QStringList({"1", "2021/07/01", "23:59:30", "123.4", "12.62"}));
    QCOMPARE(grid.row(3), QStringList({"3", "2021/07/01", "23:59:50", "123.6", "12.60"}));
    QCOMPARE(grid.row(4), QStringList({"4", "2021/07/02", "00:00:00", "123.7", "12.59"}));
    QCOMPARE(grid.row(25), QStringList({"25", "2021/07/02", "00:03:30", "125.8", "12.38"}));
    // Ten seconds a record, the set's sampling byte.
    const QDateTime start(QDate(2021, 7, 1), QTime(23, 59, 30));
    QByteArray expected = "No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t\r\n";
    for (int r = 1; r < grid.Rows(); ++r) {
        const QDateTime at = start.addSecs(10 * (r - 1));
        QCOMPARE(grid.text(r, 1), at.toString(QStringLiteral("yyyy/MM/dd")));
        QCOMPARE(grid.text(r, 2), at.toString(QStringLiteral("HH:mm:ss")));
        expected += grid.row(r).join(u'\t').toLatin1() + "\t\r\n";
    }
    QCOMPARE(rig.com1(), QStringLiteral("COM1"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set2.Kmk"));
    rig.dialogs.files.enqueue(path);
    list->toolbarButton(QStringLiteral("Save"))->trigger();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), expected);
    QCOMPARE(grid.text(0, 3), QStringLiteral(" Ohm"));
    QCOMPARE(grid.text(0, 4), QStringLiteral(" Voltage"));
    QVERIFY(rig.dialogs.messages.isEmpty());
    QVERIFY(ReadingsResume(rig));
}

void TestLoggerPath::download_data() {
    QTest::addColumn<QStringList>("logger");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("remain");
    QTest::addColumn<int>("requests");

    QTest::newRow("empty") << QStringList{"--logger", "empty", "--byte-us", "150000"}
                           << QStringList() << "48.0 K" << 1;
    // The meter keeps quiet for a second after the seven bytes: the program asks again.
    QTest::newRow("seven bytes, then the dump")
        << QStringList{"--logger-fault", "seven", "--byte-us", "1000", "--period", "2000"}
        << DemoRows << "46.8K" << 2;
    // The last set is closed by the copy of the first set's marker.
    QTest::newRow("no EndMarker") << QStringList{"--logger-no-endmarker", "--byte-us", "2000"}
                                  << DemoRows << "46.8K" << 1;
    QTest::newRow("full") << QStringList{"--logger", "full", "--byte-us", "10"} << FullRows
                          << "0.0K" << 1;
}

void TestLoggerPath::download() {
    QFETCH(QStringList, logger);
    QFETCH(QStringList, rows);
    QFETCH(QString, remain);
    QFETCH(int, requests);

    SimProcess sim(MeterArgs(logger));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    SimLog log(sim);
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("12.34"), 10000);

    rig.click(QStringLiteral("Memory"));
    QVERIFY(!rig.app.timer1());
    Memory* memory = rig.app.windows().find<Memory>();
    QVERIFY(memory && memory->download());
    // The seven bytes promise 52: a second of silence after them ends the attempt.
    memory->download()->setStallTimeoutMs(1000);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.app.meter.DownloadBusy, 15000);
    QCOMPARE(rig.loggerSets(), rows);
    // "40 Voltage" and "400m Ohm" shown whole, though wider than their columns' samples.
    QCOMPARE(ClippedColumns(memory->gridSet()), QStringList());
    QCOMPARE(memory->lblRemain()->text(), remain);
    QVERIFY2(Completed(memory->lblMessage()->text()), qPrintable(memory->lblMessage()->text()));
    QCOMPARE(log.count(QStringLiteral("request:")), requests);
    QVERIFY(ReadingsResume(rig));
}

void TestLoggerPath::secondClickDuringDownload() {
    // 48 KB at 50 us a byte: about 2.4 s.
    SimProcess sim(MeterArgs({"--logger", "full", "--byte-us", "50"}));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    SimLog log(sim);
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("12.34"), 10000);

    rig.click(QStringLiteral("Memory"));
    Memory* memory = rig.app.windows().find<Memory>();
    QVERIFY(memory);
    QTRY_VERIFY_WITH_TIMEOUT(!memory->lblMessage()->text().isEmpty(), 10000);
    QVERIFY(rig.app.meter.DownloadBusy);
    rig.click(QStringLiteral("Memory"));
    QCOMPARE(rig.app.windows().find<Memory>(), memory);
    QVERIFY(rig.app.meter.DownloadBusy);
    QVERIFY(!rig.app.timer1());

    QTRY_VERIFY_WITH_TIMEOUT(!rig.app.meter.DownloadBusy, 15000);
    QCOMPARE(rig.loggerSets(), FullRows);
    QCOMPARE(log.count(QStringLiteral("request:")), 1);
    QVERIFY(ReadingsResume(rig));
}

// A download that ends without all its sets says so in LblMessage, in place of its progress;
// the sets found stay listed and the readings resume.
void TestLoggerPath::endsWithoutItsSets_data() {
    QTest::addColumn<QStringList>("meter");
    QTest::addColumn<QByteArray>("logger");  // a logger file's text; empty: none
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<QString>("message");

    QTest::newRow("cancelled mid-dump") << QStringList{"--logger", "full", "--byte-us", "60"}
                                        << QByteArray() << true << 0 << "Download cancelled";
    // The second record's counts 0x0055 and 0xAA00 read as a set marker.
    QTest::newRow("a record read as a set")
        << QStringList{"--byte-us", "20000"} << QByteArray("1 0x03 2 ramp 0x0054 0xAA00 1 0\n")
        << false << 1 << "Download failed: the meter's answer could not be read";
    QByteArray sets;
    for (int set = 1; set <= 513; ++set) {
        sets += "1 0x03 1\n";
    }
    QTest::newRow("513 sets") << QStringList{"--byte-us", "100"} << sets << false << 512
                              << "Stopped after 512 sets";
}

void TestLoggerPath::endsWithoutItsSets() {
    QFETCH(QStringList, meter);
    QFETCH(QByteArray, logger);
    QFETCH(bool, cancel);
    QFETCH(int, rowCount);
    QFETCH(QString, message);

    QTemporaryDir dir;
    if (!logger.isEmpty()) {
        meter << QStringLiteral("--logger") << WriteText(dir.filePath("logger.txt"), logger);
    }
    SimProcess sim(MeterArgs(meter));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("12.34"), 10000);

    rig.click(QStringLiteral("Memory"));
    Memory* memory = rig.app.windows().find<Memory>();
    QVERIFY(memory);
    QVERIFY(memory->cmdCancel()->isVisible());
    if (cancel) {
        QTRY_VERIFY_WITH_TIMEOUT(!memory->lblMessage()->text().isEmpty(), 10000);
        QVERIFY(rig.app.meter.DownloadBusy);
        memory->cmdCancel()->click();
        QVERIFY(!rig.app.meter.DownloadBusy);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!rig.app.meter.DownloadBusy, 15000);
    QCOMPARE(memory->lblMessage()->text(), message);
    QVERIFY(!memory->cmdCancel()->isVisible());
    const QStringList rows = rig.loggerSets();
    QCOMPARE(rows.size(), rowCount);
    if (rowCount > 0) {
        QCOMPARE(rows.first(), QStringLiteral("1\t40m Ohm\t4 Voltage\t1\t1"));
        QCOMPARE(rows.last().section(u'\t', 0, 0), QString::number(rowCount));
    }
    // The meter finishes its dump regardless; then its live packets are shown again.
    QVERIFY(ReadingsResume(rig));
}

// The meter stops part-way and stays silent: after five quiet seconds the download ends and
// says so.
void TestLoggerPath::stallEndsDownload() {
    SimProcess sim(MeterArgs({"--logger-fault", "short", "--byte-us", "0"}));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("12.34"), 10000);

    QElapsedTimer elapsed;
    elapsed.start();
    rig.click(QStringLiteral("Memory"));
    Memory* memory = rig.app.windows().find<Memory>();
    QVERIFY(memory);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.app.meter.DownloadBusy, 20000);
    QVERIFY(elapsed.elapsed() >= 5000);
    QCOMPARE(memory->lblMessage()->text(),
             QStringLiteral("Download stopped: no data from the meter for 5 s"));
    QCOMPARE(rig.loggerSets(), QStringList());
    QVERIFY(rig.app.timer1());
    QVERIFY(!memory->cmdCancel()->isVisible());
}

// A meter that sends no live readings but answers its logger: listing a set leaves the link
// label showing the silence, as the sampling does.
void TestLoggerPath::listWhileMeterSilent() {
    SimProcess sim({"--period", "0", "--byte-us", "2000"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.com1(), QStringLiteral("No COM"), 15000);

    rig.click(QStringLiteral("Memory"));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.app.meter.DownloadBusy, 10000);
    QCOMPARE(rig.loggerSets(), DemoRows);
    QCOMPARE(rig.com1(), QStringLiteral("No COM"));
    rig.dialogs.inputs.enqueue(QStringLiteral("2024/03/09 12:00:00"));
    ClickRow(rig.app.windows().find<Memory>()->gridSet(), 3);
    DataList* list = rig.app.windows().find<DataList>();
    QVERIFY(list);
    QCOMPARE(list->grid().model().Rows(), 9);
    QVERIFY(rig.app.timer1());
    QCOMPARE(rig.com1(), QStringLiteral("No COM"));
}
