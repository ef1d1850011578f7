#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <cerrno>

#include "RecordsRig.h"
#include "core/records/Delay.h"
#include "platform/widgets/Grid.h"
#include "shell/ToolbarCommands.h"
#include "windows/records/FileList.h"

namespace {

QByteArray recording(const QByteArray& header, int lines) {
    QByteArray bytes = header + "\r\n";
    for (int i = 1; i <= lines; ++i) {
        bytes += QByteArray::number(i) + "\t2021/07/01\t10:20:" + QByteArray::number(10 + i) +
                 "\t123.4\t12.34\r\n";
    }
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Button 1's look: its tooltip, and which of buttons 7 and 8 lent it the image.
QString look(const Panel& panel) {
    const QAction* save = panel.toolbarButton(QStringLiteral("Save"));
    for (const char* holder : {"Stop", "ReSave"}) {
        if (save->icon().cacheKey() ==
            panel.toolbarButton(QString::fromLatin1(holder))->icon().cacheKey()) {
            return save->toolTip() + u'/' + QString::fromLatin1(holder);
        }
    }
    return save->toolTip();
}

const QString Recording = QStringLiteral("Stop Recording/Stop");
const QString NotRecording = QStringLiteral("Save As/ReSave");

}  // namespace

class TestToolbar : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void sample_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("samplingTime");  // 7 before; SampleTick 0 when it changed

