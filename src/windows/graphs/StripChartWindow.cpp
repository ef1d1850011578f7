#include "windows/graphs/StripChartWindow.h"

#include <QAction>
#include <QFontMetricsF>
#include <QPainter>
#include <QResizeEvent>
#include <QToolBar>
#include <cmath>

#include "platform/Clock.h"
#include "windows/common/App.h"
#include "windows/graphs/Canvas.h"
#include "windows/graphs/LimitPrintToolbar.h"
#include "windows/graphs/RealTimeRange.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/print/PrintImage.h"

namespace {

const QColor GridGrey(192, 192, 192);  // palette index 7
const QColor TraceRed(255, 0, 0);

// Coordinates are single floats; pixels are whole.
int px(double v) {
    return int(std::floor(v + 0.5));
}
QPoint pt(const QPointF& p) {
    return {px(p.x()), px(p.y())};
}
QLine snap(const QLineF& line) {
    return {pt(line.p1()), pt(line.p2())};
}
// Both corners of a filled rectangle are painted.
QRect box(const QRectF& r) {
    return QRect(pt(r.topLeft()), pt(r.bottomRight())).normalized();
}
QRect bounds(const QLine& line) {
    return QRect(line.p1(), line.p2()).normalized().adjusted(-1, -1, 1, 1);
}

QPen thinPen(const QColor& colour, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(colour, 1, style);
    pen.setCosmetic(true);
    return pen;
}

}  // namespace

StripChartWindow::StripChartWindow(App& app, const StripChartDesign& design)
    : AppWindow(app), design_(design), canvas_(new Canvas(this)), toolbar_(new QToolBar(this)) {
    setObjectName(design.name);
    setWindowTitle(design.caption);
    font_ = QFont(QStringLiteral("Times New Roman"));
    font_.setPixelSize(12);

    canvas_->setObjectName(QStringLiteral("Canvas"));
    canvas_->setAccessibleName(design.caption.trimmed());

    // The toolbar lies over the top strip of the drawing, as a toolbar aligned to the top does.
    SetUpLimitPrintToolbar(*toolbar_, *this, &StripChartWindow::showLimit,
                           &StripChartWindow::print);

    timer1_.setObjectName(QStringLiteral("Timer1"));
    connect(&timer1_, &QTimer::timeout, this, &StripChartWindow::tick);

    setMinimumSize(design.minWidthTwips / TwipsPerPixel, design.minHeightTwips / TwipsPerPixel);
    setMaximumSize(MaxPixels, MaxPixels);

    // Load: beside the main window at the top of the screen, at the designed size.
    QRect panel;
    if (const QWidget* main = app.mainWindow()) {
        panel = main->frameGeometry();
    }
    const int left = design.placement == StripChartDesign::Placement::PanelLeft
                         ? panel.left()
                         : panel.left() + panel.width();
    move(left, 0);
    resize(design.widthTwips / TwipsPerPixel, design.heightTwips / TwipsPerPixel);
    sweep_.restart(app.meter.GraphStep);
}

const QImage& StripChartWindow::image() const {
    return canvas_->image();
}

void StripChartWindow::resizeEvent(QResizeEvent* event) {
    AppWindow::resizeEvent(event);
    canvas_->setGeometry(rect());
    toolbar_->setGeometry(0, 0, width(), toolbar_->sizeHint().height());
    toolbar_->raise();
    relayout();
}

void StripChartWindow::relayout() {
    Meter& meter = app().meter;
    layout_ = StripChartLayout::forClient(width(), height());
    meter.GraphPlotWidth = layout_.PlotWidth;
    sweep_.restart(meter.GraphStep);
    makeTickLines();
    linesShown_ = false;
    drawnOver_ = QRect();
    canvas_->clear(size());
    QImage& image = canvas_->image();
    if (image.isNull()) {
        return;
    }

    QPainter painter(&image);
    QPen axis(Qt::black, 2, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(axis);
    painter.drawLine(snap(layout_.verticalAxis()));
    painter.drawLine(snap(layout_.horizontalAxis()));

    painter.setPen(thinPen(Qt::black));
    for (const QLineF& tick : layout_.ticks(design_.tickDivisions())) {
        painter.drawLine(snap(tick));
    }

    painter.setFont(font_);
    const QFontMetricsF metrics(font_);
    const auto labels = layout_.scaleLabels(design_.scaleMin(meter), design_.scaleMax(meter),
                                            design_.labelDivisions);
    for (const auto& label : labels) {
        const double left = layout_.scaleLabelLeft(metrics.horizontalAdvance(label.text),
                                                   design_.labelWidthDivisor);
        const double top = label.centreY - metrics.height() / 2;
        painter.drawText(QPointF(px(left), px(top) + metrics.ascent()), label.text);
    }

    // The plot area cuts off any label that reaches into it.
    painter.fillRect(box(layout_.plotArea()), Qt::white);

    const QPointF caption = layout_.unitCaptionTopLeft();
    painter.drawText(QPointF(px(caption.x()), px(caption.y()) + metrics.ascent()),
                     design_.unitCaption(meter.MilliOhmUnit));
    painter.end();
    describe();
}

void StripChartWindow::makeTickLines() {
    tickLines_.clear();
    // Each line is drawn once into a row of its own, so that a tick only lays the rows over
    // the chart: the dots cover the trace, and the trace shows between them.
    auto add = [this](const QLineF& line, const QPen& pen) {
        const QLine l = snap(line);
        const int left = std::min(l.x1(), l.x2());
        QImage row(std::abs(l.dx()) + 1, 1, QImage::Format_ARGB32_Premultiplied);
        row.fill(Qt::transparent);
        QPainter painter(&row);
        painter.setPen(pen);
        painter.drawLine(l.x1() - left, 0, l.x2() - left, 0);
        painter.end();
        tickLines_.append({QPoint(left, l.y1()), row});
    };
    if (design_.centreLine) {
        add(layout_.centreLine(), thinPen(Qt::black));
    }
    for (double fraction : design_.gridFractions) {
        add(layout_.gridLine(fraction), thinPen(GridGrey, Qt::DotLine));
    }
}

QRect StripChartWindow::drawTimeLabel(QPainter& painter, float traceX) {
    TimeLabel = app().clock().now().toString(QStringLiteral("HH:mm:ss"));
    const QFontMetricsF metrics(font_);
    const QRectF boxF = layout_.timeLabelBox(traceX, metrics.horizontalAdvance(TimeLabel));
    const QRect white = box(boxF);
    painter.fillRect(white, Qt::white);
    painter.setFont(font_);
    painter.setPen(Qt::black);
    const QPoint topLeft = pt(boxF.topLeft());
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), TimeLabel);
    return white.united(QRect(topLeft, metrics.size(0, TimeLabel).toSize()).adjusted(-1, -1, 1, 1));
}

