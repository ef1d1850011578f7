#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "RecordsRig.h"
#include "platform/Grid.h"
#include "records/Delay.h"
#include "records/FileList.h"
#include "records/ListLayout.h"
#include "records/ToolbarCommands.h"
#include "tst_records.h"

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

bool showsRecordingLook(const Panel& panel) {
    const QAction* save = panel.toolbarButton(QStringLiteral("Save"));
    const QAction* stop = panel.toolbarButton(QStringLiteral("Stop"));
    const QAction* reSave = panel.toolbarButton(QStringLiteral("ReSave"));
    const bool recording = save->toolTip() == QStringLiteral("Stop Recording") &&
                           save->icon().cacheKey() == stop->icon().cacheKey();
    const bool saving = save->toolTip() == QStringLiteral("Save As") &&
                        save->icon().cacheKey() == reSave->icon().cacheKey();
    Q_ASSERT(recording != saving);
    return recording;
}

}  // namespace

void TestToolbar::sample_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("samplingTime");
    QTest::addColumn<int>("sampleTick");
    QTest::addColumn<bool>("timer1");

    QTest::newRow("30") << "30" << 30 << 0 << true;
    QTest::newRow("blanks around") << " 30 " << 30 << 0 << true;
    QTest::newRow("0") << "0" << 1 << 0 << true;
    QTest::newRow("-5") << "-5" << 1 << 0 << true;
    QTest::newRow("86401") << "86401" << 86400 << 0 << true;
    QTest::newRow("2.5 to even") << "2.5" << 2 << 0 << true;
    QTest::newRow("3.5 to even") << "3.5" << 4 << 0 << true;
    QTest::newRow("largest 32-bit") << "2147483647" << 86400 << 0 << true;
    QTest::newRow("smallest 32-bit") << "-2147483648" << 1 << 0 << true;
    QTest::newRow("beyond 32-bit") << "2147483648" << 7 << 3 << true;
    QTest::newRow("1e10") << "1e10" << 7 << 3 << true;
    QTest::newRow("letters") << "abc" << 7 << 3 << true;
    QTest::newRow("number then letters") << "12abc" << 7 << 3 << true;
    QTest::newRow("blanks") << "   " << 7 << 3 << true;
    QTest::newRow("inf") << "inf" << 7 << 3 << true;
    QTest::newRow("Cancel") << "" << 7 << 3 << false;
}

void TestToolbar::sample() {
    QFETCH(QString, answer);
    QFETCH(int, samplingTime);
    QFETCH(int, sampleTick);
    QFETCH(bool, timer1);

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
    QCOMPARE(rig.app.transfer.SampleTick, sampleTick);
    QCOMPARE(rig.app.timer1(), timer1);
    QVERIFY(rig.dialogs.messages.isEmpty());
}

void TestToolbar::openWhileRecording() {
    RecordsRig rig;
    QVERIFY(rig.loaded);
    const QString path = rig.path(QStringLiteral("rec.Kmk"));
    rig.dialogs.files.enqueue(path);
    ToolbarClick(rig.app, QStringLiteral("Save"));
    rig.tick(3);
    rig.app.setTimer1(false);
    rig.dialogs.files.enqueue(path);

    ToolbarClick(rig.app, QStringLiteral("Open"));

    QCOMPARE(rig.dialogs.messages.size(), 1);
    QCOMPARE(rig.dialogs.messages.first().icon, Dialogs::Icon::Critical);
    QCOMPARE(rig.dialogs.messages.first().title, Dialogs::appTitle());
    QCOMPARE(rig.dialogs.messages.first().text,
             QStringLiteral("Recording Mode!\n\rPlease stop recording!"));
    QCOMPARE(rig.dialogs.files.size(), 1);
    QVERIFY(!rig.app.windows().find<FileList>());
    QVERIFY(!rig.app.timer1());
    // The recording goes on.
    rig.tick(2);
    QVERIFY(rig.app.transfer.Recording);
    QCOMPARE(RecordsRig::fileBytes(path).count('\n'), 3);
}

