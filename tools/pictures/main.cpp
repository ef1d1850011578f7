// Makes the pictures of the help document: runs the program offscreen on the meter simulator,
// opens every window as a person would and saves each one as a PNG file. The wall clock is a
// manual one, so the times shown are the same on every run.
// Usage: kelvomark-pictures OUTDIR   (KELVOMARK_SIM names the simulator's binary)

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QInputDialog>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "CellBench.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "core/cells/Inventory.h"
#include "core/logger/LoggerDownload.h"
#include "core/logger/StartingTime.h"
#include "core/meter/Decode.h"
#include "core/records/Sampler.h"
#include "platform/Clock.h"
#include "platform/TextRules.h"
#include "platform/widgets/Grid.h"
#include "shell/Panel.h"
#include "shell/Port.h"
#include "shell/ToolbarCommands.h"
#include "windows/cells/Pack.h"
#include "windows/cells/ProfileEditor.h"
#include "windows/cells/SortCells.h"
#include "windows/common/App.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/Plot2Range.h"
#include "windows/graphs/RealTimeRange.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/logger/DataList.h"
#include "windows/logger/LoggerCommands.h"
#include "windows/logger/Memory.h"
#include "windows/port/SerialDevices.h"
#include "windows/records/FileList.h"
#include "windows/records/List.h"

namespace {

constexpr int WaitMs = 15000;          // for the logger download
constexpr int TickMs = 150;            // the live graphs' tick, as the receive tick's
constexpr int GraphSeconds = 60;       // the graphs are pictured after a minute of readings
constexpr int RecordingSeconds = 300;  // five minutes of cells, a sample every two seconds

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform says so on every raise and size hint; there is nothing to act on.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith(QLatin1String("This plugin does not support"))) {
        defaultHandler(type, context, text);
    }
}

void fail(const char* what) {
    std::fprintf(stderr, "kelvomark-pictures: %s\n", what);
}

// Runs the event loop until `signal` of `sender` comes or the time is up; false on time-out.
template <class Sender, class Signal>
bool waitFor(Sender* sender, Signal signal, int timeoutMs = WaitMs) {
    QEventLoop loop;
    bool came = false;
    QObject::connect(sender, signal, &loop, [&] {
        came = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return came;
}

QPalette darkPalette() {
    QPalette p;
    const QColor window(45, 47, 50);
    const QColor base(30, 31, 34);
    const QColor text(230, 230, 228);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(150, 150, 148));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(58, 60, 64));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 90, 80));
    p.setColor(QPalette::Light, QColor(80, 82, 86));
    p.setColor(QPalette::Midlight, QColor(66, 68, 72));
    p.setColor(QPalette::Mid, QColor(40, 41, 44));
    p.setColor(QPalette::Dark, QColor(24, 25, 27));
    p.setColor(QPalette::Shadow, QColor(10, 10, 12));
    p.setColor(QPalette::Highlight, QColor(61, 124, 204));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(110, 170, 240));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 118));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 118));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 118));
    return p;
}

class Album {
  public:
    explicit Album(QString folder) : folder_(std::move(folder)) {}

    // The whole window, or the part of it given.
    void take(QWidget& window, const char* name,
              const QRect& part = QRect(QPoint(0, 0), QSize(-1, -1))) {
        window.show();
        QCoreApplication::processEvents();
        const QString path = folder_ + u'/' + QString::fromLatin1(name) + QStringLiteral(".png");
        if (!window.grab(part).save(path)) {
            std::fprintf(stderr, "kelvomark-pictures: cannot write %s\n", qPrintable(path));
            ++failures_;
        }
    }
    int failures() const { return failures_; }

  private:
    QString folder_;
    int failures_ = 0;
};

