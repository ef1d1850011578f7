#include "windows/print/PrinterPage.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <utility>

#include "core/layout/PageRules.h"
#include "windows/print/PrintDocument.h"

namespace {

constexpr double TwipsPerInch = 1440;
constexpr int TwipsPerPoint = 20;
constexpr int RuleWidth = 10;  // twips: a half-point hairline that every printer shows

}  // namespace

PrinterPage::PrinterPage(PrintDocument& document) : document_(document) {
    const QPrinter& printer = document.printer();
    QPainter& painter = document.painter();
    painter.scale(printer.logicalDpiX() / TwipsPerInch, printer.logicalDpiY() / TwipsPerInch);
    width_ = qRound(printer.width() * TwipsPerInch / printer.logicalDpiX());
    QPen pen(Qt::black);
    pen.setWidth(RuleWidth);
    painter.setPen(pen);
}

void PrinterPage::setFontSize(int points) {
    // Any font will do; the pixel size is in the painter's units, twips.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(points * TwipsPerPoint);
    document_.painter().setFont(font);
    ascent_ = QFontMetricsF(font).ascent();
}

void PrinterPage::text(int x, int y, const QString& text) {
    document_.painter().drawText(QPointF(x, y + ascent_), text);
}

void PrinterPage::line(int x1, int y1, int x2, int y2) {
    rules_.append(QLine(x1, y1, x2, y2));
}

void PrinterPage::drawRules() {
    if (!rules_.isEmpty()) {
        document_.painter().drawLines(PageRules::Merged(std::exchange(rules_, {})));
    }
}

void PrinterPage::finish() {
    drawRules();
}

void PrinterPage::newPage() {
    drawRules();
    document_.newPage();
    ++page_;
}
