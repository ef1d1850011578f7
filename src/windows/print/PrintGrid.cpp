#include "windows/print/PrintGrid.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPrinter>
#include <QProgressDialog>

#include "core/layout/GridPrintLayout.h"
#include "platform/Clock.h"
#include "platform/GridModel.h"
#include "platform/widgets/BusyCursor.h"
#include "platform/widgets/Dialogs.h"
#include "windows/common/App.h"
#include "windows/print/PrintDocument.h"
#include "windows/print/PrinterPage.h"

namespace {

// About half a page between two looks at the window events: a few milliseconds of drawing.
constexpr int RowsPerBatch = 20;
// The progress bar moves a few times a second, not once a batch.
constexpr qint64 ProgressEveryMs = 200;

// Timer1 stays off while the list prints, and is on again on every way out.
class Timer1Off {
  public:
    explicit Timer1Off(App& app) : app_(app) { app_.setTimer1(false); }
    ~Timer1Off() { app_.setTimer1(true); }
    Timer1Off(const Timer1Off&) = delete;
    Timer1Off& operator=(const Timer1Off&) = delete;

  private:
    App& app_;
};

QProgressDialog* makeProgress(QWidget* parent, int rows) {
    auto* progress = new QProgressDialog(parent);
    progress->setObjectName(QStringLiteral("PrintProgress"));
    progress->setWindowTitle(Dialogs::appTitle());
    progress->setLabelText(QStringLiteral("Printing..."));
    progress->setCancelButtonText(QStringLiteral("Cancel"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(500);
    progress->setRange(0, rows);
    progress->setValue(0);
    return progress;
}

// Prints the whole layout, looking at the window events between batches; false when cancelled,
// when the grid went away or when the printer failed.
bool printAll(App& app, QWidget* parent, PrintDocument& document, GridPrintLayout& layout,
              const GridModel& grid) {
    const QPointer<const GridModel> gridAlive(&grid);
    // The parent may go while events are processed, and the dialog with it.
    const QPointer<QProgressDialog> progress = makeProgress(parent, layout.rows());
    qint64 shown = app.clock().monotonicMs();
    bool ok = true;
    while (ok && !layout.finished()) {
        layout.printRows(RowsPerBatch);
        const qint64 now = app.clock().monotonicMs();
        if (progress && now - shown >= ProgressEveryMs) {
            shown = now;
            progress->setValue(layout.rowsPrinted());
        }
        QCoreApplication::processEvents();
        ok = !document.failed() && gridAlive && progress && !progress->wasCanceled();
    }
    delete progress.data();
    return ok;
}

}  // namespace

void PrintGrid(App& app, QWidget* parent, const GridModel& grid) {
    const Timer1Off timer1(app);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(Dialogs::appTitle());
    printer.setCreator(Dialogs::appTitle());
    if (!app.dialogs().choosePrinter(parent, printer)) {
        return;
    }
    const BusyCursor busy;
    printer.setFullPage(true);
    PrintDocument document(printer);
    if (!document.begin()) {
        return;
    }
    PrinterPage page(document);
    GridPrintLayout layout(page, grid);
    if (printAll(app, parent, document, layout, grid)) {
        page.finish();
        document.finish();
    } else {
        document.discard();
    }
}
