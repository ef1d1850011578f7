#include "windows/print/PrintImage.h"

#include <QImage>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include "core/layout/PageFit.h"
#include "platform/widgets/BusyCursor.h"
#include "platform/widgets/Dialogs.h"
#include "windows/common/App.h"
#include "windows/print/PrintDocument.h"

bool PrintImageOnPage(QPrinter& printer, const QImage& image) {
    if (image.isNull()) {
        return false;
    }
    PrintDocument document(printer);
    if (!document.begin()) {
        return false;
    }
    // In the printable area, device pixels.
    const QRect target = FitAtTop(image.size(), QSize(printer.width(), printer.height()));
    QPainter& painter = document.painter();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
    return document.finish();
}

void PrintWindowImage(App& app, QWidget* parent, const QImage& image) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(Dialogs::appTitle());
    printer.setCreator(Dialogs::appTitle());
    if (QPrinterInfo::defaultPrinter().isNull() && !app.dialogs().choosePrinter(parent, printer)) {
        return;
    }
    const BusyCursor busy;
    PrintImageOnPage(printer, image);
}

void PrintWindow(App& app, QWidget& window, QWidget& toolbar) {
    // The printer dialog runs its own event loop, in which the window may be closed.
    QPointer<QWidget> self(&window);
    toolbar.hide();
    const QImage picture = window.grab().toImage();
    PrintWindowImage(app, &window, picture);
    if (self) {
        toolbar.show();
    }
}
