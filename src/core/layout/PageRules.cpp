#include "core/layout/PageRules.h"

#include <algorithm>
#include <tuple>

namespace PageRules {

namespace {

enum class Kind { Vertical, Horizontal, Other };

// A line as its kind, the coordinate it runs along, and its two ends on its axis, lower first.
struct Run {
    Kind kind;
    int at;
    int from;
    int to;
};

Run RunOf(const QLine& line) {
    if (line.x1() == line.x2()) {
        return {Kind::Vertical, line.x1(), qMin(line.y1(), line.y2()), qMax(line.y1(), line.y2())};
    }
    if (line.y1() == line.y2()) {
        return {Kind::Horizontal, line.y1(), qMin(line.x1(), line.x2()),
                qMax(line.x1(), line.x2())};
    }
    return {Kind::Other, 0, 0, 0};
}

QLine LineOf(const Run& run) {
    return run.kind == Kind::Vertical ? QLine(run.at, run.from, run.at, run.to)
                                      : QLine(run.from, run.at, run.to, run.at);
}

}  // namespace

QVector<QLine> Merged(QVector<QLine> lines) {
    QVector<QLine> merged;
    QVector<Run> runs;
    runs.reserve(lines.size());
    for (const QLine& line : lines) {
        const Run run = RunOf(line);
        if (run.kind == Kind::Other) {
            merged.append(line);
        } else {
            runs.append(run);
        }
    }
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
        return std::tie(a.kind, a.at, a.from) < std::tie(b.kind, b.at, b.from);
    });
    for (qsizetype i = 0; i < runs.size();) {
        Run joined = runs.at(i);
        for (++i; i < runs.size() && runs.at(i).kind == joined.kind && runs.at(i).at == joined.at &&
                  runs.at(i).from <= joined.to;
             ++i) {
            joined.to = qMax(joined.to, runs.at(i).to);
        }
        merged.append(LineOf(joined));
    }
    return merged;
}

}  // namespace PageRules
