#include <QTest>
#include <algorithm>
#include <set>

#include "PackCases.h"
#include "RunTests.h"
#include "core/cells/PackMatcher.h"
#include "platform/Clock.h"

Q_DECLARE_METATYPE(PackProblem::Objective)

namespace {

// A monotonic clock that moves on by a millisecond each time it is read: a search under a time
// limit stops after a fixed number of reads, on any machine.
class TickingClock final : public Clock {
  public:
    QDateTime now() const override { return {}; }
    qint64 monotonicMs() const override { return ++ms_; }

  private:
    mutable qint64 ms_ = 0;
};

// Every cell once, each group exactly P cells, locks kept, the surplus the rest; the figures as
// the one summary computes them.
void CheckValid(const PackProblem& problem, const PackResult& result) {
    QCOMPARE(int(result.groups.size()), problem.series);
    std::set<int> seen;
    for (int g = 0; g < problem.series; ++g) {
        const PackGroup& group = result.groups[size_t(g)];
        QCOMPARE(int(group.cells.size()), problem.parallel);
        for (int c : group.cells) {
            QVERIFY2(seen.insert(c).second, "a cell in two places");
            const PackCell& cell = problem.cells[size_t(c)];
            QVERIFY2(cell.lockedGroup < 0 || cell.lockedGroup == g, qPrintable(cell.id));
            if (problem.usesIr()) {
                QVERIFY(cell.hasIr());
            }
        }
        if (problem.irRatioMax > 0) {
            QVERIFY2(group.irRatio <= problem.irRatioMax + 1e-12,
                     qPrintable(QString::number(group.irRatio)));
        }
    }
    for (int c : result.unused) {
        QVERIFY2(seen.insert(c).second, "an unused cell also in a group");
        QVERIFY(problem.cells[size_t(c)].lockedGroup < 0);
    }
    QCOMPARE(seen.size(), problem.cells.size());
    PackResult again = result;
    PackMatcher::Summarise(problem, again);
    QCOMPARE(again.minGroupMah, result.minGroupMah);
    QCOMPARE(again.spreadMah, result.spreadMah);
}

// The best value of the objective over every way to fill the groups (groups taken in order of
// their first cell, so each packing is seen once), or NaN when none keeps the rules.
struct Exhaustive {
    const PackProblem& problem;
    std::vector<int> assign;
    std::vector<int> count;
    std::vector<double> sum;
    double best = std::nan("");
    int opened = 0;
    int left;

    explicit Exhaustive(const PackProblem& p)
        : problem(p),
          assign(p.cells.size(), -1),
          count(size_t(p.series), 0),
          sum(size_t(p.series), 0),
          left(int(p.cells.size()) - p.series * p.parallel) {}

    bool keepsRules() const {
        for (int g = 0; g < problem.series; ++g) {
            double lo = 1e300, hi = 0;
            for (size_t c = 0; c < assign.size(); ++c) {
                if (assign[c] == g) {
                    lo = std::min(lo, problem.cells[c].irMohm);
                    hi = std::max(hi, problem.cells[c].irMohm);
                }
            }
            if (problem.irRatioMax > 0 && hi / lo > problem.irRatioMax + 1e-12) {
                return false;
            }
        }
        return true;
    }

    void visit(size_t c) {
        if (c == assign.size()) {
            if (!keepsRules()) {
                return;
            }
            const auto [lo, hi] = std::minmax_element(sum.begin(), sum.end());
            const bool capacity = problem.objective == PackProblem::Objective::Capacity;
            const double value = capacity ? *lo : *hi - *lo;
            if (std::isnan(best) || (capacity ? value > best : value < best)) {
                best = value;
            }
            return;
        }
        const PackCell& cell = problem.cells[c];
        if (left > 0 && cell.lockedGroup < 0) {
            --left;
            visit(c + 1);
            ++left;
        }
        for (int g = 0; g < std::min(opened + 1, problem.series); ++g) {
            if (count[size_t(g)] == problem.parallel ||
                (cell.lockedGroup >= 0 && cell.lockedGroup != g)) {
                continue;
            }
            // With locks the groups are not interchangeable: every group may be opened.
            const bool opens = g == opened;
            assign[c] = g;
            ++count[size_t(g)];
            sum[size_t(g)] += cell.capacityMah;
            opened += opens ? 1 : 0;
            visit(c + 1);
            opened -= opens ? 1 : 0;
            sum[size_t(g)] -= cell.capacityMah;
            --count[size_t(g)];
            assign[c] = -1;
        }
    }

