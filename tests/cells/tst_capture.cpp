#include <QSignalSpy>
#include <QTest>

#include "core/cells/CaptureMachine.h"
#include "core/meter/Decode.h"
#include "core/state/State.h"
#include "tst_cells.h"

Q_DECLARE_METATYPE(CaptureState)

namespace {

// A script of readings, separated by blanks: "OHM/VOLT" in the 40 mOhm and 4 V ranges (range
// code 3), "rN:OHM/VOLT" in range code N; "OL" and "----" for open probes; "OHM/OL" for a
// voltage overload.
QVector<CellReading> Script(const QString& script) {
    QVector<CellReading> readings;
    for (QString word : script.split(u' ', Qt::SkipEmptyParts)) {
        int range = 3;
        if (word.startsWith(u'r')) {
            range = word.mid(1, 1).toInt();
            word = word.mid(3);
        }
        const QStringList parts = word.split(u'/');
        readings.append(
            CellReading::FromTexts(parts.at(0), parts.value(1, QStringLiteral("3.900")), range));
    }
    return readings;
}

}  // namespace

void TestCapture::rules_data() {
    QTest::addColumn<int>("settle");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("captures");  // "OHM VOLT" texts of each capture
    QTest::addColumn<QString>("state");         // at the end

    const QString held = QStringLiteral("38.20/3.912 38.20/3.912 38.20/3.912");
    QTest::newRow("three equal readings")
        << 3 << "OL " + held << QStringList{"38.20 3.912"} << "Captured";
    QTest::newRow("bounce before the settle")
        << 3 << "OL 41.50/3.700 37.10/3.910 38.20/3.912 38.21/3.912 38.20/3.911"
        << QStringList{"38.20 3.912"} << "Captured";
    QTest::newRow("long hold gives one capture")
        << 3 << "OL " + held + u' ' + held + u' ' + held + u' ' + held << QStringList{"38.20 3.912"}
        << "Lift the probes";
    QTest::newRow("range change while settling starts again")
        << 3 << "OL 38.20/3.912 38.20/3.912 r2:38.2/3.912 r2:38.2/3.912" << QStringList{}
        << "Hold still";
    QTest::newRow("range change, then settled in the new range")
        << 3 << "OL 38.20/3.912 38.20/3.912 r2:38.2/3.912 r2:38.2/3.912 r2:38.3/3.912"
        << QStringList{"38.2 3.912"} << "Captured";
    QTest::newRow("voltage range change while settling")
        << 3 << "OL 38.20/3.912 38.20/3.912 r7:38.20/3.91 r7:38.20/3.91 r7:38.20/3.91"
        << QStringList{"38.20 3.91"} << "Captured";
    QTest::newRow("lift and touch of the same cell")
        << 3 << "OL " + held + " OL " + held << QStringList{"38.20 3.912", "38.20 3.912"}
        << "Captured";
    QTest::newRow("a lift of one reading re-arms")
        << 3 << held + " 38.20/3.912 ---- " + held << QStringList{"38.20 3.912", "38.20 3.912"}
        << "Captured";
    QTest::newRow("resistance noise just inside 1 %")
        << 3 << "OL 38.00/3.900 38.38/3.900 38.20/3.900" << QStringList{"38.20 3.900"}
        << "Captured";
    QTest::newRow("resistance noise just outside 1 %")
        << 3 << "OL 38.00/3.900 38.40/3.900 38.20/3.900" << QStringList{} << "Hold still";
    QTest::newRow("resistance noise inside 2 counts")
        << 3 << "OL 1.00/3.900 1.02/3.900 1.01/3.900" << QStringList{"1.01 3.900"} << "Captured";
    QTest::newRow("resistance noise outside 2 counts")
        << 3 << "OL 1.00/3.900 1.03/3.900 1.01/3.900" << QStringList{} << "Hold still";
    QTest::newRow("voltage noise just inside 0.2 %")
        << 3 << "OL 38.20/3.900 38.20/3.907 38.20/3.904" << QStringList{"38.20 3.904"}
        << "Captured";
    QTest::newRow("voltage noise just outside 0.2 %")
        << 3 << "OL 38.20/3.900 38.20/3.909 38.20/3.904" << QStringList{} << "Hold still";
    QTest::newRow("voltage noise inside 2 counts at a low voltage")
        << 3 << "OL 38.20/0.100 38.20/0.102 38.20/0.101" << QStringList{"38.20 0.101"}
        << "Captured";
    QTest::newRow("never settles")
        << 3 << "OL 38.00/3.9 40.00/3.9 38.00/3.9 40.00/3.9 38.00/3.9 40.00/3.9 38.00/3.9"
        << QStringList{} << "Hold still";
    QTest::newRow("---- is an open probe")
        << 3 << "---- " + held + " ---- ---- " + held << QStringList{"38.20 3.912", "38.20 3.912"}
        << "Captured";
    QTest::newRow("OL is an open probe")
        << 3 << "OL OL OL 38.20/3.912 OL 38.20/3.912 38.20/3.912 OL" << QStringList{}
        << "Touch a cell";
    QTest::newRow("open probes only") << 3 << "OL ---- OL" << QStringList{} << "Touch a cell";
    QTest::newRow("no voltage never captures")
        << 3 << "OL 38.20/OL 38.20/OL 38.20/OL 38.20/-OL" << QStringList{} << "Hold still";
    QTest::newRow("a voltage overload restarts the settle")
        << 3 << "OL 38.20/3.912 38.20/3.912 38.20/OL 38.20/3.912 38.20/3.912" << QStringList{}
        << "Hold still";
    QTest::newRow("median, not mean or last") << 3 << "OL 38.10/3.913 38.30/3.911 38.20/3.912"
                                              << QStringList{"38.20 3.912"} << "Captured";
    QTest::newRow("even K takes the lower middle")
        << 4 << "OL 38.10/3.910 38.30/3.913 38.20/3.911 38.25/3.912" << QStringList{"38.20 3.911"}
        << "Captured";
    QTest::newRow("K of 1 captures the first number")
        << 1 << "OL 40.00/3.9 38.20/3.9 OL 38.20/3.9" << QStringList{"40.00 3.9", "38.20 3.9"}
        << "Captured";
    QTest::newRow("first reading already on a cell")
        << 3 << held << QStringList{"38.20 3.912"} << "Captured";
    QTest::newRow("negative voltage is a number")
        << 3 << "OL 38.20/-3.912 38.20/-3.912 38.20/-3.912" << QStringList{"38.20 -3.912"}
        << "Captured";
}

