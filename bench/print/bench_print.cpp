// Prints a list of readings to a PDF through the program's own print path and reports the time
// and the size. Usage: bench_print [rows] [output.pdf]   (defaults: 69999, a temporary file)

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTime>
#include <cstdio>

#include "app/App.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/GridModel.h"
#include "platform/Shell.h"
#include "print/GridPrintLayout.h"
#include "print/PrintGrid.h"
#include "print/PrintPage.h"
#include "records/ListLayout.h"

namespace {

// Chooses a PDF file on A4 as the printer; asks nothing else.
class PdfDialogs final : public Dialogs {
  public:
    explicit PdfDialogs(QString path) : path_(std::move(path)) {}
    void message(QWidget*, Icon, const QString&, const QString&) override {}
    QString input(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString openFile(QWidget*, const QString&, int) override { return {}; }
    QString saveFile(QWidget*, const QString&, int, bool) override { return {}; }
    bool choosePrinter(QWidget*, QPrinter& printer) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(path_);
        return true;
    }

  private:
    QString path_;
};

// Counts what the layout asks for, to tell the layout's own cost from the drawing's.
class CountingPage final : public PrintPage {
  public:
    int width() const override { return 11906; }
    int pageNumber() const override { return page; }
    void setFontSize(int) override {}
    void text(int, int, const QString& t) override { chars += t.size(); }
    void line(int, int, int, int) override { ++lines; }
    void newPage() override { ++page; }
    int page = 1;
    qsizetype chars = 0;
    int lines = 0;
};

// A day of readings every 2 s, as the live list records them.
void fill(GridModel& grid, int rows) {
    for (int c = 0; c < ListLayout::Columns; ++c) {
        grid.setText(0, c, ListLayout::header(c));
    }
    QVector<QStringList> data;
    data.reserve(rows);
    const QTime start(8, 0);
    for (int r = 1; r < rows; ++r) {
        const int seconds = 2 * r;
        data.append({QString::number(r),
                     QStringLiteral("2021/07/%1").arg(1 + seconds / 86400, 2, 10, QLatin1Char('0')),
                     start.addSecs(seconds).toString(QStringLiteral("hh:mm:ss")),
                     QString::number(23.41 + (r * 7919 % 200) / 100.0, 'f', 2),
                     QString::number(12.612 - r / 70000.0, 'f', 3)});
    }
    grid.appendRows(std::move(data));
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 69999;
    QTemporaryDir dir;
    const QString pdf =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("list.pdf"));

    GridModel grid(ListLayout::Columns);
    fill(grid, rows);

    QElapsedTimer timer;
    timer.start();
    CountingPage counting;
    GridPrintLayout::print(counting, grid);
    const qint64 layoutMs = timer.elapsed();

    PdfDialogs dialogs(pdf);
    SystemClock clock;
    DesktopShell shell;
    App app(dialogs, clock, shell);
    timer.restart();
    PrintGrid(app, nullptr, grid);
    const qint64 printMs = timer.elapsed();

    const qint64 bytes = QFileInfo(pdf).size();
    std::printf("rows %d, pages %d, texts %lld chars, lines %d\n", rows, counting.page,
                static_cast<long long>(counting.chars), counting.lines);
    std::printf("layout alone %lld ms\n", static_cast<long long>(layoutMs));
    std::printf("print to PDF %lld ms (%.1f ms a page), %.1f MB (%.1f KB a page)\n",
                static_cast<long long>(printMs), double(printMs) / counting.page, bytes / 1e6,
                bytes / 1e3 / counting.page);
    return bytes > 0 ? 0 : 1;
}