        QTest::newRow("30") << "30" << 30;
        QTest::newRow("0") << "0" << 1;
        QTest::newRow("-5") << "-5" << 1;
        QTest::newRow("86401") << "86401" << 86400;
        QTest::newRow("2.5") << "2.5" << 2;
        QTest::newRow("3.5") << "3.5" << 4;
        QTest::newRow("largest 32-bit") << "2147483647" << 86400;
        QTest::newRow("beyond 32-bit") << "2147483648" << 7;
        QTest::newRow("1e10") << "1e10" << 7;
        QTest::newRow("letters") << "abc" << 7;
        QTest::newRow("inf") << "inf" << 7;
        QTest::newRow("Cancel") << "" << 7;
    }

    void sample() {
        QFETCH(QString, answer);
        QFETCH(int, samplingTime);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        rig.app.transfer.SamplingTime = 7;
        rig.app.transfer.SampleTick = 3;
        rig.app.setTimer1(false);
        rig.dialogs.inputs.enqueue(answer);

        ToolbarClick(rig.app, QStringLiteral("Sample"));

        QCOMPARE(rig.dialogs.prompts.size(), 1);
        QCOMPARE(rig.dialogs.prompts.first().prompt,
                 QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) "));
        QCOMPARE(rig.dialogs.prompts.first().title, QStringLiteral("Input Sampling Time"));
        QCOMPARE(rig.dialogs.prompts.first().defaultText, QStringLiteral("7"));
        QCOMPARE(rig.app.transfer.SamplingTime, samplingTime);
        QCOMPARE(rig.app.transfer.SampleTick, samplingTime == 7 ? 3 : 0);
        QCOMPARE(rig.app.timer1(), !answer.isEmpty());  // Cancel leaves Timer1 alone
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    void openWhileRecording() {
        RecordsRig rig;
        QVERIFY(rig.loaded);
        const QString path = rig.path(QStringLiteral("rec.Kmk"));
        rig.dialogs.files << path << path;
        ToolbarClick(rig.app, QStringLiteral("Save"));
        rig.app.setTimer1(false);

        ToolbarClick(rig.app, QStringLiteral("Open"));

        QCOMPARE(rig.dialogs.messages.size(), 1);
        const ScriptedDialogs::Shown& shown = rig.dialogs.messages.first();
        QCOMPARE(shown.icon, Dialogs::Icon::Critical);
        QCOMPARE(shown.title, Dialogs::appTitle());
        QCOMPARE(shown.text, QStringLiteral("Recording Mode!\n\rPlease stop recording!"));
        QCOMPARE(rig.dialogs.files.size(), 1);
        QVERIFY(!rig.app.windows().find<FileList>());
        QVERIFY(!rig.app.timer1());
        rig.tick(3);  // the recording goes on
        QCOMPARE(RecordsRig::fileBytes(path).count('\n'), 2);
    }

    void saveStartAndStop() {
        RecordsRig rig;
        QVERIFY(rig.loaded);
        Panel& panel = *rig.panel;
        const QString path = rig.path(QStringLiteral("Meßreihe 1.Kmk"));
        rig.dialogs.files.enqueue(path);
        rig.app.setTimer1(false);

        ToolbarClick(rig.app, QStringLiteral("Save"));
        QVERIFY(rig.app.transfer.Recording);
        QCOMPARE(look(panel), Recording);
        QCOMPARE(panel.lblFileName()->text(), QStringLiteral("Meßreihe 1.Kmk"));
        QVERIFY(!panel.lblRec()->isHidden());
        QCOMPARE(rig.app.meter.RecordRangeCode, rig.app.meter.RangeCode);
        QVERIFY(rig.app.timer1());

        rig.tick(5);  // sampling time 2: the header, lines 1 and 2
        QCOMPARE(panel.lblRec()->text(), QStringLiteral("Rec"));
        QCOMPARE(panel.lblCount()->text(), QStringLiteral("2"));

        ToolbarClick(rig.app, QStringLiteral("Save"));
        QVERIFY(!rig.app.transfer.Recording);
        QCOMPARE(look(panel), NotRecording);
        QVERIFY(panel.lblRec()->isHidden());
        QCOMPARE(panel.lblCount()->text(), QString());
        QVERIFY(!rig.app.transfer.SaveAccepted);
        rig.tick(4);
        QCOMPARE(RecordsRig::fileBytes(path).count('\n'), 3);
        QCOMPARE(panel.lblFileName()->text(), QString());

        // A file that cannot be created: said so, and no recording look without a file.
        const QString bad = rig.path(QStringLiteral("no such folder/rec.Kmk"));
        rig.dialogs.files.enqueue(bad);
        ToolbarClick(rig.app, QStringLiteral("Save"));
        QVERIFY(!rig.app.transfer.Recording);
        QCOMPARE(look(panel), NotRecording);
        QCOMPARE(panel.lblFileName()->text(), QString());
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QVERIFY(rig.dialogs.messages.first().text.contains(bad));
    }

    void sleepShowsAsGap() {
        // Timer2 on real timers, the clock moved by hand; an hour passes in one step, as when
        // the machine sleeps mid-recording.
        RecordsRig rig;
        QVERIFY(rig.loaded);
        const QString path = rig.path(QStringLiteral("night.Kmk"));
        rig.app.transfer.SamplingTime = 1;
        rig.dialogs.files.enqueue(path);
        ToolbarClick(rig.app, QStringLiteral("Save"));
        rig.app.setTimer1(false);
        auto lines = [&] { return RecordsRig::fileBytes(path).count('\n'); };
        for (qint64 ms : {1000, 1000, 3600 * 1000}) {
            const int before = lines();
            rig.clock.advanceMs(ms);
            QTRY_COMPARE_WITH_TIMEOUT(lines(), before + 1, 5000);
        }
        QTest::qWait(1500);  // the hour is one gap, not 3,600 samples caught up
        QCOMPARE(RecordsRig::fileBytes(path),
                 QByteArray("No.s\tDate\tTime\t40mOhm\t4Voltage\r\n"
                            "1\t2021/07/01\t10:20:32\t12.34\t4.012\r\n"
                            "2\t2021/07/01\t11:20:32\t12.34\t4.012\r\n"));
    }

    void recordingSyncs_data() {
        QTest::addColumn<QString>("target");  // empty: a file in a temporary folder
        QTest::addColumn<int>("failFrom");    // the sync that fails with EIO, and all after it
        QTest::newRow("a file on a disk") << "" << 0;
        QTest::newRow("a device with nothing to sync") << "/dev/null" << 0;
        QTest::newRow("the disk fails at once") << "" << 1;
        QTest::newRow("the disk fails later") << "" << 2;
    }

    void recordingSyncs() {
        QFETCH(QString, target);
        QFETCH(int, failFrom);

        int syncs = 0;
        qint64 synced = -1;  // the file's size at the last sync
        RecordsRig rig;      // after the counters: its file may still sync as it closes
        QVERIFY(rig.loaded);
        rig.panel->timer2().stop();  // only the test samples
        const QString path = target.isEmpty() ? rig.path(QStringLiteral("rec.Kmk")) : target;
        rig.app.sampler().recordingFile().setSyncCall([&](int fd) {
            ++syncs;
            struct stat st {};
            synced = ::fstat(fd, &st) == 0 ? qint64(st.st_size) : -1;
            if (failFrom != 0 && syncs >= failFrom) {
                errno = EIO;
                return -1;
            }
            return ::fdatasync(fd);
        });
        auto size = [&] { return QFileInfo(path).size(); };
        auto stopped = [&] {
            QTRY_COMPARE(rig.dialogs.messages.size(), 1);
            QVERIFY(!rig.app.transfer.Recording);
            const QString text = rig.dialogs.messages.first().text;
            QVERIFY2(text.contains(path) && text.contains(QStringLiteral("Input/output error")),
                     qPrintable(text));
        };
        rig.app.transfer.SamplingTime = 1;
        rig.dialogs.files.enqueue(path);
        ToolbarClick(rig.app, QStringLiteral("Save"));
        rig.app.setTimer1(false);

        rig.tick();  // the header, on the disk at once
        QCOMPARE(syncs, 1);
        QCOMPARE(synced, size());
        if (failFrom == 1) {
            stopped();
            return;
        }
        // Lines in quick succession go to the disk together, within a second.
        rig.tick(5);
        QVERIFY2(syncs <= 2, qPrintable(QString::number(syncs)));
        if (failFrom == 2) {
            stopped();
            return;
        }
        QTRY_COMPARE(syncs, 2);
        QCOMPARE(synced, size());
        // Stopping puts the last line on the disk as the file closes.
        rig.tick();
        ToolbarClick(rig.app, QStringLiteral("Save"));
        QCOMPARE(synced, size());
        QCOMPARE(RecordsRig::fileBytes(path).count('\n'), target.isEmpty() ? 7 : 0);
        QVERIFY(rig.dialogs.messages.isEmpty());
    }

    void stopLooks_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");  // what the message must name; empty: none
        QTest::newRow("toolbar") << "toolbar"
                                 << "";
        QTest::newRow("range change") << "range"
                                      << "";
        QTest::newRow("full recording") << "limit"
                                        << "";
        QTest::newRow("disk full") << "write"
                                   << "No space left on device";
    }

    void stopLooks() {
        QFETCH(QString, how);
        QFETCH(QString, reason);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        Panel& panel = *rig.panel;
        rig.app.transfer.SamplingTime = 1;
        const bool full = how == QStringLiteral("write");
        const QString path = full ? QStringLiteral("/dev/full") : rig.path(QStringLiteral("r"));
        rig.dialogs.files.enqueue(path);
        ToolbarClick(rig.app, QStringLiteral("Save"));
        if (!full) {
            rig.tick(3);
        }
        if (how == QStringLiteral("toolbar")) {
            ToolbarClick(rig.app, QStringLiteral("Save"));
        } else {
            rig.app.meter.RangeCode = how == QStringLiteral("range") ? 7 : 3;
            if (how == QStringLiteral("limit")) {
                rig.app.transfer.RecordCount = Sampler::RecordLimit;
            }
            rig.tick();
        }
        QCoreApplication::processEvents();  // the message is queued

        QVERIFY(!rig.app.transfer.Recording);
        QCOMPARE(rig.app.transfer.RecordCount, 0);
        QCOMPARE(look(panel), NotRecording);
        QCOMPARE(panel.lblRec()->text() + panel.lblCount()->text(), QString());
        QCOMPARE(rig.dialogs.messages.size(), reason.isEmpty() ? 0 : 1);
        if (reason.isEmpty()) {
            QCOMPARE(RecordsRig::fileBytes(path).count('\n'), 3);
        } else {
            const ScriptedDialogs::Shown& shown = rig.dialogs.messages.first();
            QCOMPARE(shown.icon, Dialogs::Icon::Critical);
            QVERIFY2(shown.text.contains(path) && shown.text.contains(reason),
                     qPrintable(shown.text));
        }
        rig.tick();
        QCOMPARE(panel.lblFileName()->text(), QString());
    }

    void openFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QByteArray>("tail");  // after the 12 data lines
        QTest::addColumn<int>("emptyRows");    // rows of empty cells it gives
        QTest::newRow("plain") << "rec.Kmk" << true << QByteArray() << 0;
        QTest::newRow("blanks") << "my recording 2.Kmk" << true << QByteArray() << 0;
        QTest::newRow("non-ASCII")
            << QString::fromUtf8("Batterie Größe ℃.Kmk") << true << QByteArray() << 0;
        QTest::newRow("no extension") << "recording" << true << QByteArray() << 0;
        QTest::newRow("empty last line") << "tail.Kmk" << true << QByteArray("\r\n") << 1;
        QTest::newRow("blank lines last") << "tail.Kmk" << true << QByteArray("  \r\n\r\n") << 2;
        QTest::newRow("a folder") << "folder" << false << QByteArray() << 0;
        QTest::newRow("missing") << "missing.Kmk" << false << QByteArray() << 0;
    }

    void openFile() {
        QFETCH(QString, name);
        QFETCH(bool, readable);
        QFETCH(QByteArray, tail);
        QFETCH(int, emptyRows);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        const QString path = rig.path(name);
        if (readable) {
            writeFile(path, recording("No.s\tDate\tTime\t400mOhm\t40Voltage", 12) + tail);
        } else if (name == QStringLiteral("folder")) {
            QVERIFY(QDir(rig.dir.path()).mkdir(name));
        }
        QPointer<FileList> shownBefore = &rig.app.windows().get<FileList>();
        shownBefore->show();
        rig.dialogs.files.enqueue(path);
        rig.app.setTimer1(false);

        ToolbarClick(rig.app, QStringLiteral("Open"));

        QCOMPARE(rig.dialogs.lastFilter,
                 QStringLiteral("Kelvomark (*.Kmk)|*.Kmk|All Files (*.*)|*.*|"));
        FileList* list = rig.app.windows().find<FileList>();
        QVERIFY(list && list->isVisible() && list != shownBefore.data());
        QCOMPARE(list->windowTitle(), name);
        QVERIFY(rig.app.timer1());
        const GridModel& grid = list->grid().model();
        QCOMPARE(grid.Rows(), readable ? 13 + emptyRows : 1);
        QCOMPARE(rig.dialogs.messages.size(), readable ? 0 : 1);
        for (int r = 13; r < grid.Rows(); ++r) {
            QCOMPARE(grid.row(r).join(u'|'), QStringLiteral("||||"));
        }
        if (readable) {
            QCOMPARE(grid.row(0).join(u'|'), QStringLiteral("No.s|Date|Time|Ohm|Voltage"));
            QCOMPARE(grid.row(12).join(u'|'), QStringLiteral("12|2021/07/01|10:20:22|123.4|12.34"));
            QCOMPARE(rig.app.meter.FileOhmRange + u'|' + rig.app.meter.FileVoltRange,
                     QStringLiteral("400m|40"));
        } else {
            QVERIFY(rig.dialogs.messages.first().text.contains(path));
        }
    }

    void plotState_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("rangesBefore");  // ohm|volt of the file opened before
        QTest::addColumn<float>("ohmMax");
        QTest::addColumn<float>("voltMax");

        QTest::newRow("12 lines, 400 mOhm, 40 V")
            << QByteArray("No.s\tDate\tTime\t400mOhm\t40Voltage") << 12 << "|" << 400.f << 40.f;
        QTest::newRow("40 mOhm, 4 V")
            << QByteArray("No.s\tDate\tTime\t40m Ohm\t4 Voltage") << 3 << "|" << 40.f << 4.f;
        QTest::newRow("unknown range: the file before")
            << QByteArray("No.s\tDate\tTime\tOhm\tVoltage") << 5 << "4|40" << 4.f << 40.f;
        QTest::newRow("no range ever")
            << QByteArray("No.s\tDate\tTime\tOhm\tVoltage") << 5 << "|" << 0.f << 0.f;
        QTest::newRow("header only")
            << QByteArray("No.s\tDate\tTime\t40Ohm\t4Voltage") << 0 << "|" << 40.f << 4.f;
    }

    void plotState() {
        QFETCH(QByteArray, header);
        QFETCH(int, lines);
        QFETCH(QString, rangesBefore);
        QFETCH(float, ohmMax);
        QFETCH(float, voltMax);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        const QString path = rig.path(QStringLiteral("plot.Kmk"));
        writeFile(path, recording(header, lines));
        rig.app.meter.FileOhmRange = rangesBefore.section(u'|', 0, 0);
        rig.app.meter.FileVoltRange = rangesBefore.section(u'|', 1, 1);
        rig.dialogs.files.enqueue(path);
        ToolbarClick(rig.app, QStringLiteral("Open"));
        FileTransfer& t = rig.app.transfer;
        t.PlotFromDataList = true;

        rig.app.windows().get<FileList>().toolbarClick(QStringLiteral("Plot"));

        QVERIFY(!t.PlotFromDataList && t.PlotFromFileList);
        const QList<float> limits{t.PlotOhmLimitMax, t.PlotOhmLimitMin, t.PlotVoltLimitMax,
                                  t.PlotVoltLimitMin};
        QCOMPARE(limits, (QList<float>{ohmMax, 0, voltMax, 0}));
        const QList<float> scales{t.PlotOhmTop, t.PlotOhmBottom, t.PlotVoltTop, t.PlotVoltBottom};
        QCOMPARE(scales, limits);
        const QList<float> rows{t.PlotRowCount, t.PlotPointCount, t.PlotFirstRow, t.PlotLastRow};
        QCOMPARE(rows, (QList<float>{float(lines), float(lines), 1, float(lines)}));
    }

    // A logger download borrows the port with Timer1 off and switches it on when it ends; a
    // command clicked meanwhile must not switch it on under the download.
    void keepsTimer1OffDuringDownload_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("downloadBusy");
        for (const char* key : {"List", "Help", "Save", "Sample"}) {
            QTest::addRow("%s", key) << key << false;
            QTest::addRow("%s during a download", key) << key << true;
        }
    }

    void keepsTimer1OffDuringDownload() {
        QFETCH(QString, key);
        QFETCH(bool, downloadBusy);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        rig.app.meter.DownloadBusy = downloadBusy;
        rig.app.setTimer1(false);
        rig.dialogs.inputs.enqueue(QStringLiteral("5"));
        ToolbarClick(rig.app, key);
        QCOMPARE(rig.app.timer1(), !downloadBusy);
        QCOMPARE(rig.app.meter.DownloadBusy, downloadBusy);
        if (key == QStringLiteral("Help")) {
            QVERIFY(rig.panel->helpPanel()->isVisibleTo(rig.panel));
        }
    }

    void delayKeepsEventsGoing() {
        bool fired = false;
        QTimer::singleShot(10, this, [&fired] { fired = true; });
        QElapsedTimer elapsed;
        elapsed.start();
        Delay(0.2);
        QVERIFY(fired);
        QVERIFY(elapsed.elapsed() >= 190);
    }
};

int runToolbarTests(int argc, char* argv[]) {
    TestToolbar t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_toolbar.moc"
