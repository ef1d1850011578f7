#include <QTemporaryDir>
#include <QTest>

#include "core/cells/CaptureMachine.h"
#include "core/cells/CaptureRecord.h"
#include "core/cells/Inventory.h"
#include "tst_cells.h"

namespace {

Capture Touch(double milliohms, double volts) {
    Capture capture;
    capture.milliohms = milliohms;
    capture.volts = volts;
    capture.ohmText = QString::number(milliohms, 'f', 2);
    capture.ohmUnit = QStringLiteral("mOhm");
    capture.voltText = QString::number(volts, 'f', 3);
    return capture;
}

}  // namespace

void TestRecord::assembly_data() {
    QTest::addColumn<QString>("typedId");
    QTest::addColumn<QString>("session");
    QTest::addColumn<int>("hook");  // -1: the inventory answers; 0 or 1: the caller's answer
    QTest::addColumn<double>("volts");
    QTest::addColumn<bool>("remeasure");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QStringList>("reasons");
    QTest::addColumn<QString>("bin");

    // The inventory holds B7, first measured two days ago at 4.000 V in the session "old".
    QTest::newRow("numbered ID: no history")
        << ""
        << "old" << -1 << 3.9 << false << "PASS" << QStringList{} << "A";
    QTest::newRow("same session: a re-measure")
        << "B7"
        << "old" << -1 << 3.99 << true << "PASS" << QStringList{} << "A";
    QTest::newRow("new session: not a re-measure")
        << "B7"
        << "new" << -1 << 3.99 << false << "PASS" << QStringList{} << "A";
    QTest::newRow("self-discharge since the first")
        << "B7"
        << "new" << -1 << 3.9 << false << "FAIL" << QStringList{"Self-discharge 50 mV/day above 10"}
        << "A";
    QTest::newRow("unknown ID: nothing to compare")
        << "Z1"
        << "old" << -1 << 3.9 << false << "PASS" << QStringList{} << "A";
    QTest::newRow("the caller's rows say measured")
        << "B7"
        << "new" << 1 << 3.99 << true << "PASS" << QStringList{} << "A";
    QTest::newRow("the caller's rows say not measured")
        << "B7"
        << "old" << 0 << 3.99 << false << "PASS" << QStringList{} << "A";
}

void TestRecord::assembly() {
    QFETCH(QString, typedId);
    QFETCH(QString, session);
    QFETCH(int, hook);
    QFETCH(double, volts);
    QFETCH(bool, remeasure);
    QFETCH(QString, verdict);
    QFETCH(QStringList, reasons);
    QFETCH(QString, bin);

    QTemporaryDir dir;
    BenchInventory inventory;
    QVERIFY(inventory.open(dir.filePath(QStringLiteral("cells.sqlite"))));
    const QDateTime now =
        QDateTime::fromString(QStringLiteral("2026-03-10T12:00:00Z"), Qt::ISODate);
    NewMeasurement earlier;
    earlier.cellId = QStringLiteral("B7");
    earlier.time = now.addDays(-2);
    earlier.milliohms = 30;
    earlier.volts = 4.0;
    earlier.session = QStringLiteral("old");
    QCOMPARE(inventory.add(earlier), QStringLiteral("B7"));

    CapturePlace place;
    place.cellId = typedId;
    place.prefix = QStringLiteral("K");
    place.profile.name = QStringLiteral("Bench");
    place.profile.selfDischargeMax = 10;
    place.profile.bins = {{QStringLiteral("A"), 40}};
    place.time = now;
    place.session = session;
    place.host = QStringLiteral("bench-1");
    place.port = QStringLiteral("COM3");
    if (hook >= 0) {
        place.measuredInSession = [hook](const QString&) { return hook == 1; };
    }
    const CaptureRecord record = RecordCapture(Touch(31.5, volts), place, inventory);
    const NewMeasurement& m = record.measurement;
    QCOMPARE(m.cellId, typedId);
    QCOMPARE(m.prefix, QStringLiteral("K"));
    QCOMPARE(m.profile, QStringLiteral("Bench"));
    QCOMPARE(m.time, now);
    QCOMPARE(m.milliohms, 31.5);
    QCOMPARE(m.volts, volts);
    QCOMPARE(m.ohmText, QStringLiteral("31.50"));
    QCOMPARE(m.session, session);
    QCOMPARE(m.host, QStringLiteral("bench-1"));
    QCOMPARE(m.port, QStringLiteral("COM3"));
    QCOMPARE(m.uuid.size(), 36);
    QCOMPARE(m.remeasure, remeasure);
    QCOMPARE(VerdictName(m.verdict), verdict);
    QCOMPARE(m.reasons, reasons);
    QCOMPARE(m.bin, bin);
    QCOMPARE(record.judgement.verdict, m.verdict);
    QCOMPARE(record.judgement.reasons, m.reasons);
    // Two captures never share a UUID: the inventory skips a UUID it already holds.
    QVERIFY(RecordCapture(Touch(31.5, volts), place, inventory).measurement.uuid != m.uuid);
}
