#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include "ProgramRig.h"
#include "tst_e2e.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/logger/Memory.h"
#include "windows/records/List.h"

void TestLive::fixedReading_data() {
    QTest::addColumn<QStringList>("meter");
    QTest::addColumn<QString>("ohm");
    QTest::addColumn<bool>("milliOhm");
    QTest::addColumn<QString>("volt");

    QTest::newRow("40 mOhm, 4 V") << QStringList{"--status", "0x03",   "--ohm",
                                                 "1234",     "--volt", "56"}
                                  << "12.34" << true << "0.056";
    QTest::newRow("400 mOhm, 40 V")
        << QStringList{"--status", "0x06", "--ohm", "1234", "--volt", "1262"} << "123.4" << true
        << "12.62";
    QTest::newRow("4 Ohm, negative")
        << QStringList{"--status", "0x41", "--ohm", "150", "--volt", "1480"} << "0.150" << false
        << "-1.480";
    QTest::newRow("no reading, -OL") << QStringList{"--status", "0xE0"} << "----" << false << "-OL";
}

void TestLive::fixedReading() {
    QFETCH(QStringList, meter);
    QFETCH(QString, ohm);
    QFETCH(bool, milliOhm);
    QFETCH(QString, volt);

    SimProcess sim(meter + QStringList{"--period", "100"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QCOMPARE(rig.com1(), QStringLiteral("Com1"));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), ohm, 10000);
    QCOMPARE(rig.volt(), volt);
    QCOMPARE(rig.milliOhmShown(), milliOhm);
    QCOMPARE(rig.com1(), QStringLiteral("Com1"));
}

// Misframed packets, stray bytes and a burst never reach the display; a range change restarts
// the open graphs and the live list in the new range, and stops the recording.
void TestLive::badLineAndRangeChange() {
    QTemporaryDir dir;
    const QString scenario = WriteText(dir.filePath(QStringLiteral("bad-line.txt")),
                                       "0    counts 1111 2222\n"
                                       // At most five packets go out in 0.4 s, all misframed.
                                       "3    counts 3333 4444\n"
                                       "3    misframe 12\n"
                                       "3.4  counts 5555 6666\n"
                                       "4.2  garbage 5\n"
                                       "4.5  burst 17\n"
                                       "4.8  garbage 9\n"
                                       "6    range 2 1\n");
    QVERIFY(!scenario.isEmpty());
    SimProcess sim({"--period", "100", "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    ProgramRig rig;
    ReadingLog shown(rig.app);
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("11.11"), 10000);

    rig.setSamplingTime(1);
    rig.click(QStringLiteral("Graph"));
    rig.click(QStringLiteral("List"));
    const QString file = dir.filePath(QStringLiteral("battery.Kmk"));
    rig.dialogs.files.enqueue(file);
    rig.click(QStringLiteral("Save"));
    QVERIFY(rig.app.transfer.Recording);
    QPointer<RealTimeX> oldX = rig.app.windows().find<RealTimeX>();
    QPointer<RealTimeY> oldY = rig.app.windows().find<RealTimeY>();
    QPointer<List> oldList = rig.app.windows().find<List>();
    QVERIFY(oldX && oldY && oldList && oldX->isVisible() && oldList->isVisible());
    QCOMPARE(rig.app.meter.GraphRangeCode, qint16(3));
    QTRY_VERIFY_WITH_TIMEOUT(oldList && oldList->grid().model().Rows() > 2, 10000);
    QVERIFY2(rig.ohm() != QStringLiteral("555.5"), "the range changed before the graphs opened");

    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("555.5"), 15000);
    QCOMPARE(rig.volt(), QStringLiteral("66.66"));
    QVERIFY(rig.milliOhmShown());

    // Only well-framed packets were shown; the misframed 33.33 never was.
    const QStringList allowed = {QStringLiteral("11.11/2.222"), QStringLiteral("55.55/6.666"),
                                 QStringLiteral("555.5/66.66")};
    for (const QString& reading : shown.readings) {
        QVERIFY2(allowed.contains(reading), qPrintable(reading));
    }
    QVERIFY(shown.readings.contains(QStringLiteral("55.55/6.666")));

    // Both graphs closed and opened afresh with the scales of 400 mOhm / 40 V.
    QTRY_VERIFY(oldX.isNull() && oldY.isNull());
    RealTimeX* x = rig.app.windows().find<RealTimeX>();
    RealTimeY* y = rig.app.windows().find<RealTimeY>();
    QVERIFY(x && y && x->isVisible() && y->isVisible());
    QVERIFY(x->timer1().isActive() && y->timer1().isActive());
    QCOMPARE(x->timer1().interval(), 150);
    const Meter& m = rig.app.meter;
    QCOMPARE(m.GraphRangeCode, qint16(6));
    QCOMPARE(m.GraphOhmMax, qint16(400));
    QCOMPARE(m.GraphOhmMin, qint16(0));
    QCOMPARE(m.GraphVoltMax, qint16(40));
    QCOMPARE(m.GraphVoltMin, qint16(-40));

    // A fresh list, numbered from 1, holding the new range only.
    QTRY_VERIFY(oldList.isNull());
    List* list = rig.app.windows().find<List>();
    QVERIFY(list && list->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(list->grid().model().Rows() >= 3, 10000);
    QVERIFY(!rig.app.transfer.Recording);
    for (int r = 1; r < list->grid().model().Rows(); ++r) {
        const QStringList row = list->grid().model().row(r);
        QCOMPARE(row.at(0), QString::number(r));
        QCOMPARE(row.at(3), QStringLiteral("555.5"));
        QCOMPARE(row.at(4), QStringLiteral("66.66"));
    }

    // The recording holds the old range only, up to its last sample.
    const QList<QByteArray> lines = FileLines(file);
    QVERIFY(lines.size() >= 3);
    QCOMPARE(lines.first(), QByteArray("No.s\tDate\tTime\t40mOhm\t4Voltage\r\n"));
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).chopped(2).split('\t');
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields.at(0), QByteArray::number(i));
        QVERIFY2((fields.at(3) == "11.11" && fields.at(4) == "2.222") ||
                     (fields.at(3) == "55.55" && fields.at(4) == "6.666"),
                 lines.at(i).constData());
    }
    QVERIFY(rig.dialogs.messages.isEmpty());
    QCOMPARE(rig.panel->toolbarButton(QStringLiteral("Save"))->toolTip(),
             QStringLiteral("Save As"));
}