void TestCapture::rules() {
    QFETCH(int, settle);
    QFETCH(QString, script);
    QFETCH(QStringList, captures);
    QFETCH(QString, state);
    CaptureMachine machine;
    CaptureSettings settings;
    settings.settle = settle;
    machine.setSettings(settings);
    QStringList got;
    connect(&machine, &CaptureMachine::captured, this, [&](const Capture& capture) {
        got.append(capture.ohmText + u' ' + capture.voltText);
        QVERIFY(!capture.manual);
    });
    for (const CellReading& reading : Script(script)) {
        machine.feed(reading);
    }
    QCOMPARE(got, captures);
    QCOMPARE(CaptureStateText(machine.state()), state);
}

void TestCapture::captureKey() {
    CaptureMachine machine;
    QSignalSpy states(&machine, &CaptureMachine::stateChanged);
    QList<Capture> captures;
    connect(&machine, &CaptureMachine::captured, this,
            [&](const Capture& capture) { captures.append(capture); });
    QVERIFY(!machine.captureNow());  // nothing read yet
    machine.feed(Script(QStringLiteral("OL")).first());
    QVERIFY(!machine.captureNow());  // open probes: nothing to take
    QCOMPARE(captures.size(), 0);
    machine.feed(Script(QStringLiteral("41.00/3.800")).first());
    QCOMPARE(machine.state(), CaptureState::HoldStill);
    QVERIFY(machine.captureNow());  // at once, not settled
    QCOMPARE(captures.size(), 1);
    QVERIFY(captures.first().manual);
    QCOMPARE(captures.first().ohmText, QStringLiteral("41.00"));
    QCOMPARE(captures.first().milliohms, 41.0);
    // The touch was captured: holding on gives no second capture by settling.
    for (const CellReading& r : Script(QStringLiteral("41.00/3.8 41.00/3.8 41.00/3.8"))) {
        machine.feed(r);
    }
    QCOMPARE(captures.size(), 1);
    QCOMPARE(machine.state(), CaptureState::LiftProbes);
    QVERIFY(machine.captureNow());  // the key always takes one
    QCOMPARE(captures.size(), 2);
    machine.reset();
    QCOMPARE(machine.state(), CaptureState::TouchCell);
    QVERIFY(!machine.captureNow());
    const QList<CaptureState> expected{CaptureState::TouchCell, CaptureState::HoldStill,
                                       CaptureState::Captured,  CaptureState::LiftProbes,
                                       CaptureState::Captured,  CaptureState::TouchCell};
    QList<CaptureState> seen;
    for (const QList<QVariant>& signal : states) {
        seen.append(signal.at(0).value<CaptureState>());
    }
    // The machine starts in TouchCell, so its first change is to HoldStill.
    QCOMPARE(seen, expected.mid(1));
}