    static double Solve(const PackProblem& problem) {
        Exhaustive search(problem);
        const bool locks = std::any_of(problem.cells.begin(), problem.cells.end(),
                                       [](const PackCell& c) { return c.lockedGroup >= 0; });
        if (locks) {
            search.opened = problem.series - 1;
        }
        search.visit(0);
        return search.best;
    }
};

PackProblem Small(int count, quint64 seed, int series, int parallel,
                  PackProblem::Objective objective, double ratio) {
    PackProblem problem = RandomCells(count, seed, 2200, 300, 60, 15);
    problem.series = series;
    problem.parallel = parallel;
    problem.objective = objective;
    problem.irRatioMax = ratio;
    problem.seed = seed;
    return problem;
}

}  // namespace

class MatcherTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void validAnswers_data();
    void validAnswers();
    void optimumOfExhaustiveSearch_data();
    void optimumOfExhaustiveSearch();
    void seedRepeats();
    void duplicateCapacities();
    void refusals_data();
    void refusals();
    void boundOfSingleCells();
    void timeLimitAndStop();
};

void MatcherTest::validAnswers_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("parallel");
    QTest::addColumn<PackProblem::Objective>("objective");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<double>("parallelPercent");
    QTest::addColumn<int>("locks");
    const auto capacity = PackProblem::Objective::Capacity;
    const auto spread = PackProblem::Objective::Spread;
    QTest::newRow("14S10P") << 140 << 14 << 10 << capacity << 0.0 << 0.0 << 0;
    QTest::newRow("14S10P spread") << 140 << 14 << 10 << spread << 0.0 << 0.0 << 0;
    QTest::newRow("surplus") << 200 << 13 << 7 << capacity << 0.0 << 0.0 << 0;
    QTest::newRow("surplus spread") << 200 << 13 << 7 << spread << 0.0 << 0.0 << 0;
    QTest::newRow("ratio 1.2") << 140 << 14 << 10 << capacity << 1.2 << 0.0 << 0;
    QTest::newRow("ratio with surplus") << 180 << 10 << 12 << capacity << 1.1 << 0.0 << 0;
    QTest::newRow("locks") << 60 << 6 << 8 << capacity << 0.0 << 0.0 << 5;
    QTest::newRow("locks and ratio") << 60 << 5 << 8 << capacity << 1.3 << 0.0 << 4;
    QTest::newRow("parallel resistance") << 120 << 10 << 10 << capacity << 0.0 << 2.0 << 0;
    QTest::newRow("one group") << 9 << 1 << 9 << capacity << 0.0 << 0.0 << 0;
    QTest::newRow("one cell a group") << 12 << 8 << 1 << spread << 0.0 << 0.0 << 0;
    QTest::newRow("two groups") << 9 << 2 << 4 << capacity << 0.0 << 0.0 << 1;
}

void MatcherTest::validAnswers() {
    QFETCH(int, count);
    QFETCH(int, series);
    QFETCH(int, parallel);
    QFETCH(PackProblem::Objective, objective);
    QFETCH(double, ratio);
    QFETCH(double, parallelPercent);
    QFETCH(int, locks);
    PackProblem problem = Small(count, 7, series, parallel, objective, ratio);
    problem.parallelIrPercent = parallelPercent;
    problem.timeLimitSeconds = 1;
    // Locked cells spread over the groups, one in every third cell.
    for (int k = 0; k < locks; ++k) {
        problem.cells[size_t(k * 3)].lockedGroup = k % series;
    }
    SystemClock clock;
    const PackResult result = PackMatcher::Solve(problem, clock);
    QCOMPARE(int(result.status), int(PackResult::Status::Solved));
    CheckValid(problem, result);
    if (objective == PackProblem::Objective::Capacity) {
        QVERIFY(result.minGroupMah <= result.boundMah);
    } else {
        QVERIFY(result.spreadMah >= result.boundMah);
    }
    if (parallelPercent > 0) {
        QVERIFY(result.parallelIrSpreadPercent <= parallelPercent);
    }
    QCOMPARE(result.gapMah, objective == PackProblem::Objective::Capacity
                                ? result.boundMah - result.minGroupMah
                                : result.spreadMah - result.boundMah);
}

