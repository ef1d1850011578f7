#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ProgramRig.h"
#include "SimLoggers.h"
#include "tst_faults.h"
#include "windows/logger/Memory.h"

namespace {

QStringList MeterArgs(int ohm, int volt, const QStringList& logger) {
    return QStringList{"--period", "250",
                       "--status", "0x03",
                       "--ohm",    QString::number(ohm),
                       "--volt",   QString::number(volt),
                       "--verbose"} +
           logger;
}

}  // namespace

// The meter stops in the middle of its dump and stays silent; the person cancels before the
// program gives up by itself.
void TestLoggerFaults::silentMidDumpThenCancel() {
    // 60 % of the demo logger's 248 bytes, 2 ms a byte.
    SimProcess sim(MeterArgs(1234, 56, {"--logger-fault", "short", "--byte-us", "2000"}));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    SimLog log(sim);
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("12.34"), 10000);

    rig.click(QStringLiteral("Memory"));
    Memory* memory = rig.app.windows().find<Memory>();
    QVERIFY(memory);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("answer stopped")), 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!memory->lblMessage()->text().isEmpty(), 10000);
    QTest::qWait(1000);
    QVERIFY(rig.app.meter.DownloadBusy);
    QVERIFY(!rig.app.timer1());
    const QString progress = memory->lblMessage()->text();
    QVERIFY2(progress.endsWith(QStringLiteral(" % Completed")) &&
                 !progress.startsWith(QStringLiteral("100")),
             qPrintable(progress));

    memory->cmdCancel()->click();
    QVERIFY(!rig.app.meter.DownloadBusy);
    QVERIFY(rig.app.timer1());
    QCOMPARE(memory->lblMessage()->text(), QStringLiteral("Download cancelled"));
    QCOMPARE(rig.loggerSets(), QStringList());
    // The meter says nothing more: the link shows it.
    QTRY_COMPARE_WITH_TIMEOUT(rig.com1(), QStringLiteral("No COM"), 15000);
}

// The adapter pulled in the middle of a dump: the download ends, the link shows "No COM";
// plugged in again, readings and a new download work.
void TestLoggerFaults::adapterPulledMidDump() {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    // 48 KB at 0.1 ms a byte: about five seconds.
    auto first = std::make_unique<SimProcess>(
        MeterArgs(1111, 2222, {"--logger", "full", "--byte-us", "100"}));
    QVERIFY2(first->isReady(), qPrintable(first->errorText()));
    QVERIFY(QFile::link(first->path(), link));
    ProgramRig rig;
    QVERIFY(rig.start(link));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("11.11"), 10000);

    rig.click(QStringLiteral("Memory"));
    Memory* memory = rig.app.windows().find<Memory>();
    QVERIFY(memory);
    QTRY_VERIFY_WITH_TIMEOUT(!memory->lblMessage()->text().isEmpty(), 10000);
    QVERIFY(rig.app.meter.DownloadBusy);
    QVERIFY(first->stop());
    first.reset();
    QFile::remove(link);

    QTRY_VERIFY_WITH_TIMEOUT(!rig.app.meter.DownloadBusy, 10000);
    // Ended because the device went, not after five seconds of waiting for it.
    QCOMPARE(memory->lblMessage()->text(),
             QStringLiteral("Download stopped: the meter's port was lost"));
    QVERIFY(rig.app.timer1());
    QCOMPARE(rig.loggerSets(), QStringList());
    QTRY_COMPARE_WITH_TIMEOUT(rig.com1(), QStringLiteral("No COM"), 10000);

    SimProcess second(MeterArgs(3333, 4444, {"--byte-us", "2000"}));
    QVERIFY2(second.isReady(), qPrintable(second.errorText()));
    QVERIFY(QFile::link(second.path(), link));
    QTRY_COMPARE_WITH_TIMEOUT(rig.com1(), QStringLiteral("COM1"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("33.33"), 10000);
    rig.click(QStringLiteral("Memory"));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.app.meter.DownloadBusy, 10000);
    QCOMPARE(rig.loggerSets(), SimLoggers::DemoRows);
}
