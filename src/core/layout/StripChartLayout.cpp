#include "core/layout/StripChartLayout.h"

#include <cmath>

#include "platform/TextRules.h"

StripChartLayout StripChartLayout::forClient(double clientWidth, double clientHeight) {
    StripChartLayout layout;
    layout.OriginY = float(clientHeight - 27);
    layout.PlotWidth = plotWidthFor(clientWidth);
    layout.PlotHeight = float(clientHeight - 100);
    return layout;
}

float StripChartLayout::plotWidthFor(double clientWidth) {
    const double w = TextRules::RoundHalfEven(clientWidth - OriginXPixels);
    if (!(w > 0)) {
        return 0;
    }
    return float(w - std::fmod(w, 30.0));
}

QLineF StripChartLayout::verticalAxis() const {
    return {OriginX - 2, OriginY + 5, OriginX - 2, OriginY - PlotHeight - 5};
}

QLineF StripChartLayout::horizontalAxis() const {
    return {OriginX - 2, OriginY + 6, OriginX + PlotWidth + 2, OriginY + 6};
}

QVector<QLineF> StripChartLayout::ticks(int divisions) const {
    QVector<QLineF> lines;
    for (int i = 0; i <= divisions; ++i) {
        const double y = OriginY - i * double(PlotHeight) / divisions;
        lines.append(QLineF(OriginX - 2, y, OriginX - 7, y));
        if (i % 2 == 0) {
            lines.append(QLineF(OriginX - 2, y, OriginX - 10, y));
        }
    }
    return lines;
}

QVector<StripChartLayout::ScaleLabel> StripChartLayout::scaleLabels(int min, int max, int n) const {
    QVector<ScaleLabel> labels;
    const int span = max - min;
    for (int i = 0; i <= n; ++i) {
        const double value = min + double(span * i) / n;
        labels.append({TextRules::GeneralNumber(value, 7), float(OriginY - i * PlotHeight / n)});
    }
    return labels;
}

double StripChartLayout::scaleLabelLeft(double textWidth, double widthDivisor) const {
    return OriginX - 22 - textWidth / widthDivisor;
}

QRectF StripChartLayout::plotArea() const {
    return QRectF(QPointF(OriginX, OriginY - PlotHeight), QPointF(OriginX + PlotWidth, OriginY));
}

QPointF StripChartLayout::unitCaptionTopLeft() const {
    return {OriginX - 32, OriginY - PlotHeight - 25};
}

QLineF StripChartLayout::gridLine(double fraction) const {
    const double y = OriginY - fraction * PlotHeight;
    return {OriginX, y, OriginX + PlotWidth, y};
}

QLineF StripChartLayout::centreLine() const {
    const double y = OriginY - PlotHeight / 2.0;
    return {OriginX - 2, y, OriginX + PlotWidth + 2, y};
}

QRectF StripChartLayout::sweepStrip(float traceX, float step) const {
    const double left = OriginX + traceX;
    return QRectF(QPointF(left, OriginY - PlotHeight - 5), QPointF(left + step, OriginY + 3));
}

QLineF StripChartLayout::timeLine(float traceX) const {
    const double x = OriginX + traceX;
    return {x, OriginY, x, OriginY - PlotHeight - 10};
}

QLineF StripChartLayout::halfMark(float traceX) const {
    const double x = OriginX + traceX;
    return {x, OriginY - 3.8 * PlotHeight / 8, x, OriginY - 4.2 * PlotHeight / 8};
}

QRectF StripChartLayout::timeLabelBox(float traceX, double textWidth) const {
    const double x = OriginX + traceX;
    const double half = textWidth / 2;
    return QRectF(QPointF(x - half, OriginY + 10), QPointF(x + half, OriginY + 20));
}

float StripChartLayout::valueHeight(QStringView text, int min, int max, float plotHeight,
                                    QStringView underText) {
    // The overload texts are tested before the numbers: "-OL" reads as 0, which would put a
    // negative overload at the top of a scale that lies wholly below 0.
    if (text == u"OL") {
        return plotHeight + 5;
    }
    if (text == underText) {
        return -3;
    }
    const double v = TextRules::LeadingNumber(text);
    if (v > max) {
        return plotHeight + 5;
    }
    if (v < min) {
        return -3;
    }
    if (max == min) {
        return 0;
    }
    return float((v - min) / (max - min) * plotHeight);
}