void MatcherTest::optimumOfExhaustiveSearch_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("parallel");
    QTest::addColumn<PackProblem::Objective>("objective");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<bool>("locked");
    const auto capacity = PackProblem::Objective::Capacity;
    const auto spread = PackProblem::Objective::Spread;
    for (quint64 seed = 1; seed <= 4; ++seed) {
        const QByteArray s = QByteArray::number(seed);
        QTest::newRow("3S2P " + s) << 6 << 3 << 2 << capacity << 0.0 << false;
        QTest::newRow("3S3P " + s) << 9 << 3 << 3 << capacity << 0.0 << false;
        QTest::newRow("4S2P spread " + s) << 8 << 4 << 2 << spread << 0.0 << false;
        QTest::newRow("2S4P spread " + s) << 8 << 2 << 4 << spread << 0.0 << false;
        QTest::newRow("2S3P surplus spread " + s) << 9 << 2 << 3 << spread << 0.0 << false;
        QTest::newRow("3S2P ratio 1.15 " + s) << 9 << 3 << 2 << capacity << 1.15 << false;
        QTest::newRow("2S4P ratio 1.3 " + s) << 10 << 2 << 4 << capacity << 1.3 << false;
        QTest::newRow("3S3P locked " + s) << 9 << 3 << 3 << capacity << 0.0 << true;
        QTest::newRow("3S2P locked spread " + s) << 8 << 3 << 2 << spread << 0.0 << true;
    }
}

void MatcherTest::optimumOfExhaustiveSearch() {
    QFETCH(int, count);
    QFETCH(int, series);
    QFETCH(int, parallel);
    QFETCH(PackProblem::Objective, objective);
    QFETCH(double, ratio);
    QFETCH(bool, locked);
    const QByteArray tag = QTest::currentDataTag();
    PackProblem problem = Small(count, quint64(qHash(tag)), series, parallel, objective, ratio);
    if (locked) {
        problem.cells[0].lockedGroup = 1;
        problem.cells[1].lockedGroup = 1;
        problem.cells[2].lockedGroup = 0;
    }
    const double optimum = Exhaustive::Solve(problem);
    SystemClock clock;
    const PackResult result = PackMatcher::Solve(problem, clock);
    if (std::isnan(optimum)) {
        QCOMPARE(int(result.status), int(PackResult::Status::Unmet));
        return;
    }
    QCOMPARE(int(result.status), int(PackResult::Status::Solved));
    CheckValid(problem, result);
    const bool capacity = objective == PackProblem::Objective::Capacity;
    QCOMPARE(capacity ? result.minGroupMah : result.spreadMah, optimum);
    // The bound holds for the optimum itself.
    QVERIFY(capacity ? optimum <= result.boundMah : optimum >= result.boundMah);
}

void MatcherTest::seedRepeats() {
    // Ends by itself at the bound: the same answer on any machine.
    PackProblem problem = Small(140, 3, 14, 10, PackProblem::Objective::Capacity, 1.2);
    problem.seed = 42;
    // Room for a slow sanitized build to get there; it stops at the bound long before.
    problem.timeLimitSeconds = 120;
    SystemClock clock;
    const PackResult one = PackMatcher::Solve(problem, clock);
    const PackResult two = PackMatcher::Solve(problem, clock);
    QVERIFY(one.boundReached);
    // Cut by the time limit after the same work: the same answer too.
    PackProblem cut = Small(300, 3, 20, 12, PackProblem::Objective::Spread, 1.1);
    cut.timeLimitSeconds = 0.2;
    TickingClock first, second;
    const PackResult three = PackMatcher::Solve(cut, first);
    const PackResult four = PackMatcher::Solve(cut, second);
    QVERIFY(!three.boundReached);
    for (const auto& [a, b] : {std::pair(&one, &two), std::pair(&three, &four)}) {
        QCOMPARE(int(a->status), int(PackResult::Status::Solved));
        for (size_t g = 0; g < a->groups.size(); ++g) {
            QCOMPARE(a->groups[g].cells, b->groups[g].cells);
        }
        QCOMPARE(a->unused, b->unused);
    }
}

void MatcherTest::duplicateCapacities() {
    PackProblem problem;
    for (int i = 0; i < 24; ++i) {
        problem.cells.push_back({QStringLiteral("D%1").arg(i), i < 12 ? 2000.0 : 2500.0,
                                 50.0 + i % 3, std::nan(""), -1, std::nullopt});
    }
    problem.series = 4;
    problem.parallel = 6;
    for (auto objective : {PackProblem::Objective::Capacity, PackProblem::Objective::Spread}) {
        problem.objective = objective;
        SystemClock clock;
        const PackResult result = PackMatcher::Solve(problem, clock);
        CheckValid(problem, result);
        QCOMPARE(result.spreadMah, 0.0);
        QCOMPARE(result.minGroupMah, 3 * 2000.0 + 3 * 2500.0);
        QVERIFY(result.boundReached);
    }
}

