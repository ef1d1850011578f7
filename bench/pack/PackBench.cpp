// The pack matcher on boxes of cells drawn at 2200 ± 300 mAh and 60 ± 15 mOhm, five seeds a
// layout, against two deals from the same cells in the same run:
//   snake:   the cells largest first, dealt 1..S, S..1, 1..S, ...;
//   greedy:  the cells largest first, each into the group with room whose sum is smallest.
// Each row gives the medians over the seeds: the spread (largest group minus smallest), the gap
// to the proven bound, the time, and the largest resistance ratio inside a group.
// `--quick` runs two seeds.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <numeric>

#include "BenchTable.h"
#include "PackCases.h"
#include "core/cells/PackMatcher.h"
#include "platform/Clock.h"

namespace {

using BenchTable::Detail;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<int> LargestFirst(const PackProblem& problem) {
    std::vector<int> order(problem.cells.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return problem.cells[size_t(a)].capacityMah > problem.cells[size_t(b)].capacityMah;
    });
    order.resize(size_t(problem.cellsNeeded()));
    return order;
}

PackResult Snake(const PackProblem& problem) {
    PackResult result;
    result.groups.resize(size_t(problem.series));
    const std::vector<int> order = LargestFirst(problem);
    for (size_t k = 0; k < order.size(); ++k) {
        const size_t round = k / size_t(problem.series), at = k % size_t(problem.series);
        const size_t g = round % 2 ? size_t(problem.series) - 1 - at : at;
        result.groups[g].cells.push_back(order[k]);
    }
    PackMatcher::Summarise(problem, result);
    return result;
}

PackResult WeakestFirst(const PackProblem& problem) {
    PackResult result;
    result.groups.resize(size_t(problem.series));
    std::vector<double> sums(size_t(problem.series), 0);
    for (int c : LargestFirst(problem)) {
        size_t pick = 0;
        bool found = false;
        for (size_t g = 0; g < sums.size(); ++g) {
            if (int(result.groups[g].cells.size()) < problem.parallel &&
                (!found || sums[g] < sums[pick])) {
                pick = g;
                found = true;
            }
        }
        result.groups[pick].cells.push_back(c);
        sums[pick] += problem.cells[size_t(c)].capacityMah;
    }
    PackMatcher::Summarise(problem, result);
    return result;
}

QString Mah(double v) {
    return QString::number(v, 'f', v < 10 ? 1 : 0) + QStringLiteral(" mAh");
}

void Layout(int series, int parallel, double ratio, int seeds) {
    std::vector<double> spread, gap, seconds, irRatio, snakeSpread, snakeRatio, greedySpread;
    int unmet = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
        PackProblem problem = RandomCells(series * parallel, quint64(seed * 1000 + series));
        problem.series = series;
        problem.parallel = parallel;
        problem.irRatioMax = ratio;
        problem.seed = quint64(seed);
        SystemClock clock;
        QElapsedTimer timer;
        timer.start();
        const PackResult result = PackMatcher::Solve(problem, clock);
        const double took = double(timer.nsecsElapsed()) / 1e9;
        if (result.status != PackResult::Status::Solved) {
            ++unmet;
            Detail(QStringLiteral("seed %1: %2").arg(seed).arg(result.message));
            continue;
        }
        const PackResult snake = Snake(problem);
        const PackResult greedy = WeakestFirst(problem);
        spread.push_back(result.spreadMah);
        gap.push_back(result.gapMah);
        seconds.push_back(took);
        irRatio.push_back(result.largestIrRatio);
        snakeSpread.push_back(snake.spreadMah);
        snakeRatio.push_back(snake.largestIrRatio);
        greedySpread.push_back(greedy.spreadMah);
        Detail(QStringLiteral("%1S%2P seed %3 ratio %4: weakest %5 bound %6 spread %7 in %8 s, "
                              "%9 moves, %10 kicks; snake spread %11, greedy spread %12")
                   .arg(series)
                   .arg(parallel)
                   .arg(seed)
                   .arg(ratio)
                   .arg(result.minGroupMah)
                   .arg(result.boundMah)
                   .arg(result.spreadMah)
                   .arg(took, 0, 'f', 3)
                   .arg(result.moves)
                   .arg(result.restarts)
                   .arg(snake.spreadMah)
                   .arg(greedy.spreadMah));
    }
    const QString what =
        QStringLiteral("Pack %1S%2P%3, median of %4 seeds")
            .arg(series)
            .arg(parallel)
            .arg(ratio > 0 ? QStringLiteral(", IR ratio ≤ %1").arg(ratio) : QString())
            .arg(seeds);
    if (spread.empty()) {
        BenchTable::FailedRow(what, QStringLiteral("no pack met the rules"));
        return;
    }
    const double gapLimit = ratio > 0 ? 10 : 1;
    // Under a resistance rule the bound (which ignores the rule) may be out of reach, and the
    // search then works to its time limit: the target is the gap alone.
    const double worstGap = *std::max_element(gap.begin(), gap.end());
    const bool met = unmet == 0 && worstGap <= gapLimit &&
                     (ratio > 0 || *std::max_element(seconds.begin(), seconds.end()) < 1);
    Detail(QStringLiteral("| %1 | spread %2, gap to the bound %3 (worst %11), %4, IR ratio %5 | "
                          "snake: spread %6, IR ratio %7; weakest-group greedy: spread %8 | | "
                          "gap ≤ %9 mAh%12 | %10 |")

               .arg(what, Mah(Median(spread)), Mah(Median(gap)),
                    BenchTable::Duration(Median(seconds) * 1000),
                    QString::number(Median(irRatio), 'f', 2), Mah(Median(snakeSpread)),
                    QString::number(Median(snakeRatio), 'f', 2), Mah(Median(greedySpread)))
               .arg(gapLimit)
               .arg(met ? QStringLiteral("yes") : QStringLiteral("**no**"))
               .arg(Mah(worstGap), ratio > 0 ? QString() : QStringLiteral(" in < 1 s")));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int seeds = app.arguments().contains(QStringLiteral("--quick")) ? 2 : 5;
    for (double ratio : {0.0, 1.2}) {
        Layout(14, 10, ratio, seeds);
        Layout(10, 20, ratio, seeds);
        Layout(20, 50, ratio, seeds);
        Layout(10, 160, ratio, seeds);
    }
    return 0;
}
