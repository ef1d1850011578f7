// kelvomark-render: the drawing half of `kelvomark-cli print` and `kelvomark-cli plot`. It opens
// the file in the program's own list window, offscreen, and does what a person does there:
// "Print" to a PDF file, or "Plot" (with "Limit" and the Plot Range dialog for chosen scales and
// rows). So the pages and pictures are those of the desktop program, drawn by its own code.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QToolBar>
#include <cstdio>

#include "BatchDialogs.h"
#include "cli/Console.h"
#include "cli/Options.h"
#include "cli/SignalNotifier.h"
#include "core/layout/DataPlot.h"
#include "core/layout/PageFit.h"
#include "core/layout/RangeChecks.h"
#include "platform/Clock.h"
#include "platform/widgets/Grid.h"
#include "platform/widgets/Shell.h"
#include "windows/cells/PackMap.h"
#include "windows/common/App.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/Plot2Range.h"
#include "windows/records/FileList.h"

namespace {

class NoShell final : public Shell {
  public:
    void openDocument(const QString&, QObject*, std::function<void()>) override {}
};

QPageSize Paper(const RenderOptions& options) {
    return QPageSize(options.paper == u"Letter" ? QPageSize::Letter : QPageSize::A4);
}

QString Number(double value) {
    return QLocale::c().toString(value, 'g', 15);
}

// Whether `path` can be written: the folder exists and lets us create a file there.
bool Writable(const QString& path, Console& console) {
    if (QFileInfo(path).isDir()) {
        console.message(QStringLiteral("%1 is a folder").arg(path));
        return false;
    }
    QFile probe(path + QStringLiteral(".probe"));
    if (!probe.open(QIODevice::WriteOnly)) {
        console.message(QStringLiteral("cannot write %1: %2").arg(path, probe.errorString()));
        return false;
    }
    probe.remove();
    return true;
}

class Renderer {
  public:
    Renderer(const RenderOptions& options, Console& console, SignalNotifier& stopSignals)
        : options_(options), console_(console), stopSignals_(stopSignals) {}

    Exit run();

  private:
    Exit print(FileList& list);
    Exit plot(FileList& list);
    Exit choosePlotRange();
    bool writePng(ListPlot2& plot);
    bool writePdf(ListPlot2& plot);