void MatcherTest::refusals_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("parallel");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("lockGroup");
    QTest::addColumn<int>("lockCount");
    QTest::addColumn<int>("withoutIr");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const int few = int(PackResult::Status::TooFewCells);
    const int unmet = int(PackResult::Status::Unmet);
    const int lock = int(PackResult::Status::BadLock);
    QTest::newRow("too few") << 139 << 14 << 10 << 0.0 << -1 << 0 << 0 << few
                             << "a 14S10P pack needs 140 cells; 139 given";
    QTest::newRow("no groups") << 10 << 0 << 10 << 0.0 << -1 << 0 << 0 << few
                               << "a pack needs at least one group of at least one cell";
    QTest::newRow("ratio no pack meets")
        << 40 << 4 << 10 << 1.01 << -1 << 0 << 0 << unmet
        << "no 4S10P pack keeps every group's resistance ratio within 1.01: at most 0 groups "
           "of 10 cells can";
    QTest::newRow("resistance missing")
        << 40 << 4 << 10 << 1.5 << -1 << 0 << 3 << few
        << "a 4S10P pack needs 40 cells with a resistance; 37 of the 40 cells have one";
    QTest::newRow("lock beyond the groups") << 40 << 4 << 10 << 0.0 << 4 << 1 << 0 << lock
                                            << "cell C0001 is locked to group 5, but a 4S10P "
                                               "pack has 4 groups";
    QTest::newRow("too many locked")
        << 40 << 4 << 2 << 0.0 << 1 << 3 << 0 << lock << "more than 2 cells are locked to group 2";
}

void MatcherTest::refusals() {
    QFETCH(int, count);
    QFETCH(int, series);
    QFETCH(int, parallel);
    QFETCH(double, ratio);
    QFETCH(int, lockGroup);
    QFETCH(int, lockCount);
    QFETCH(int, withoutIr);
    QFETCH(int, status);
    QFETCH(QString, message);
    PackProblem problem =
        Small(count, 11, series, parallel, PackProblem::Objective::Capacity, ratio);
    for (int k = 0; k < lockCount; ++k) {
        problem.cells[size_t(k)].lockedGroup = lockGroup;
    }
    for (int k = 0; k < withoutIr; ++k) {
        problem.cells[size_t(count - 1 - k)].irMohm = std::nan("");
    }
    SystemClock clock;
    const PackResult result = PackMatcher::Solve(problem, clock);
    QCOMPARE(int(result.status), status);
    QCOMPARE(result.message, message);
}

// One cell a group: the weakest group is at best the S-th largest cell, not the average.
void MatcherTest::boundOfSingleCells() {
    PackProblem problem;
    for (double c : {3000.0, 2000.0, 1000.0, 900.0}) {
        problem.cells.push_back({QString::number(c), c, 50, 3.6, -1, std::nullopt});
    }
    problem.series = 3;
    problem.parallel = 1;
    QCOMPARE(PackMatcher::Bound(problem), 1000.0);
    SystemClock clock;
    const PackResult result = PackMatcher::Solve(problem, clock);
    QCOMPARE(result.minGroupMah, 1000.0);
    QVERIFY(result.boundReached);
    QCOMPARE(result.unused, std::vector<int>{3});
}

// A time limit cuts the search with a valid answer; a progress callback that says stop does too.
void MatcherTest::timeLimitAndStop() {
    PackProblem problem = Small(400, 5, 10, 40, PackProblem::Objective::Capacity, 1.15);
    problem.timeLimitSeconds = 0.05;
    TickingClock ticking;
    int calls = 0;
    PackProgress last;
    const PackResult cut = PackMatcher::Solve(problem, ticking, [&](const PackProgress& p) {
        ++calls;
        last = p;
        return true;
    });
    CheckValid(problem, cut);
    QVERIFY(calls >= 1);
    QCOMPARE(last.bestMah, cut.minGroupMah);
    QCOMPARE(last.boundMah, cut.boundMah);
    QVERIFY(cut.seconds <= 0.2);

    problem.timeLimitSeconds = 60;
    SystemClock clock;
    const PackResult stopped =
        PackMatcher::Solve(problem, clock, [](const PackProgress&) { return false; });
    CheckValid(problem, stopped);
    QVERIFY(stopped.seconds < 30);
}

int runMatcherTests(int argc, char* argv[]) {
    MatcherTest test;
    return RunTestObject(test, argc, argv);
}

#include "tst_matcher.moc"
