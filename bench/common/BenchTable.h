#pragma once

#include <QString>
#include <functional>

// What every benchmark program shares: timing by repetition, and the rows of the one table that
// tools/bench prints. A row is a Markdown table line on stdout (it starts with "| "); every other
// line a benchmark prints is detail for the log.
namespace BenchTable {

struct Pair {
    double figureMs = 0;
    double baselineMs = 0;
};

// Runs `figure` and `baseline` in turn `runs` times and keeps the best time of each. The two
// alternate so that a burst of work from other processes falls on both alike; the best run is
// the one least disturbed.
Pair BestOfPairs(int runs, const std::function<void()>& figure,
                 const std::function<void()>& baseline);
double BestMs(int runs, const std::function<void()>& work);
double MedianMs(int runs, const std::function<void()>& work);

// "1.23 s" or "45.6 ms" or "0.012 ms".
QString Duration(double ms);

// A figure against its baseline from the same run; met when figure / baseline <= limit.
void RatioRow(const QString& what, double figureMs, const QString& baselineWhat, double baselineMs,
              double limit);
// A figure with no baseline; met when value < limit. `text` is the value as shown.
void AbsoluteRow(const QString& what, double value, const QString& text, double limit,
                 const QString& target);
// A figure with an absolute target beside a baseline from the same run; met when value < limit.
void AbsoluteRowWithBaseline(const QString& what, double value, const QString& text,
                             const QString& baselineWhat, double baseline,
                             const QString& baselineText, double limit, const QString& target);
// A figure that could not be measured, and why.
void FailedRow(const QString& what, const QString& why);

// Mirrors a row into the detail log as well, flushed at once.
void Detail(const QString& line);

}  // namespace BenchTable