void TestToolbar::saveStartAndStop() {
    RecordsRig rig;
    QVERIFY(rig.loaded);
    Panel& panel = *rig.panel;
    const QString path = rig.path(QStringLiteral("Meßreihe 1.Kmk"));
    rig.dialogs.files.enqueue(path);
    rig.app.setTimer1(false);

    ToolbarClick(rig.app, QStringLiteral("Save"));
    QVERIFY(rig.app.transfer.Recording);
    QVERIFY(showsRecordingLook(panel));
    QCOMPARE(panel.lblFileName()->text(), QStringLiteral("Meßreihe 1.Kmk"));
    QVERIFY(!panel.lblRec()->isHidden());
    QCOMPARE(rig.app.meter.RecordRangeCode, rig.app.meter.RangeCode);
    QVERIFY(rig.app.timer1());
    QCOMPARE(RecordsRig::fileBytes(path), QByteArray());

    rig.tick(5);  // sampling time 2: header, 1, 2
    QCOMPARE(panel.lblRec()->text(), QStringLiteral("Rec"));
    QCOMPARE(panel.lblCount()->text(), QStringLiteral("2"));
    QCOMPARE(panel.lblFileName()->text(), QStringLiteral("Meßreihe 1.Kmk"));

    rig.app.setTimer1(false);
    ToolbarClick(rig.app, QStringLiteral("Save"));
    QVERIFY(!rig.app.transfer.Recording);
    QVERIFY(!showsRecordingLook(panel));
    QVERIFY(panel.lblRec()->isHidden());
    QCOMPARE(panel.lblCount()->text(), QString());
    QCOMPARE(rig.app.transfer.RecordCount, 0);
    QVERIFY(!rig.app.transfer.SaveAccepted);
    QVERIFY(rig.app.timer1());
    rig.tick(4);
    QCOMPARE(RecordsRig::fileBytes(path), QByteArray("No.s\tDate\tTime\t40mOhm\t4Voltage\r\n"
                                                     "1\t2021/07/01\t10:20:33\t12.34\t4.012\r\n"
                                                     "2\t2021/07/01\t10:20:35\t12.34\t4.012\r\n"));
    QCOMPARE(panel.lblFileName()->text(), QString());

    // Cancelled: nothing starts.
    ToolbarClick(rig.app, QStringLiteral("Save"));
    QVERIFY(!rig.app.transfer.Recording);
    QVERIFY(!showsRecordingLook(panel));
    QVERIFY(rig.dialogs.messages.isEmpty());
}

void TestToolbar::saveCannotCreate() {
    RecordsRig rig;
    QVERIFY(rig.loaded);
    const QString path = rig.path(QStringLiteral("no such folder/rec.Kmk"));
    rig.dialogs.files.enqueue(path);
    ToolbarClick(rig.app, QStringLiteral("Save"));
    QVERIFY(!rig.app.transfer.Recording);
    QVERIFY(!showsRecordingLook(*rig.panel));
    QCOMPARE(rig.panel->lblFileName()->text(), QString());
    QCOMPARE(rig.dialogs.messages.size(), 1);
    QCOMPARE(rig.dialogs.messages.first().icon, Dialogs::Icon::Critical);
    QVERIFY(rig.dialogs.messages.first().text.contains(path));
    QVERIFY(rig.app.timer1());
}

void TestToolbar::stopLooks_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message");  // what the message must name; empty: no message
    QTest::newRow("toolbar") << "toolbar"
                             << "";
    QTest::newRow("range change") << "range"
                                  << "";
    QTest::newRow("full recording") << "limit"
                                    << "";
    QTest::newRow("disk full") << "write"
                               << "No space left on device";
}

