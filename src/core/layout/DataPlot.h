#pragma once

#include <QPointF>
#include <QString>
#include <QStringView>
#include <QVector>
#include <optional>

#include "core/state/State.h"

class GridModel;

// The data plot of a five-column list: the value labels, the time labels and the two curves,
// in twips of the plot window's client area (15 to a pixel). The frame is fixed: the left axis
// at x 1000, the right one at 5000, the top line at y 1000, the middle line at 4000 and the
// bottom line at 7000.
namespace DataPlot {

constexpr int TwipsPerPixel = 15;
constexpr int ClientWidth = 6690;
constexpr int ClientHeight = 7905;
constexpr double LeftX = 1000;
constexpr double RightX = 5000;
constexpr double TopY = 1000;
constexpr double MiddleY = 4000;
constexpr double BottomY = 7000;
constexpr double AboveTopY = 900;
constexpr double BelowBottomY = 7100;

// Source grid columns.
constexpr int TimeColumn = 2;
constexpr int OhmColumn = 3;
constexpr int VoltColumn = 4;

struct ValueLabels {
    QString LblValTop, LblValMid, Lbl0;       // resistance, left of the frame
    QString UpTop, UpMid, Up0, MidUp, TopUp;  // voltage, right of the frame
};
ValueLabels valueLabels(const FileTransfer& state);

// Heights of a reading; nothing when the reading cannot be scaled (a scale of zero span, a
// number too large for a single float).
std::optional<double> ohmY(QStringView text, float top, float bottom);
std::optional<double> voltY(QStringView text, float top, float bottom);

// The row whose time stands under the middle of the plot.
double middleRow(double firstRow, double lastRow);

struct Plot {
    bool ok = false;  // false: the plot failed and its window closes
    QString failure;  // why it failed, in words naming the rows or the reading
    ValueLabels labels;
    bool curves = false;  // false: fewer than two points, only the value labels are shown
    QString LblT1, LblT2, LblT3;
    QString LblFun1, LblFun2;  // the headings of the resistance and voltage columns
    QVector<QPointF> ohm;      // one point per row plotted, left to right
    QVector<QPointF> volt;
};
// Reads the rows straight out of the grid. Fails on a row beyond the grid or a reading that
// cannot be scaled.
Plot build(const FileTransfer& state, const GridModel& grid);

}  // namespace DataPlot
