#pragma once

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringView>
#include <QVector>

// Geometry of a live strip chart, in pixels of the client area (y grows downwards, values are
// drawn upwards from OriginY). Rectangles are given by their two corners as drawn: both edges
// are painted.
struct StripChartLayout {
    static constexpr float OriginXPixels = 40;

    float OriginX = OriginXPixels;
    float OriginY = 0;
    float PlotHeight = 0;
    float PlotWidth = 0;  // what every relayout writes to GraphPlotWidth

    static StripChartLayout forClient(double clientWidth, double clientHeight);
    // (client width - 40) rounded to a whole number, then down to a multiple of 30; never
    // below 0.
    static float plotWidthFor(double clientWidth);

    QLineF verticalAxis() const;
    QLineF horizontalAxis() const;
    // Short ticks for every division and long ones on top of them at the even divisions, in
    // drawing order.
    QVector<QLineF> ticks(int divisions) const;

    struct ScaleLabel {
        QString text;
        float centreY;  // the label's top is centreY - text height / 2
    };
    // Labels from the bottom (min) to the top (max), n divisions.
    QVector<ScaleLabel> scaleLabels(int min, int max, int n) const;
    double scaleLabelLeft(double textWidth, double widthDivisor) const;

    QRectF plotArea() const;
    QPointF unitCaptionTopLeft() const;

    // A grid line at `fraction` of the plot height, across the plot width.
    QLineF gridLine(double fraction) const;
    // The voltage chart's centre line, 2 pixels longer than the plot width at each end.
    QLineF centreLine() const;

    // The strip a tick erases.
    QRectF sweepStrip(float traceX, float step) const;
    QLineF timeLine(float traceX) const;
    QLineF halfMark(float traceX) const;
    // The white box behind a time label; the label's top left corner is the box's.
    QRectF timeLabelBox(float traceX, double textWidth) const;

    // Height above OriginY of a reading text: "OL" and values above max 5 pixels above the top,
    // `underText` and values below min 3 pixels below the bottom. A scale of zero span puts an
    // in-range value on the bottom edge.
    static float valueHeight(QStringView text, int min, int max, float plotHeight,
                             QStringView underText);
};