    const RenderOptions& options_;
    Console& console_;
    SignalNotifier& stopSignals_;
    BatchDialogs dialogs_;
    SystemClock clock_;
    NoShell shell_;
    App app_{dialogs_, clock_, shell_};
    bool cancelled_ = false;
};

Exit Renderer::run() {
    for (const QString& out : {options_.pdf, options_.png}) {
        if (!out.isEmpty() && !Writable(out, console_)) {
            return Exit::Failure;
        }
    }
    // Open File: the reader fills the list window as on the desktop.
    FileList& list = app_.windows().get<FileList>();
    QString error;
    if (!list.readFile(options_.file, error)) {
        console_.message(QStringLiteral("cannot read %1: %2").arg(options_.file, error));
        return Exit::Failure;
    }
    return options_.kind == RenderOptions::Kind::Print ? print(list) : plot(list);
}

Exit Renderer::print(FileList& list) {
    // The document is written under a side name and takes its own only when it is whole.
    const QString side = options_.pdf + QStringLiteral(".rendering");
    dialogs_.printerSetup = [this, &side](QPrinter& printer) {
        // Named first: a name not ending in ".pdf" may change the format.
        printer.setOutputFileName(side);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(Paper(options_));
    };
    const int rows = list.grid().model().Rows();
    // The print runs its own progress dialog, and looks at the events between its batches.
    const auto progressDialog = [&list] {
        return list.findChild<QProgressDialog*>(QStringLiteral("PrintProgress"));
    };
    QTimer progress;
    progress.setInterval(250);
    QObject::connect(&progress, &QTimer::timeout, &progress, [&] {
        if (QProgressDialog* dialog = progressDialog()) {
            console_.progress(QStringLiteral("printing %1: %2 of %3 rows")
                                  .arg(options_.file)
                                  .arg(dialog->value())
                                  .arg(rows));
        }
    });
    const QMetaObject::Connection stop =
        QObject::connect(&stopSignals_, &SignalNotifier::caught, &progress, [&] {
            cancelled_ = true;
            if (QProgressDialog* dialog = progressDialog()) {
                dialog->cancel();
            }
        });
    progress.start();
    list.toolbarClick(QStringLiteral("Print"));
    progress.stop();
    QObject::disconnect(stop);
    console_.endProgress();
    if (cancelled_) {
        QFile::remove(side);
        console_.message(QStringLiteral("cancelled; %1 was not written").arg(options_.pdf));
        return Exit::Failure;
    }
    if (!QFileInfo::exists(side)) {
        console_.message(QStringLiteral("cannot write %1: the printer could not write the document")
                             .arg(options_.pdf));
        return Exit::Failure;
    }
    if (std::rename(QFile::encodeName(side).constData(),
                    QFile::encodeName(options_.pdf).constData()) != 0) {
        QFile::remove(side);
        console_.message(QStringLiteral("cannot write %1").arg(options_.pdf));
        return Exit::Failure;
    }
    return Exit::Success;
}

Exit Renderer::plot(FileList& list) {
    // "Plot" in the file's window: the file's ranges over all of its rows.
    list.toolbarClick(QStringLiteral("Plot"));
    if (options_.ohm || options_.volt || options_.rows) {
        const Exit chosen = choosePlotRange();
        if (chosen != Exit::Success) {
            return chosen;
        }
    }
    ListPlot2* plot = app_.windows().find<ListPlot2>();
    if (!plot) {
        // The plot window closes when a reading cannot be scaled or a row is not there; the
        // plot, built again, says which.
        const DataPlot::Plot failed = DataPlot::build(app_.transfer, list.grid().model());
        console_.message(
            options_.file + QStringLiteral(": ") +
            (failed.failure.isEmpty() ? QStringLiteral("the plot failed") : failed.failure));
        return Exit::Failure;
    }
    // The picture as "Print" takes it: without the toolbar.
    plot->toolbar()->hide();
    if (!options_.png.isEmpty() && !writePng(*plot)) {
        return Exit::Failure;
    }
    if (!options_.pdf.isEmpty() && !writePdf(*plot)) {
        return Exit::Failure;
    }
    return Exit::Success;
}

// "Limit", the Plot Range dialog filled in as given, and its "OK".
Exit Renderer::choosePlotRange() {
    ListPlot2* plot = app_.windows().find<ListPlot2>();
    if (!plot) {
        return Exit::Success;  // told by the caller
    }
    Plot2Range& range = app_.windows().get<Plot2Range>();
    range.show();
    const auto type = [&range](const char* box, double value) {
        if (auto* edit = range.findChild<QLineEdit*>(QString::fromLatin1(box))) {
            edit->setText(Number(value));
        }
    };
    if (options_.ohm) {
        type("TxtR1", options_.ohm->middle);
        type("TxtR2", options_.ohm->top);
    }
    if (options_.volt) {
        type("UpTxtR1", options_.volt->middle);
        type("UpTxtR2", options_.volt->top);
    }
    if (options_.rows) {
        type("TxtT1", options_.rows->first);
        type("TxtT2", options_.rows->last);
    }
    // What the dialog reads from its boxes: the values given, the others as it shows them.
    const FileTransfer& t = app_.transfer;
    PlotRangeInput input{t.PlotOhmBottom, t.PlotOhmTop,     t.PlotFirstRow,
                         t.PlotLastRow,   t.PlotVoltBottom, t.PlotVoltTop};
    if (options_.ohm) {
        input.ohmBottom = float(options_.ohm->middle);
        input.ohmTop = float(options_.ohm->top);
    }
    if (options_.volt) {
        input.voltBottom = float(options_.volt->middle);
        input.voltTop = float(options_.volt->top);
    }
    if (options_.rows) {
        input.firstRow = float(options_.rows->first);
        input.lastRow = float(options_.rows->last);
    }
    const QString problem = PlotRangeProblem(input, t);
    const qsizetype shown = dialogs_.messages.size();
    if (auto* ok = range.findChild<QPushButton*>(QStringLiteral("CmdOk"))) {
        ok->click();
    }
    if (dialogs_.messages.size() > shown) {
        console_.message(QStringLiteral("plot: ") +
                         (problem.isEmpty() ? dialogs_.messages.constLast() : problem));
        return Exit::Usage;
    }
    return Exit::Success;
}

bool Renderer::writePng(ListPlot2& plot) {
    const QImage picture = plot.grab().toImage();
    QSaveFile file(options_.png);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit()) {
        console_.message(
            QStringLiteral("cannot write %1: %2").arg(options_.png, file.errorString()));
        return false;
    }
    return true;
}