void StripChartWindow::tick() {
    QImage& image = canvas_->image();
    if (image.isNull()) {
        return;
    }
    const Meter& meter = app().meter;
    const float step = meter.GraphStep;
    const float traceX = sweep_.advance(step, layout_.PlotWidth);

    QPainter painter(&image);
    const QRect strip = box(layout_.sweepStrip(traceX, step));
    painter.fillRect(strip, Qt::white);
    // The lines go over the whole width, so the trace lies under them.
    QRect dirty = strip;
    for (const TickLine& line : tickLines_) {
        painter.drawImage(line.at, line.row);
        if (!linesShown_) {
            dirty |= QRect(line.at, line.row.size());
        }
    }
    linesShown_ = true;
    // On screen only what changed is repainted: beyond the strip, the lines change pixels only
    // where the last tick drew its segment and marks over them.
    dirty |= drawnOver_;
    drawnOver_ = QRect();

    const float h = StripChartLayout::valueHeight(design_.readingText(meter),
                                                  design_.scaleMin(meter), design_.scaleMax(meter),
                                                  layout_.PlotHeight, design_.underText);
    if (const auto segment = sweep_.plot(layout_.OriginX, layout_.OriginY - h)) {
        const QLine line = snap(*segment);
        painter.setPen(thinPen(TraceRed));
        painter.drawLine(line);
        drawnOver_ |= bounds(line);
    }

    switch (Sweep::markAt(traceX)) {
        case Sweep::Mark::TimeLine: {
            const QLine line = snap(layout_.timeLine(traceX));
            painter.setPen(thinPen(GridGrey, Qt::DotLine));
            painter.drawLine(line);
            drawnOver_ |= bounds(line);
            dirty |= drawTimeLabel(painter, traceX);
            break;
        }
        case Sweep::Mark::HalfMark: {
            const QLine line = snap(layout_.halfMark(traceX));
            painter.setPen(thinPen(GridGrey));
            painter.drawLine(line);
            drawnOver_ |= bounds(line);
            break;
        }
        case Sweep::Mark::None:
            break;
    }
    painter.end();
    canvas_->update(dirty | drawnOver_);
    describe();
}

void StripChartWindow::describe() {
    const Meter& meter = app().meter;
    QString text = QStringLiteral("Scale %1 to %2 %3")
                       .arg(design_.scaleMin(meter))
                       .arg(design_.scaleMax(meter))
                       .arg(design_.unitCaption(meter.MilliOhmUnit));
    const QString latest = design_.readingText(meter).trimmed();
    if (!latest.isEmpty()) {
        text += QStringLiteral(", latest ") + latest;
    }
    // Said again only when it changes, not at every tick.
    if (canvas_->accessibleDescription() != text) {
        canvas_->setAccessibleDescription(text);
    }
}

void StripChartWindow::onUnload() {
    timer1_.stop();
    auto otherVisible = [this](QWidget* window) {
        return window && window != this && window->isVisible();
    };
    if (!otherVisible(app().windows().find<RealTimeX>()) &&
        !otherVisible(app().windows().find<RealTimeY>())) {
        app().meter.GraphOpen = false;
    }
}

void StripChartWindow::showLimit() {
    RealTimeRange& range = app().windows().get<RealTimeRange>();
    range.show();
    range.raise();
    range.activateWindow();
}

void StripChartWindow::print() {
    PrintWindow(app(), *this, *toolbar_);
}
