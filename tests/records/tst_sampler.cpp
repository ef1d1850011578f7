#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "FileLimit.h"
#include "platform/Clock.h"
#include "platform/TextRules.h"
#include "records/Sampler.h"
#include "tst_records.h"

namespace {

// The sampling tick on its own: the state it reads, a clock that moves when told.
struct SamplerRig {
    explicit SamplerRig(const QDateTime& start = QDateTime(QDate(2021, 7, 1), QTime(10, 20, 30)))
        : clock(start), sampler(meter, transfer, panel, clock) {
        panel.LoadStamp = TextRules::FormatStamp(clock.now());
        panel.SampleStamp = panel.LoadStamp;
        panel.LoadMonotonicMs = clock.monotonicMs();
        transfer.SamplingTime = 2;
        // 40 milliohm and 4 V ranges (status 0x03).
        meter.RangeCode = 3;
        meter.OhmRange = 40;
        meter.MilliOhmUnit = true;
        meter.VoltRange = 4;
        meter.OhmText = QStringLiteral("12.34");
        meter.VoltText = QStringLiteral("4.012");
    }
    void tick(qint64 ms = 1000) {
        clock.advanceMs(ms);
        sampler.tick();
    }

    Meter meter;
    FileTransfer transfer;
    PanelState panel;
    ManualClock clock;
    Sampler sampler;
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

const QByteArray Header = "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n";

}  // namespace

void TestSampler::recordingBytes_data() {
    QTest::addColumn<int>("samplingTime");
    QTest::addColumn<QStringList>("ohmTexts");  // the reading at each tick
    QTest::addColumn<QStringList>("voltTexts");
    QTest::addColumn<QByteArrayList>("fileAfterTick");  // what is on disk after each tick

    QTest::newRow("every second") << 1 << QStringList{"12.34", "OL", "----", "0.56"}
                                  << QStringList{"4.012", "-OL", "OL", "-1.234"}
                                  << QByteArrayList{
                                         Header, Header + "1\t2021/07/01\t10:20:32\tOL\t-OL\r\n",
                                         Header +
                                             "1\t2021/07/01\t10:20:32\tOL\t-OL\r\n"
                                             "2\t2021/07/01\t10:20:33\t----\tOL\r\n",
                                         Header +
                                             "1\t2021/07/01\t10:20:32\tOL\t-OL\r\n"
                                             "2\t2021/07/01\t10:20:33\t----\tOL\r\n"
                                             "3\t2021/07/01\t10:20:34\t0.56\t-1.234\r\n"};
    QTest::newRow("every second tick")
        << 2 << QStringList{"1", "2", "3", "4", "5"} << QStringList{"1", "2", "3", "4", "5"}
        << QByteArrayList{Header, Header, Header + "1\t2021/07/01\t10:20:33\t3\t3\r\n",
                          Header + "1\t2021/07/01\t10:20:33\t3\t3\r\n",
                          Header +
                              "1\t2021/07/01\t10:20:33\t3\t3\r\n"
                              "2\t2021/07/01\t10:20:35\t5\t5\r\n"};
    QTest::newRow("empty reading before the first packet")
        << 1 << QStringList{"", ""} << QStringList{"", ""}
        << QByteArrayList{"No.s\tDate\tTime\t40mOhm\t4Voltage\r\n",
                          Header + "1\t2021/07/01\t10:20:32\t\t\r\n"};
}

void TestSampler::recordingBytes() {
    QFETCH(int, samplingTime);
    QFETCH(QStringList, ohmTexts);
    QFETCH(QStringList, voltTexts);
    QFETCH(QByteArrayList, fileAfterTick);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rec.Kmk"));
    SamplerRig rig;
    rig.transfer.SamplingTime = samplingTime;
    QVERIFY(rig.sampler.startRecording(path));
    QSignalSpy written(&rig.sampler, &Sampler::recordWritten);
    for (int i = 0; i < ohmTexts.size(); ++i) {
        rig.meter.OhmText = ohmTexts.at(i);
        rig.meter.VoltText = voltTexts.at(i);
        rig.tick();
        // On disk at once, while the file is still open: a killed program loses nothing.
        QCOMPARE(fileBytes(path), fileAfterTick.at(i));
    }
    QCOMPARE(written.size(), fileAfterTick.last().count('\n') - 1);
    QCOMPARE(rig.transfer.RecordCount, written.size() + 1);
    rig.sampler.stopRecording();
    QVERIFY(!rig.transfer.Recording);
    QCOMPARE(rig.transfer.RecordCount, 0);
    rig.tick();
    rig.tick();
    QCOMPARE(fileBytes(path), fileAfterTick.last());
}

void TestSampler::stamps_data() {
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<int>("samplingTime");
    QTest::addColumn<int>("tickMs");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QStringList>("stamps");

    const QDateTime morning(QDate(2021, 7, 1), QTime(10, 20, 30));
    QTest::newRow("1 s") << morning << 1 << 1000 << 3
                         << QStringList{"2021/07/01 10:20:31", "2021/07/01 10:20:32",
                                        "2021/07/01 10:20:33"};
    QTest::newRow("2 s") << morning << 2 << 1000 << 5
                         << QStringList{"2021/07/01 10:20:31", "2021/07/01 10:20:33",
                                        "2021/07/01 10:20:35"};
    // A slow timer makes the samples later, never the stamps wrong.
    QTest::newRow("2 s, ticks 1.3 s apart")
        << morning << 2 << 1300 << 5
        << QStringList{"2021/07/01 10:20:31", "2021/07/01 10:20:33", "2021/07/01 10:20:36"};
    QTest::newRow("86400 s") << morning << 86400 << 1000 << 86401
                             << QStringList{"2021/07/01 10:20:31", "2021/07/02 10:20:31"};
    QTest::newRow("midnight") << QDateTime(QDate(2021, 7, 1), QTime(23, 59, 58)) << 1 << 1000 << 4
                              << QStringList{"2021/07/01 23:59:59", "2021/07/02 00:00:00",
                                             "2021/07/02 00:00:01", "2021/07/02 00:00:02"};
    QTest::newRow("month end") << QDateTime(QDate(2021, 2, 28), QTime(23, 59, 59)) << 1 << 1000 << 2
                               << QStringList{"2021/03/01 00:00:00", "2021/03/01 00:00:01"};
    QTest::newRow("leap day") << QDateTime(QDate(2024, 2, 28), QTime(23, 59, 59)) << 1 << 1000 << 1
                              << QStringList{"2024/02/29 00:00:00"};
    QTest::newRow("year end") << QDateTime(QDate(2021, 12, 31), QTime(23, 59, 58)) << 2 << 1000 << 3
                              << QStringList{"2021/12/31 23:59:59", "2022/01/01 00:00:01"};
}

void TestSampler::stamps() {
    QFETCH(QDateTime, start);
    QFETCH(int, samplingTime);
    QFETCH(int, tickMs);
    QFETCH(int, ticks);
    QFETCH(QStringList, stamps);

    SamplerRig rig(start);
    rig.transfer.SamplingTime = samplingTime;
    rig.transfer.ListOpen = true;
    QStringList seen;
    connect(&rig.sampler, &Sampler::listRow, this, [&](const QString& row) {
        const QStringList cells = row.split(u'\t');
        seen.append(cells.at(1) + u' ' + cells.at(2));
        QCOMPARE(rig.panel.SampleStamp, seen.last());
    });
    for (int i = 0; i < ticks; ++i) {
        rig.tick(tickMs);
    }
    QCOMPARE(seen, stamps);
}

void TestSampler::firstSampleAfterChange() {
    SamplerRig rig;
    rig.transfer.SamplingTime = 86400;
    rig.transfer.ListOpen = true;
    QSignalSpy rows(&rig.sampler, &Sampler::listRow);
    for (int i = 0; i < 100; ++i) {
        rig.tick();
    }
    QCOMPARE(rows.size(), 1);
    // A new sampling time: the next tick samples at once, stamped with its own time.
    rig.transfer.SamplingTime = 5;
    rig.transfer.SampleTick = 0;
    rig.tick();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.last().first().toString(),
             QStringLiteral("2\t2021/07/01\t10:22:11\t12.34\t4.012"));
    for (int i = 0; i < 5; ++i) {
        rig.tick();
    }
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rig.panel.SampleStamp, QStringLiteral("2021/07/01 10:22:16"));
}

