// Printing the longest list (an opened 69,999-line recording) to a PDF through the program's
// "Print", against printing the same rows as plain text lines through QPrinter in the same run.
#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include "BenchTable.h"
#include "OfflineApp.h"
#include "PlainPrint.h"
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
    dialogs.printerSetup = [&pdf](QPrinter& printer) { PlainPrint::ToPdf(printer, pdf); };
    auto print = [&] {
        dialogs.printerAnswers.enqueue(true);
        list.toolbarClick(QStringLiteral("Print"));
    };
    int plainPages = 0;
    auto plain = [&] { plainPages = PlainPrint::Print(grid, plainPdf); };
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