void TestToolbar::stopLooks() {
    QFETCH(QString, how);
    QFETCH(QString, message);

    RecordsRig rig;
    QVERIFY(rig.loaded);
    Panel& panel = *rig.panel;
    rig.app.transfer.SamplingTime = 1;
    const QString path = how == QStringLiteral("write") ? QStringLiteral("/dev/full")
                                                        : rig.path(QStringLiteral("rec.Kmk"));
    rig.dialogs.files.enqueue(path);
    ToolbarClick(rig.app, QStringLiteral("Save"));
    if (how != QStringLiteral("write")) {
        rig.tick(3);
        QCOMPARE(panel.lblCount()->text(), QStringLiteral("2"));
    }
    if (how == QStringLiteral("toolbar")) {
        ToolbarClick(rig.app, QStringLiteral("Save"));
    } else {
        if (how == QStringLiteral("range")) {
            rig.app.meter.RangeCode = 7;
        } else if (how == QStringLiteral("limit")) {
            rig.app.transfer.RecordCount = Sampler::RecordLimit;
        }
        rig.tick();
    }
    QCoreApplication::processEvents();

    QVERIFY(!rig.app.transfer.Recording);
    QCOMPARE(rig.app.transfer.RecordCount, 0);
    QVERIFY(!showsRecordingLook(panel));
    QCOMPARE(panel.lblRec()->text(), QString());
    QCOMPARE(panel.lblCount()->text(), QString());
    if (message.isEmpty()) {
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(RecordsRig::fileBytes(path).count('\n'), 3);
    } else {
        QCOMPARE(rig.dialogs.messages.size(), 1);
        const ScriptedDialogs::Shown& shown = rig.dialogs.messages.first();
        QCOMPARE(shown.icon, Dialogs::Icon::Critical);
        QVERIFY2(shown.text.contains(path) && shown.text.contains(message), qPrintable(shown.text));
    }
    rig.tick();
    QCOMPARE(panel.lblFileName()->text(), QString());
}

void TestToolbar::openFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("readable");
    QTest::newRow("plain") << "rec.Kmk" << true;
    QTest::newRow("blanks") << "my recording 2.Kmk" << true;
    QTest::newRow("non-ASCII") << QString::fromUtf8("Batterie Größe 3 ℃.Kmk") << true;
    QTest::newRow("no extension") << "recording" << true;
    QTest::newRow("a folder") << "folder" << false;
    QTest::newRow("missing") << "missing.Kmk" << false;
}

void TestToolbar::openFile() {
    QFETCH(QString, name);
    QFETCH(bool, readable);

    RecordsRig rig;
    QVERIFY(rig.loaded);
    const QString path = rig.path(name);
    if (name == QStringLiteral("folder")) {
        QVERIFY(QDir(rig.dir.path()).mkdir(name));
    } else if (readable) {
        writeFile(path, recording("No.s\tDate\tTime\t400mOhm\t40Voltage", 12));
    }
    // A file shown before is replaced by a fresh window.
    QPointer<FileList> earlier = &rig.app.windows().get<FileList>();
    earlier->show();
    rig.dialogs.files.enqueue(path);
    rig.app.setTimer1(false);

    ToolbarClick(rig.app, QStringLiteral("Open"));

    QCOMPARE(rig.dialogs.lastFilter,
             QStringLiteral("Kelvomark (*.Kmk)|*.Kmk|All Files (*.*)|*.*|"));
    FileList* list = rig.app.windows().find<FileList>();
    QVERIFY(list && list->isVisible());
    QVERIFY(list != earlier.data());
    QCOMPARE(list->windowTitle(), name);
    QVERIFY(rig.app.timer1());
    const GridModel& grid = list->grid().model();
    if (readable) {
        QVERIFY(rig.dialogs.messages.isEmpty());
        QCOMPARE(grid.Rows(), 13);
        QCOMPARE(grid.row(0).join(u'|'), QStringLiteral("No.s|Date|Time|Ohm|Voltage"));
        QCOMPARE(grid.row(12).join(u'|'), QStringLiteral("12|2021/07/01|10:20:22|123.4|12.34"));
        QCOMPARE(rig.app.meter.FileOhmRange, QStringLiteral("400m"));
        QCOMPARE(rig.app.meter.FileVoltRange, QStringLiteral("40"));
    } else {
        QCOMPARE(grid.Rows(), 1);
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QVERIFY(rig.dialogs.messages.first().text.contains(path));
    }
    QCOMPARE(list->grid().colWidth(ListLayout::Date),
             list->grid().textWidth(ListLayout::widthSample(ListLayout::Date)));
}