void TestSampler::noDataShowsRealGap() {
    SamplerRig rig;
    rig.transfer.SamplingTime = 1;
    rig.transfer.ListOpen = true;
    QSignalSpy rows(&rig.sampler, &Sampler::listRow);
    rig.tick();
    rig.panel.NoData = true;
    for (int i = 0; i < 30; ++i) {
        rig.tick();
    }
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rig.transfer.SampleTick, 1);
    rig.panel.NoData = false;
    rig.tick();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rig.panel.SampleStamp, QStringLiteral("2021/07/01 10:21:02"));
}

void TestSampler::recordLimit_data() {
    QTest::addColumn<int>("recordCount");
    QTest::addColumn<bool>("stops");
    QTest::newRow("last data line") << 69998 << false;
    QTest::newRow("full") << 69999 << true;
}

void TestSampler::recordLimit() {
    QFETCH(int, recordCount);
    QFETCH(bool, stops);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.Kmk"));
    SamplerRig rig;
    rig.transfer.ListOpen = true;
    QVERIFY(rig.sampler.startRecording(path));
    rig.transfer.RecordCount = recordCount;
    QSignalSpy stopped(&rig.sampler, &Sampler::recordingStopped);
    QSignalSpy rows(&rig.sampler, &Sampler::listRow);
    rig.tick();
    QCOMPARE(rig.transfer.Recording, !stops);
    QCOMPARE(stopped.size(), stops ? 1 : 0);
    if (stops) {
        // The tick ends at the stop: no row, no line, and the next tick samples again.
        QCOMPARE(rig.transfer.RecordCount, 0);
        QCOMPARE(rows.size(), 0);
        QCOMPARE(rig.transfer.SampleTick, 0);
        QCOMPARE(fileBytes(path), QByteArray());
        rig.tick();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(fileBytes(path), QByteArray());
    } else {
        QCOMPARE(rig.transfer.RecordCount, 69999);
        QCOMPARE(fileBytes(path), QByteArray("69998\t2021/07/01\t10:20:31\t12.34\t4.012\r\n"));
    }
}

