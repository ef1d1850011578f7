// Printing the longest list (an opened 69,999-line recording) to a PDF through the program's
// "Print", against printing the same rows as plain text lines through QPrinter in the same run.
#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include "BenchTable.h"
#include "OfflineApp.h"
#include "RecordingShell.h"
#include "SampleData.h"
#include "ScriptedDialogs.h"
#include "platform/Clock.h"
#include "platform/widgets/Grid.h"
#include "shell/ToolbarCommands.h"
#include "windows/common/App.h"
#include "windows/records/FileList.h"

namespace {

constexpr int Lines = 69999;
constexpr int Runs = 5;
constexpr double TwipsPerInch = 1440;

void ToPdf(QPrinter& printer, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(path);
}

// The rows as one line of text each, 11-point Arial, 400 twips apart, as many to a page as the
// program prints; the least a printed list can cost.
int PrintPlain(const GridModel& grid, const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, path);
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return 0;
    }
    painter.scale(printer.logicalDpiX() / TwipsPerInch, printer.logicalDpiY() / TwipsPerInch);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11 * 20);
    painter.setFont(font);
    int pages = 1;
    int y = 850;
    for (int r = 0; r < grid.Rows(); ++r) {
        painter.drawText(QPointF(500, y), grid.row(r).join(QStringLiteral("      ")));
        if (y < 15500) {
            y += 400;
        } else {
            printer.newPage();
            ++pages;
            y = 450;
        }
    }
    painter.end();
    return pages;
}

}  // namespace

int main(int argc, char* argv[]) {
    PreferOffscreen();
    QApplication application(argc, argv);
    QTemporaryDir dir;
    OfflineApp<SystemClock> offline;
    ScriptedDialogs& dialogs = offline.dialogs;
    using namespace BenchTable;

    const QString recording = dir.filePath(QStringLiteral("full.Kmk"));
    SampleData::WriteFile(recording, SampleData::Recording(Lines));
    FileList& list = offline.open(recording);
    const GridModel& grid = list.grid().model();

    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    const QString plainPdf = dir.filePath(QStringLiteral("plain.pdf"));
    dialogs.printerSetup = [&pdf](QPrinter& printer) { ToPdf(printer, pdf); };
    auto print = [&] {
        dialogs.printerAnswers.enqueue(true);
        list.toolbarClick(QStringLiteral("Print"));
    };
    int plainPages = 0;
    auto plain = [&] { plainPages = PrintPlain(grid, plainPdf); };
    const Pair printing = BestOfPairs(Runs, print, plain);
    Detail(QStringLiteral("print: %1 rows; PDF %2 bytes; plain text PDF %3 pages, %4 bytes")
               .arg(grid.Rows())
               .arg(QFileInfo(pdf).size())
               .arg(plainPages)
               .arg(QFileInfo(plainPdf).size()));
    if (!QFileInfo::exists(pdf)) {
        FailedRow(QStringLiteral("Printing 69,999 rows to PDF"), QStringLiteral("no PDF"));
        return 1;
    }
    RatioRow(QStringLiteral("Printing 69,999 rows to PDF"), printing.figureMs,
             QStringLiteral("the same rows as plain text through QPrinter"), printing.baselineMs,
             2.0);
    return 0;
}
