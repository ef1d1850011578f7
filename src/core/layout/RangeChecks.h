#pragma once

#include <QString>

#include "core/state/State.h"

// The checks of the two range dialogs, on the numbers as typed (fractions included).

struct GraphRangeInput {
    double ohmMax = 0;
    double ohmMin = 0;
    double voltMax = 0;
    double voltMin = 0;
    double counts = 0;  // points across the plot width
};

constexpr int MinCounts = 10;
constexpr int MaxCounts = 864000;

// The message that refuses the live graphs' scales, or an empty text when they are accepted.
// The scales must lie within the present range's limits and keep a nonzero span once rounded
// to the whole numbers that are stored.
QString CheckGraphRange(const GraphRangeInput& input, const Meter& meter);

struct PlotRangeInput {
    float ohmBottom = 0;  // the value on the middle line
    float ohmTop = 0;
    float firstRow = 0;
    float lastRow = 0;
    float voltBottom = 0;
    float voltTop = 0;
};

QString PlotRangeRefusal();
// Whether the data plot accepts the scales and the rows; both scales need top above bottom.
bool PlotRangeAccepted(const PlotRangeInput& input, const FileTransfer& state);
// The one rule of those that the scales and rows break first, in words ("rows 10 to 5: the
// first must be below the last"); empty when they are accepted.
QString PlotRangeProblem(const PlotRangeInput& input, const FileTransfer& state);