void TestToolbar::plotState_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("ohmBefore");
    QTest::addColumn<QString>("voltBefore");
    QTest::addColumn<float>("ohmMax");
    QTest::addColumn<float>("voltMax");

    QTest::newRow("12 lines, 400 mOhm, 40 V")
        << QByteArray("No.s\tDate\tTime\t400mOhm\t40Voltage") << 12 << ""
        << "" << 400.f << 40.f;
    QTest::newRow("40 mOhm, 4 V") << QByteArray("No.s\tDate\tTime\t40m Ohm\t4 Voltage") << 3 << ""
                                  << "" << 40.f << 4.f;
    QTest::newRow("4 Ohm") << QByteArray("No.s\tDate\tTime\t4Ohm\t4Voltage") << 3 << ""
                           << "" << 4.f << 4.f;
    QTest::newRow("unknown range: the file before")
        << QByteArray("No.s\tDate\tTime\tOhm\tVoltage") << 5 << "40"
        << "40" << 40.f << 40.f;
    QTest::newRow("no range ever") << QByteArray("No.s\tDate\tTime\tOhm\tVoltage") << 5 << ""
                                   << "" << 0.f << 0.f;
    QTest::newRow("header only") << QByteArray("No.s\tDate\tTime\t40mOhm\t4Voltage") << 0 << ""
                                 << "" << 40.f << 4.f;
}

void TestToolbar::plotState() {
    QFETCH(QByteArray, header);
    QFETCH(int, lines);
    QFETCH(QString, ohmBefore);
    QFETCH(QString, voltBefore);
    QFETCH(float, ohmMax);
    QFETCH(float, voltMax);

    RecordsRig rig;
    QVERIFY(rig.loaded);
    const QString path = rig.path(QStringLiteral("plot.Kmk"));
    writeFile(path, recording(header, lines));
    rig.app.meter.FileOhmRange = ohmBefore;
    rig.app.meter.FileVoltRange = voltBefore;
    rig.dialogs.files.enqueue(path);
    ToolbarClick(rig.app, QStringLiteral("Open"));
    FileList* list = rig.app.windows().find<FileList>();
    QVERIFY(list);
    FileTransfer& t = rig.app.transfer;
    t.PlotFromDataList = true;

    list->toolbarClick(QStringLiteral("Plot"));

    QVERIFY(!t.PlotFromDataList);
    QVERIFY(t.PlotFromFileList);
    QCOMPARE(t.PlotOhmLimitMax, ohmMax);
    QCOMPARE(t.PlotVoltLimitMax, voltMax);
    QCOMPARE(t.PlotOhmLimitMin, 0.f);
    QCOMPARE(t.PlotVoltLimitMin, 0.f);
    QCOMPARE(t.PlotRowCount, float(lines));
    QCOMPARE(t.PlotPointCount, float(lines));
    QCOMPARE(t.PlotLastRow, float(lines));
    QCOMPARE(t.PlotFirstRow, 1.f);
    QCOMPARE(t.PlotOhmTop, ohmMax);
    QCOMPARE(t.PlotOhmBottom, 0.f);
    QCOMPARE(t.PlotVoltTop, voltMax);
    QCOMPARE(t.PlotVoltBottom, 0.f);
}

void TestToolbar::keepsTimer1OffDuringDownload_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("downloadBusy");
    QTest::addColumn<bool>("timer1");
    for (const char* key : {"List", "Help", "Stop", "ReSave", "Save", "Sample"}) {
        const QString answer =
            QString::fromLatin1(key) == QStringLiteral("Sample") ? QStringLiteral("5") : QString();
        QTest::addRow("%s", key) << key << answer << false << true;
        QTest::addRow("%s during a download", key) << key << answer << true << false;
    }
}

void TestToolbar::keepsTimer1OffDuringDownload() {
    QFETCH(QString, key);
    QFETCH(QString, answer);
    QFETCH(bool, downloadBusy);
    QFETCH(bool, timer1);

    RecordsRig rig;
    QVERIFY(rig.loaded);
    rig.app.meter.DownloadBusy = downloadBusy;
    rig.app.setTimer1(false);
    rig.dialogs.inputs.enqueue(answer);
    ToolbarClick(rig.app, key);
    QCOMPARE(rig.app.timer1(), timer1);
    QCOMPARE(rig.app.meter.DownloadBusy, downloadBusy);
    if (key == QStringLiteral("Help")) {
        QVERIFY(rig.panel->helpPanel()->isVisibleTo(rig.panel));
    }
}

void TestToolbar::delayKeepsEventsGoing() {
    bool fired = false;
    QTimer::singleShot(10, [&fired] { fired = true; });
    QElapsedTimer elapsed;
    elapsed.start();
    Delay(0.2);
    QVERIFY(fired);
    QVERIFY(elapsed.elapsed() >= 190);
}
