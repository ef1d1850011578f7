#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "FileLimit.h"
#include "core/records/Sampler.h"
#include "platform/Clock.h"
#include "platform/TextRules.h"

namespace {

// The sampling tick on its own: the state it reads, a clock that moves when told.
struct SamplerRig {
    explicit SamplerRig(const QDateTime& start = QDateTime(QDate(2021, 7, 1), QTime(10, 20, 30)))
        : clock(start), sampler(meter, transfer, panel, clock) {
        panel.LoadStamp = TextRules::FormatStamp(clock.now());
        panel.LoadMonotonicMs = clock.monotonicMs();
        transfer.SamplingTime = 1;
        meter.RangeCode = 3;  // 40 milliohm, 4 V
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

class TestSampler : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void recordingBytes_data() {
        QTest::addColumn<int>("samplingTime");
        QTest::addColumn<QStringList>("readings");   // resistance TAB voltage at each tick
        QTest::addColumn<QByteArrayList>("onDisk");  // the file after each tick

        const QByteArray one = Header + "1\t2021/07/01\t10:20:32\tOL\t-OL\r\n";
        QTest::newRow("every tick")
            << 1 << QStringList{"12.34\t4.012", "OL\t-OL", "----\t0.056"}
            << QByteArrayList{Header, one, one + "2\t2021/07/01\t10:20:33\t----\t0.056\r\n"};
        const QByteArray first = Header + "1\t2021/07/01\t10:20:33\t3\t3\r\n";
        QTest::newRow("every second tick")
            << 2 << QStringList{"1\t1", "2\t2", "3\t3", "4\t4", "5\t5"}
            << QByteArrayList{Header, Header, first, first,
                              first + "2\t2021/07/01\t10:20:35\t5\t5\r\n"};
        QTest::newRow("before the first packet")
            << 1 << QStringList{"\t", "\t"}
            << QByteArrayList{Header, Header + "1\t2021/07/01\t10:20:32\t\t\r\n"};
    }

    void recordingBytes() {
        QFETCH(int, samplingTime);
        QFETCH(QStringList, readings);
        QFETCH(QByteArrayList, onDisk);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rec.Kmk"));
        SamplerRig rig;
        rig.transfer.SamplingTime = samplingTime;
        QVERIFY(rig.sampler.startRecording(path));
        for (int i = 0; i < readings.size(); ++i) {
            rig.meter.OhmText = readings.at(i).section(u'\t', 0, 0);
            rig.meter.VoltText = readings.at(i).section(u'\t', 1, 1);
            rig.tick();
            // On disk at once, the file still open: a killed program loses nothing.
            QCOMPARE(fileBytes(path), onDisk.at(i));
        }
        rig.sampler.stopRecording();
        QCOMPARE(rig.transfer.RecordCount, 0);
        rig.tick();
        QCOMPARE(fileBytes(path), onDisk.last());
    }

    // Script: '.' a tick 1 s after the last, 's' a slow one (1.3 s), 'n' a tick in the no-data
    // state, 'c' a new sampling time of 5 s ("Sample" accepted).
    void stamps_data() {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("samplingTime");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("stamps");

        const QDateTime morning(QDate(2021, 7, 1), QTime(10, 20, 30));
        QTest::newRow("1 s") << morning << 1 << "..."
                             << QStringList{"2021/07/01 10:20:31", "2021/07/01 10:20:32",
                                            "2021/07/01 10:20:33"};
        QTest::newRow("2 s") << morning << 2 << "....."
                             << QStringList{"2021/07/01 10:20:31", "2021/07/01 10:20:33",
                                            "2021/07/01 10:20:35"};
        QTest::newRow("slow ticks")
            << morning << 2 << "sssss"
            << QStringList{"2021/07/01 10:20:31", "2021/07/01 10:20:33", "2021/07/01 10:20:36"};
        QTest::newRow("86400 s") << morning << 86400 << QString(86401, u'.')
                                 << QStringList{"2021/07/01 10:20:31", "2021/07/02 10:20:31"};
        QTest::newRow("new sampling time samples at once")
            << morning << 86400 << QString(100, u'.') + "c......"
            << QStringList{"2021/07/01 10:20:31", "2021/07/01 10:22:11", "2021/07/01 10:22:16"};
        QTest::newRow("no-data period as its real gap")
            << morning << 1 << "." + QString(30, u'n') + "."
            << QStringList{"2021/07/01 10:20:31", "2021/07/01 10:21:02"};
        QTest::newRow("midnight") << QDateTime(QDate(2021, 7, 1), QTime(23, 59, 58)) << 1 << "..."
                                  << QStringList{"2021/07/01 23:59:59", "2021/07/02 00:00:00",
                                                 "2021/07/02 00:00:01"};
        QTest::newRow("month end") << QDateTime(QDate(2021, 2, 28), QTime(23, 59, 59)) << 1 << "."
                                   << QStringList{"2021/03/01 00:00:00"};
        QTest::newRow("leap day") << QDateTime(QDate(2024, 2, 28), QTime(23, 59, 59)) << 1 << "."
                                  << QStringList{"2024/02/29 00:00:00"};
        QTest::newRow("year end") << QDateTime(QDate(2021, 12, 31), QTime(23, 59, 58)) << 2 << "..."
                                  << QStringList{"2021/12/31 23:59:59", "2022/01/01 00:00:01"};
    }

    void stamps() {
        QFETCH(QDateTime, start);
        QFETCH(int, samplingTime);
        QFETCH(QString, script);
        QFETCH(QStringList, stamps);

        SamplerRig rig(start);
        rig.transfer.SamplingTime = samplingTime;
        rig.transfer.ListOpen = true;
        QStringList seen;
        connect(&rig.sampler, &Sampler::listRow, this, [&](const QString& row) {
            seen.append(row.section(u'\t', 1, 1) + u' ' + row.section(u'\t', 2, 2));
        });
        for (QChar step : script) {
            rig.panel.NoData = step == u'n';
            if (step == u'c') {
                rig.transfer.SamplingTime = 5;
                rig.transfer.SampleTick = 0;
            } else {
                rig.tick(step == u's' ? 1300 : 1000);
            }
        }
        QCOMPARE(seen, stamps);
        QCOMPARE(rig.panel.SampleStamp, stamps.last());
    }

    void recordLimit_data() {
        QTest::addColumn<int>("recordCount");
        QTest::addColumn<bool>("stops");
        QTest::newRow("last data line") << 69998 << false;
        QTest::newRow("full") << 69999 << true;
    }

    void recordLimit() {
        QFETCH(int, recordCount);
        QFETCH(bool, stops);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("full.Kmk"));
        SamplerRig rig;
        rig.transfer.ListOpen = true;
        QVERIFY(rig.sampler.startRecording(path));
        rig.transfer.RecordCount = recordCount;
        QSignalSpy rows(&rig.sampler, &Sampler::listRow);
        rig.tick();
        QCOMPARE(rig.transfer.Recording, !stops);
        QCOMPARE(rows.size(), stops ? 0 : 1);  // the stop ends the tick
        QCOMPARE(rig.transfer.RecordCount, stops ? 0 : 69999);
        QCOMPARE(fileBytes(path),
                 stops ? QByteArray() : "69998\t2021/07/01\t10:20:31\t12.34\t4.012\r\n");
        // Stopped either way by now; after a stop the next tick samples again.
        rig.tick();
        QVERIFY(!rig.transfer.Recording);
        QCOMPARE(rows.size(), 1);
    }

    void keepsWholeLinesWhenFull() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("stick.Kmk"));
        const QByteArray lines = Header +
                                 "1\t2021/07/01\t10:20:32\t12.34\t4.012\r\n"
                                 "2\t2021/07/01\t10:20:33\t12.34\t4.012\r\n";
        SamplerRig rig;
        QSignalSpy failed(&rig.sampler, &Sampler::writeFailed);
        QVERIFY(rig.sampler.startRecording(path));
        {
            FileLimit limit(rlim_t(lines.size() + 10));  // room for part of a third line
            for (int i = 0; i < 5; ++i) {
                rig.tick();
            }
        }
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first(), (QVariantList{path, QStringLiteral("File too large")}));
        QVERIFY(!rig.transfer.Recording);
        QCOMPARE(fileBytes(path), lines);
    }
};

int runSamplerTests(int argc, char* argv[]) {
    TestSampler t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_sampler.moc"