// Seven silent seconds: "No COM", no samples meanwhile, then "COM1" and the new reading.
void TestLive::silenceThenBack() {
    QTemporaryDir dir;
    const QString scenario = WriteText(dir.filePath(QStringLiteral("silence.txt")),
                                       "0  counts 1111 2222\n"
                                       "2  silence 7\n"
                                       "3  counts 3333 4444\n");
    SimProcess sim({"--period", "100", "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("11.11"), 10000);
    rig.setSamplingTime(1);
    rig.click(QStringLiteral("List"));
    List* list = rig.app.windows().find<List>();
    QVERIFY(list);

    int rowsAtNoCom = -1;
    int rowsAtBack = -1;
    QObject context;
    connect(&rig.app.receiver(), &Receiver::noDataChanged, &context, [&](bool noData) {
        (noData ? rowsAtNoCom : rowsAtBack) = list->grid().model().Rows();
    });

    QTRY_COMPARE_WITH_TIMEOUT(rig.com1(), QStringLiteral("No COM"), 15000);
    QCOMPARE(rig.ohm(), QStringLiteral("11.11"));
    QTRY_COMPARE_WITH_TIMEOUT(rig.com1(), QStringLiteral("COM1"), 15000);
    QCOMPARE(rowsAtBack, rowsAtNoCom);
    QVERIFY(rowsAtNoCom > 1);
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("33.33"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(list->grid().model().Rows() > rowsAtBack, 5000);
}

// While a download owns the port the receive tick is off: what the meter sends meanwhile is
// not shown. Cancelled, the readings go on.
void TestLive::downloadHoldsReadings() {
    QTemporaryDir dir;
    const QString scenario = WriteText(dir.filePath(QStringLiteral("change.txt")),
                                       "0  counts 1111 2222\n"
                                       "3  counts 3333 4444\n");
    // A logger that never answers while live packets go on, no more than one packet in the
    // 0.3 s after a request, which the download takes for no answer.
    SimProcess sim(
        {"--period", "800", "--logger-fault", "silent", "--verbose", "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    SimLog log(sim);
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("11.11"), 10000);
    QVERIFY2(log.count(QStringLiteral("counts 3333")) == 0, "the meter changed too early");

    rig.click(QStringLiteral("Memory"));
    QVERIFY(!rig.app.timer1());
    QTRY_VERIFY_WITH_TIMEOUT(log.count(QStringLiteral("counts 3333")) == 1, 10000);
    const int asked = log.count(QStringLiteral("request ignored"));
    QTRY_VERIFY_WITH_TIMEOUT(log.count(QStringLiteral("request ignored")) >= asked + 6, 10000);
    QVERIFY(rig.app.meter.DownloadBusy);
    QCOMPARE(rig.ohm(), QStringLiteral("11.11"));

    Memory* memory = rig.app.windows().find<Memory>();
    QVERIFY(memory);
    QCOMPARE(memory->gridSet().model().Rows(), 1);
    memory->cmdCancel()->click();
    QVERIFY(!rig.app.meter.DownloadBusy);
    QVERIFY(rig.app.timer1());
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("33.33"), 10000);
}