template <class T>
T* child(QWidget* parent, const char* name) {
    return parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    defaultHandler = qInstallMessageHandler(quietHandler);
    QApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    // The same pictures under a dark desktop palette, to see that everything but the meter's
    // picture and the charts' paper follows it.
    const bool dark = args.removeAll(QStringLiteral("--dark")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: kelvomark-pictures [--dark] OUTDIR\n");
        return 2;
    }
    if (dark) {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(darkPalette());
    }
    const QString folder = args.first();
    QTemporaryDir work;
    if (!QDir().mkpath(folder) || !work.isValid()) {
        fail("cannot make the folders");
        return 1;
    }

    // No live packets: the pictured readings are fed tick by tick on the manual clock, on which
    // the receive tick's one-second wait would never end. The demo logger for the download.
    SimProcess sim({QStringLiteral("--period"), QStringLiteral("0"), QStringLiteral("--logger"),
                    QStringLiteral("demo"), QStringLiteral("--byte-us"), QStringLiteral("0")});
    if (!sim.isReady()) {
        std::fprintf(stderr, "kelvomark-pictures: the simulator did not start: %s\n",
                     qPrintable(sim.errorText()));
        return 1;
    }
    qputenv("KELVOMARK_COM1", sim.path().toLocal8Bit());

    ScriptedDialogs dialogs;
    ManualClock clock;
    RecordingShell shell;
    App app(dialogs, clock, shell);
    Album album(folder);

    Port& port = app.windows().get<Port>();
    album.take(port, "port");
    if (auto* devicesButton = child<QPushButton>(&port, "BtnDeviceManager")) {
        devicesButton->click();
    }
    if (auto* devices = port.findChild<SerialDevices*>()) {
        album.take(*devices, "serial-devices");
        devices->close();
    }
    if (auto* ok = child<QPushButton>(&port, "CmdOk")) {
        ok->click();
    }
    Panel* panel = app.windows().find<Panel>();
    if (!panel || !panel->isVisible()) {
        fail("the main window did not open the simulator's port");
        return 1;
    }
    const auto takeOver = [&] {
        app.setTimer1(false);
        panel->timer2().stop();
    };
    takeOver();
    // The meter's first reading, in the ranges of all that follow.
    DecodePacket(app.meter, CellBench::packetAt(0));
    panel->showReading();

    ToolbarClick(app, QStringLiteral("List"));
    const QString recording = work.filePath(QStringLiteral("cells.Kmk"));
    dialogs.files.enqueue(recording);
    ToolbarClick(app, QStringLiteral("Save"));
    ToolbarClick(app, QStringLiteral("Graph"));
    takeOver();
    RealTimeX& ohmChart = app.windows().get<RealTimeX>();
    RealTimeY& voltChart = app.windows().get<RealTimeY>();
    ohmChart.timer1().stop();
    voltChart.timer1().stop();
    QCoreApplication::processEvents();

    const int graphTicks = GraphSeconds * 1000 / TickMs;
    const int ticks = RecordingSeconds * 1000 / TickMs;
    for (int tick = 1; tick <= ticks; ++tick) {
        const qint64 before = clock.monotonicMs();
        clock.advanceMs(TickMs);
        DecodePacket(app.meter, CellBench::packetAt(clock.monotonicMs() / 1000.0));
        panel->showReading();
        if (tick <= graphTicks) {
            ohmChart.tick();
            voltChart.tick();
        }
        if (tick == graphTicks) {
            album.take(ohmChart, "graph-ohm");
            album.take(voltChart, "graph-volt");
        }
        if (clock.monotonicMs() / 1000 != before / 1000) {
            app.sampler().tick();
        }
    }
    album.take(*panel, "panel");
    if (List* list = app.windows().find<List>()) {
        album.take(*list, "list");
    }
    panel->helpPanel()->show();
    // The toolbar and the display are enough to show where the choice appears.
    album.take(*panel, "panel-help", QRect(0, 0, panel->width(), panel->height() * 3 / 5));
    panel->helpPanel()->hide();

    if (auto* limit = child<QAction>(&ohmChart, "Limit")) {
        limit->trigger();
    }
    if (auto* range = app.windows().find<RealTimeRange>()) {
        album.take(*range, "realtime-range");
        range->unload();
    }
    app.windows().unload<RealTimeX>();
    app.windows().unload<RealTimeY>();
    app.windows().unload<List>();

    ToolbarClick(app, QStringLiteral("Save"));  // stops the recording
    dialogs.files.enqueue(recording);
    ToolbarClick(app, QStringLiteral("Open"));
    takeOver();
    FileList* file = app.windows().find<FileList>();
    if (!file || file->grid().model().Rows() < 2) {
        fail("the recording did not open");
        return 1;
    }
    album.take(*file, "filelist");
    if (auto* plot = child<QAction>(file, "Plot")) {
        plot->trigger();
    }
    if (auto* plot = app.windows().find<ListPlot2>()) {
        album.take(*plot, "plot");
        if (auto* limit = child<QAction>(plot, "Limit")) {
            limit->trigger();
        }
    }
    if (auto* range = app.windows().find<Plot2Range>()) {
        album.take(*range, "plot-range");
        range->unload();
    }
    app.windows().unload<ListPlot2>();
    app.windows().unload<FileList>();

    ToolbarClick(app, QStringLiteral("Memory"));
    Memory* memory = app.windows().find<Memory>();
    if (!memory) {
        fail("the data logger window did not open");
        return 1;
    }
    if (LoggerDownload* download = memory->download()) {
        if (!waitFor(download, &LoggerDownload::finished)) {
            fail("the logger download did not end");
            return 1;
        }
    }
    takeOver();
    if (memory->gridSet().model().Rows() < 2) {
        fail("the logger download listed no set");
        return 1;
    }
    album.take(*memory, "memory");

    // The question a click on a set asks, as the desktop's input dialog shows it.
    QInputDialog question;
    question.setWindowTitle(StartingTime::Title());
    question.setLabelText(StartingTime::Prompt());
    question.setTextValue(TextRules::FormatStamp(clock.now()));
    album.take(question, "starting-time");
    question.hide();

    dialogs.inputs.enqueue(QStringLiteral("2021/06/30 14:00:00"));
    ListSetCommand(app, 2);
    takeOver();
    DataList* data = app.windows().find<DataList>();
    if (!data) {
        fail("the set was not listed");
        return 1;
    }
    album.take(*data, "datalist");
    app.windows().unload<DataList>();
    app.windows().unload<Memory>();

    // The sorting station on an inventory of its own, judged by the first example profile.
    qputenv("XDG_DATA_HOME", work.filePath(QStringLiteral("data")).toLocal8Bit());
    ToolbarClick(app, QStringLiteral("Sort"));
    takeOver();
    SortCells* sort = app.windows().find<SortCells>();
    if (!sort || !sort->inventory().isOpen()) {
        fail("the sorting window did not open its inventory");
        return 1;
    }
    sort->profileChoice()->setCurrentIndex(
        sort->profileChoice()->findText(QStringLiteral("Example 18650 Li-ion")));
    const double sortStart = clock.monotonicMs() / 1000.0;
    const double sortPeriod = CellBench::SortOpenSeconds + CellBench::SortHoldSeconds;
    // Up to the last cell, still held on the probes after its capture.
    const double sortEnd = sortPeriod * CellBench::sortCellCount() - 0.5;
    bool named = false;
    while (clock.monotonicMs() / 1000.0 - sortStart < sortEnd) {
        clock.advanceMs(TickMs);
        const double seconds = clock.monotonicMs() / 1000.0 - sortStart;
        // The fourth cell's barcode, scanned before its touch.
        if (!named && seconds > 3 * sortPeriod) {
            sort->idField()->setText(QStringLiteral("PK2-14"));
            named = true;
        }
        DecodePacket(app.meter, CellBench::sortPacketAt(seconds));
        panel->showReading();
        sort->takeReading();
    }
    // The flash of the last capture over.
    QEventLoop settle;
    QTimer::singleShot(800, &settle, &QEventLoop::quit);
    settle.exec();
    if (sort->session().rowCount() != CellBench::sortCellCount()) {
        fail("the sorting window did not capture every cell");
        return 1;
    }
    album.take(*sort, "sort-cells");
    // The display with the last capture's mark lit.
    album.take(*panel, "panel-marks", QRect(0, 0, panel->width(), panel->height() * 3 / 5));
    // The profile editor on the profile the sorting judged by.
    sort->editProfiles();
    ProfileEditor* editor = app.windows().find<ProfileEditor>();
    if (!editor || editor->shownName() != u"Example 18650 Li-ion") {
        fail("the profile editor did not open on the chosen profile");
        return 1;
    }
    album.take(*editor, "profile-editor");
    editor->unload();
    // The cells just sorted, with capacities from a charger, matched into a pack.
    QStringList sorted;
    for (const SessionRow& row : sort->session().all()) {
        if (row.judgement.verdict != Verdict::Fail) {
            sorted << row.cellId;
        }
    }
    sort->unload();
    // Pairs that add up alike, so that the search reaches its bound at once: the picture never
    // waits on the search's time limit, which this program's stopped clock would never reach.
    const double capacities[] = {2480, 2660, 2510, 2630, 2540, 2600, 2555, 2585};
    const int series = std::min<int>(4, int(sorted.size()) / 2);
    {
        Inventory inventory;
        bool stored = series >= 2 && inventory.open(Inventory::DefaultLocation());
        for (int i = 0; stored && i < 2 * series; ++i) {
            stored = inventory.setCapacity(sorted.at(i), capacities[i]);
        }
        if (!stored) {
            fail("the sorted cells could not be given capacities for the pack");
            return 1;
        }
    }
    ToolbarClick(app, QStringLiteral("Pack"));
    takeOver();
    Pack* pack = app.windows().find<Pack>();
    if (!pack || !pack->inventory().isOpen()) {
        fail("the pack window did not open its inventory");
        return 1;
    }
    pack->verdictChoice()->setCurrentIndex(1);
    pack->parallelChoice()->setValue(2);
    pack->seriesChoice()->setValue(series);
    QEventLoop matched;
    QObject::connect(pack, &Pack::finished, &matched, &QEventLoop::quit);
    // Should the bound not be reached, the best pack so far after a few seconds.
    QTimer::singleShot(5000, pack, [pack] { pack->stop(); });
    pack->run();
    if (pack->running()) {
        matched.exec();
    }
    if (pack->result().status != PackResult::Status::Solved) {
        fail("the pack window found no pack");
        return 1;
    }
    album.take(*pack, "pack");
    pack->unload();

    if (!dialogs.messages.isEmpty()) {
        for (const ScriptedDialogs::Shown& shown : dialogs.messages) {
            std::fprintf(stderr, "kelvomark-pictures: the program said: %s\n",
                         qPrintable(shown.text));
        }
        return 1;
    }
    return album.failures() == 0 ? 0 : 1;
}
