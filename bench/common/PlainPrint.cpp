#include "PlainPrint.h"

#include <QPainter>
#include <QPrinter>

#include "platform/GridModel.h"

namespace PlainPrint {

namespace {

constexpr double TwipsPerInch = 1440;

}  // namespace

void ToPdf(QPrinter& printer, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(path);
}

int Print(const GridModel& grid, const QString& path) {
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

}  // namespace PlainPrint
