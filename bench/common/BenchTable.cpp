#include "BenchTable.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace BenchTable {

namespace {

double TimeMs(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void Print(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

Pair BestOfPairs(int runs, const std::function<void()>& figure,
                 const std::function<void()>& baseline) {
    Pair best{1e300, 1e300};
    for (int i = 0; i < runs; ++i) {
        best.baselineMs = std::min(best.baselineMs, TimeMs(baseline));
        best.figureMs = std::min(best.figureMs, TimeMs(figure));
    }
    return best;
}

double BestMs(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        best = std::min(best, TimeMs(work));
    }
    return best;
}

double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        times.push_back(TimeMs(work));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QString Duration(double ms) {
    if (ms >= 1000) {
        return QString::number(ms / 1000, 'f', 2) + QStringLiteral(" s");
    }
    if (ms >= 10) {
        return QString::number(ms, 'f', 1) + QStringLiteral(" ms");
    }
    if (ms >= 0.1) {
        return QString::number(ms, 'f', 2) + QStringLiteral(" ms");
    }
    return QString::number(ms, 'f', 3) + QStringLiteral(" ms");
}

void RatioRow(const QString& what, double figureMs, const QString& baselineWhat, double baselineMs,
              double limit) {
    const double ratio = baselineMs > 0 ? figureMs / baselineMs : 0;
    const bool met = baselineMs > 0 && ratio <= limit;
    Print(QStringLiteral("| %1 | %2 | %3: %4 | %5× | ≤ %6× | %7 |")
              .arg(what, Duration(figureMs), baselineWhat, Duration(baselineMs),
                   QString::number(ratio, 'f', 2), QString::number(limit, 'g', 3),
                   met ? QStringLiteral("yes") : QStringLiteral("**no**")));
}

void AbsoluteRow(const QString& what, double value, const QString& text, double limit,
                 const QString& target) {
    Print(QStringLiteral("| %1 | %2 | none | | %3 | %4 |")
              .arg(what, text, target,
                   value < limit ? QStringLiteral("yes") : QStringLiteral("**no**")));
}

void AbsoluteRowWithBaseline(const QString& what, double value, const QString& text,
                             const QString& baselineWhat, double baseline,
                             const QString& baselineText, double limit, const QString& target) {
    const QString ratio =
        baseline > 0 ? QString::number(value / baseline, 'f', 2) + u'×' : QString();
    Print(QStringLiteral("| %1 | %2 | %3: %4 | %5 | %6 | %7 |")
              .arg(what, text, baselineWhat, baselineText, ratio, target,
                   value < limit ? QStringLiteral("yes") : QStringLiteral("**no**")));
}

void FailedRow(const QString& what, const QString& why) {
    Print(QStringLiteral("| %1 | not measured: %2 | | | | **no** |").arg(what, why));
}

void Detail(const QString& line) {
    Print(line);
}

}  // namespace BenchTable