void TestSampler::rangeChangeStops() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("range.Kmk"));
    SamplerRig rig;
    rig.transfer.SamplingTime = 1;
    rig.transfer.ListOpen = true;
    QVERIFY(rig.sampler.startRecording(path));
    QSignalSpy rows(&rig.sampler, &Sampler::listRow);
    rig.tick();
    rig.tick();
    // The meter switched from 4 V to 40 V.
    rig.meter.RangeCode = 7;
    rig.meter.VoltRange = 40;
    rig.tick();
    QVERIFY(!rig.transfer.Recording);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(fileBytes(path), Header + "1\t2021/07/01\t10:20:32\t12.34\t4.012\r\n");
    rig.tick();
    QCOMPARE(rows.size(), 3);
}

void TestSampler::unwritableStops() {
    SamplerRig rig;
    QVERIFY(rig.sampler.startRecording(QStringLiteral("/dev/full")));
    QSignalSpy failed(&rig.sampler, &Sampler::writeFailed);
    QSignalSpy stopped(&rig.sampler, &Sampler::recordingStopped);
    rig.tick();
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().at(0).toString(), QStringLiteral("/dev/full"));
    QVERIFY2(failed.first().at(1).toString().contains(QStringLiteral("No space left")),
             qPrintable(failed.first().at(1).toString()));
    QCOMPARE(stopped.size(), 1);
    QVERIFY(!rig.transfer.Recording);
    QCOMPARE(rig.transfer.RecordCount, 0);
    rig.tick();
    rig.tick();
    QCOMPARE(failed.size(), 1);
}

void TestSampler::keepsWholeLinesWhenFull() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stick.Kmk"));
    const QByteArray line = "1\t2021/07/01\t10:20:32\t12.34\t4.012\r\n";
    SamplerRig rig;
    rig.transfer.SamplingTime = 1;
    QSignalSpy failed(&rig.sampler, &Sampler::writeFailed);
    QVERIFY(rig.sampler.startRecording(path));
    {
        // Room for the header, two data lines and part of a third.
        FileLimit limit(rlim_t(Header.size() + 2 * line.size() + 10));
        for (int i = 0; i < 5; ++i) {
            rig.tick();
        }
    }
    QCOMPARE(failed.size(), 1);
    QVERIFY(!rig.transfer.Recording);
    QCOMPARE(fileBytes(path),
             Header + line + QByteArray("2\t2021/07/01\t10:20:33\t12.34\t4.012\r\n"));
}

void TestSampler::listFeed_data() {
    QTest::addColumn<int>("countBefore");
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("countAfter");
    QTest::addColumn<bool>("openAfter");
    QTest::newRow("first") << 0 << "1\t2021/07/01\t10:20:31\t12.34\t4.012" << 1 << true;
    QTest::newRow("before the last")
        << 43747 << "43748\t2021/07/01\t10:20:31\t12.34\t4.012" << 43748 << true;
    QTest::newRow("last") << 43748 << "43749\t2021/07/01\t10:20:31\t12.34\t4.012" << 0 << false;
}

void TestSampler::listFeed() {
    QFETCH(int, countBefore);
    QFETCH(QString, row);
    QFETCH(int, countAfter);
    QFETCH(bool, openAfter);

    SamplerRig rig;
    rig.transfer.ListOpen = true;
    rig.transfer.ListCount = countBefore;
    QSignalSpy rows(&rig.sampler, &Sampler::listRow);
    rig.tick();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().first().toString(), row);
    QCOMPARE(rig.transfer.ListCount, countAfter);
    QCOMPARE(rig.transfer.ListOpen, openAfter);
    rig.tick();
    rig.tick();
    QCOMPARE(rows.size(), openAfter ? 2 : 1);
}