// The picture on one page, as large as the page allows. The window is drawn onto the page, not
// its image, so that its texts stay texts; a QPdfWriter rather than a QPrinter, onto which
// widgets are drawn as one image.
bool Renderer::writePdf(ListPlot2& plot) {
    QSaveFile file(options_.pdf);
    if (!file.open(QIODevice::WriteOnly)) {
        console_.message(
            QStringLiteral("cannot write %1: %2").arg(options_.pdf, file.errorString()));
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(Dialogs::appTitle());
        writer.setCreator(Dialogs::appTitle());
        writer.setPageLayout(QPageLayout(Paper(options_), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&writer)) {
            console_.message(QStringLiteral("cannot write %1").arg(options_.pdf));
            return false;
        }
        const QRect target = FitAtTop(plot.size(), QSize(writer.width(), writer.height()));
        painter.translate(target.topLeft());
        painter.scale(double(target.width()) / plot.width(),
                      double(target.height()) / plot.height());
        plot.render(&painter);
    }
    if (!file.commit()) {
        console_.message(
            QStringLiteral("cannot write %1: %2").arg(options_.pdf, file.errorString()));
        return false;
    }
    return true;
}

// Qt's notes about the offscreen platform ("does not support raise()") are not for the person
// who runs the command: only its errors go to standard error.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "kelvomark-render: %s\n", qPrintable(text));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(QtMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvomark"));
    Console console;
    const QStringList arguments = QApplication::arguments().mid(1);
    const QString command = arguments.value(0);
    // The pack command's assembly map: its CSV in, a PDF or PNG out.
    if (command == u"pack-map" && arguments.size() == 4) {
        PackMap::Map map;
        map.title = arguments.at(3);
        QString error;
        if (!PackMap::FromCsv(arguments.at(1), map, error) ||
            !PackMap::Write(arguments.at(2), map, error)) {
            console.message(QStringLiteral("cannot write %1: %2").arg(arguments.at(2), error));
            return int(Exit::Failure);
        }
        return int(Exit::Success);
    }
    const Help::Page* page = Help::pageFor(command);
    if (!page || (command != u"print" && command != u"plot")) {
        console.message(
            QStringLiteral("kelvomark-render print|plot FILE.Kmk ...: run by "
                           "kelvomark-cli print and plot"));
        return int(Exit::Usage);
    }
    const Arguments parsed(*page, arguments.mid(1));
    RenderOptions options;
    QString error;
    if (!parsed.ok() || !RenderOptions::Parse(command == u"print" ? RenderOptions::Kind::Print
                                                                  : RenderOptions::Kind::Plot,
                                              parsed, options, error)) {
        console.message(command + QStringLiteral(": ") + (parsed.ok() ? error : parsed.error()));
        return int(Exit::Usage);
    }
    SignalNotifier stopSignals;
    Renderer renderer(options, console, stopSignals);
    return int(renderer.run());
}