void TestCapture::settingsAndTolerance_data() {
    QTest::addColumn<double>("median");
    QTest::addColumn<double>("count");
    QTest::addColumn<double>("ohmTolerance");
    QTest::addColumn<double>("voltTolerance");
    // The larger of the share and two counts, in the units given.
    QTest::newRow("share wins") << 38.2 << 0.01 << 0.382 << 0.0764;
    QTest::newRow("counts win") << 1.0 << 0.01 << 0.02 << 0.02;
    QTest::newRow("ohm range, 10 mOhm counts") << 1234.0 << 10.0 << 20.0 << 20.0;
    QTest::newRow("negative median") << -3.9 << 0.001 << 0.039 << 0.0078;
}

void TestCapture::settingsAndTolerance() {
    QFETCH(double, median);
    QFETCH(double, count);
    QFETCH(double, ohmTolerance);
    QFETCH(double, voltTolerance);
    const CaptureSettings settings;
    QCOMPARE(settings.settle, 3);
    QVERIFY(qAbs(settings.ohmTolerance(median, count) - ohmTolerance) < 1e-12);
    QVERIFY(qAbs(settings.voltTolerance(median, count) - voltTolerance) < 1e-12);
    CaptureMachine machine;
    CaptureSettings zero;
    zero.settle = 0;
    machine.setSettings(zero);
    QCOMPARE(machine.settings().settle, 1);
}

void TestCapture::readingFromMeter_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("ohmCount");
    QTest::addColumn<int>("voltCount");
    QTest::addColumn<double>("milliohms");  // NaN: open
    QTest::addColumn<double>("volts");
    QTest::addColumn<double>("ohmCountSize");
    QTest::addColumn<double>("voltCountSize");
    QTest::addColumn<QString>("unit");
    const double nan = CellReading::NaN;
    QTest::newRow("40 mOhm, 4 V") << 0x03 << 3820 << 3912 << 38.2 << 3.912 << 0.01 << 0.001
                                  << "mOhm";
    QTest::newRow("400 mOhm, 40 V")
        << 0x06 << 3820 << 1250 << 382.0 << 12.5 << 0.1 << 0.01 << "mOhm";
    QTest::newRow("4 Ohm in milliohms")
        << 0x01 << 1234 << 3700 << 1234.0 << 3.7 << 1.0 << 0.001 << "Ohm";
    QTest::newRow("40 Ohm in milliohms")
        << 0x00 << 1234 << 3700 << 12340.0 << 3.7 << 10.0 << 0.001 << "Ohm";
    QTest::newRow("OL") << 0x13 << 0 << 3912 << nan << 3.912 << 0.01 << 0.001 << "mOhm";
    QTest::newRow("----") << 0x83 << 0 << 3912 << nan << 3.912 << 0.01 << 0.001 << "mOhm";
    QTest::newRow("negative volts")
        << 0x43 << 3820 << 3912 << 38.2 << -3.912 << 0.01 << 0.001 << "mOhm";
    QTest::newRow("-OL") << 0x63 << 3820 << 0 << 38.2 << nan << 0.01 << 0.001 << "mOhm";
}

void TestCapture::readingFromMeter() {
    QFETCH(int, status);
    QFETCH(int, ohmCount);
    QFETCH(int, voltCount);
    QFETCH(double, milliohms);
    QFETCH(double, volts);
    QFETCH(double, ohmCountSize);
    QFETCH(double, voltCountSize);
    QFETCH(QString, unit);
    Meter meter;
    DecodeStatus(meter, quint8(status));
    FormatOhm(meter, quint8(ohmCount >> 8), quint8(ohmCount & 0xFF));
    FormatVolt(meter, quint8(voltCount >> 8), quint8(voltCount & 0xFF));
    const CellReading reading = CellReading::FromMeter(meter);
    QCOMPARE(reading.ohmText, meter.OhmText);
    QCOMPARE(reading.voltText, meter.VoltText);
    QCOMPARE(reading.ohmUnit, unit);
    QCOMPARE(reading.rangeCode, status % 8);
    QCOMPARE(reading.hasOhm(), !std::isnan(milliohms));
    QCOMPARE(reading.hasVolt(), !std::isnan(volts));
    if (reading.hasOhm()) {
        QVERIFY(qAbs(reading.milliohms - milliohms) < 1e-9);
    }
    if (reading.hasVolt()) {
        QVERIFY(qAbs(reading.volts - volts) < 1e-12);
    }
    QVERIFY(qAbs(reading.ohmCount - ohmCountSize) < 1e-12);
    QVERIFY(qAbs(reading.voltCount - voltCountSize) < 1e-12);
}
