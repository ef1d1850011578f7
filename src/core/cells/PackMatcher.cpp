#include "core/cells/PackMatcher.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <queue>

#include "platform/Clock.h"

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr qint64 ProgressIntervalMs = 100;
// Kicks in a row that find nothing better before the search ends by itself. At 14S10P a kick
// and its descent cost about a third of a millisecond, so this stops a stalled search well inside
// the default time limit while leaving a large one room to work.
constexpr int StallKicks = 2000;

// splitmix64: the same numbers from one seed on every machine and library.
class Random {
  public:
    explicit Random(quint64 seed) : state_(seed) {}
    quint64 next() {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int((unsigned __int128)next() * quint64(n) >> 64); }

  private:
    quint64 state_;
};

bool AllWhole(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(),
                       [](double v) { return v == std::floor(v) && std::abs(v) < 1e15; });
}

// Cells the problem may use: all of them, or those with a resistance when a resistance rule is
// asked for.
std::vector<int> Eligible(const PackProblem& problem) {
    std::vector<int> out;
    for (int i = 0; i < int(problem.cells.size()); ++i) {
        if (!problem.usesIr() || problem.cells[size_t(i)].hasIr()) {
            out.push_back(i);
        }
    }
    return out;
}

// Lexicographic: the rules' violation first, then the objective, then how far the groups are
// from their target (which lets the search move on a plateau of the objective).
struct Key {
    double violation = 0;
    double primary = 0;
    double secondary = 0;
};

bool Better(const Key& a, const Key& b) {
    if (std::abs(a.violation - b.violation) > 1e-12) {
        return a.violation < b.violation;
    }
    if (std::abs(a.primary - b.primary) > 1e-7) {
        return a.primary < b.primary;
    }
    // Far above the rounding of a sum of squares of pack-sized sums, far below any real change.
    return a.secondary < b.secondary - 1e-4 - 1e-12 * std::abs(b.secondary);
}

// Where every cell is: groups hold P member slots each; `spare` holds the surplus.
struct State {
    std::vector<int> group;  // S for the surplus, -1 for a cell that may not be used
    std::vector<int> slot;   // index in its group's members or in `spare`
    std::vector<int> members;
    std::vector<int> spare;
    std::vector<double> sums;
    std::vector<double> conductance;
    std::vector<double> ratioExcess;
};

class Search {
  public:
    Search(const PackProblem& problem, double bound, const Clock& clock,
           const PackMatcher::ProgressFn& progress)
        : problem_(problem),
          S_(problem.series),
          P_(problem.parallel),
          n_(int(problem.cells.size())),
          bound_(bound),
          clock_(clock),
          progress_(progress),
          random_(problem.seed ^ 0x6B656C766F6D61ull) {
        cap_.resize(size_t(n_));
        ir_.resize(size_t(n_));
        inv_.resize(size_t(n_));
        lock_.resize(size_t(n_));
        for (int i = 0; i < n_; ++i) {
            const PackCell& cell = problem.cells[size_t(i)];
            cap_[size_t(i)] = cell.capacityMah;
            ir_[size_t(i)] = cell.hasIr() ? cell.irMohm : Inf;
            inv_[size_t(i)] = cell.hasIr() ? 1.0 / cell.irMohm : 0;
            lock_[size_t(i)] = cell.lockedGroup;
        }
        ratioMax_ = problem.irRatioMax;
        parallelMax_ = problem.parallelIrPercent > 0 ? 1 + problem.parallelIrPercent / 100 : 0;
        capacity_ = problem.objective == PackProblem::Objective::Capacity;
        // With no resistance rule, the largest cells are always the best choice for the
        // capacity: a larger cell in place of a smaller one never lowers a group.
        usePool_ = !capacity_ || problem.usesIr();
        usesIr_ = problem.usesIr();
    }

    // Places `used` cells into groups, each group's cell indices listed by slot.
    void start(const std::vector<std::vector<int>>& groups, const std::vector<int>& eligible) {
        State& s = cur_;
        s.group.assign(size_t(n_), -1);
        s.slot.assign(size_t(n_), -1);
        s.members.assign(size_t(S_ * P_), -1);
        for (int i : eligible) {
            s.group[size_t(i)] = S_;
        }
        for (int g = 0; g < S_; ++g) {
            for (int k = 0; k < P_; ++k) {
                const int c = groups[size_t(g)][size_t(k)];
                s.group[size_t(c)] = g;
                s.slot[size_t(c)] = k;
                s.members[size_t(g * P_ + k)] = c;
            }
        }
        s.spare.clear();
        for (int i : eligible) {
            if (s.group[size_t(i)] == S_) {
                s.slot[size_t(i)] = int(s.spare.size());
                s.spare.push_back(i);
            }
        }
        recomputeAll();
        placeLocks();
        best_ = cur_;
        bestKey_ = key();
    }

    PackResult run() {
        startMs_ = clock_.monotonicMs();
        lastProgressMs_ = startMs_;
        descend();
        keepIfBetter();
        int stall = 0;
        while (!done() && stall < StallKicks) {
            kick();
            descend();
            if (keepIfBetter()) {
                stall = 0;
            } else {
                ++stall;
                if (Better(bestKey_, key())) {
                    cur_ = best_;
                }
            }
            ++restarts_;
        }
        report(true);
        PackResult result;
        for (int g = 0; g < S_; ++g) {
            PackGroup group;
            group.cells.assign(best_.members.begin() + g * P_,
                               best_.members.begin() + (g + 1) * P_);
            result.groups.push_back(group);
        }
        for (int i = 0; i < n_; ++i) {
            if (best_.group[size_t(i)] < 0 || best_.group[size_t(i)] == S_) {
                result.unused.push_back(i);
            }
        }
        result.moves = moves_;
        result.restarts = restarts_;
        result.seconds = double(clock_.monotonicMs() - startMs_) / 1000;
        return result;
    }

  private:
    // The objective of the current state, as a number to make small.
    double primaryOf(double lo, double hi) const { return capacity_ ? -lo : hi - lo; }
    double secondaryOf(double sumSquares, double total) const {
        return capacity_ ? sumSquares - 2 * bound_ * total + S_ * bound_ * bound_
                         : sumSquares - total * total / S_;
    }
    double parallelExcess(double lo, double hi) const {
        if (parallelMax_ <= 0 || lo <= 0) {
            return parallelMax_ > 0 && hi > 0 ? Inf : 0;
        }
        return std::max(0.0, hi / lo - parallelMax_);
    }

    double groupRatioExcess(int g) const {
        if (ratioMax_ <= 0) {
            return 0;
        }
        double lo = Inf, hi = 0;
        for (int k = 0; k < P_; ++k) {
            const double r = ir_[size_t(cur_.members[size_t(g * P_ + k)])];
            lo = std::min(lo, r);
            hi = std::max(hi, r);
        }
        return std::max(0.0, hi / lo - ratioMax_);
    }

    void recomputeAll() {
        State& s = cur_;
        s.sums.assign(size_t(S_), 0);
        s.conductance.assign(size_t(S_), 0);
        s.ratioExcess.assign(size_t(S_), 0);
        for (int g = 0; g < S_; ++g) {
            for (int k = 0; k < P_; ++k) {
                const int c = s.members[size_t(g * P_ + k)];
                s.sums[size_t(g)] += cap_[size_t(c)];
                s.conductance[size_t(g)] += inv_[size_t(c)];
            }
            s.ratioExcess[size_t(g)] = groupRatioExcess(g);
        }
    }

    Key key() const {
        const State& s = cur_;
        double lo = Inf, hi = -Inf, squares = 0, total = 0, clo = Inf, chi = 0, excess = 0;
        for (int g = 0; g < S_; ++g) {
            const double v = s.sums[size_t(g)];
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            squares += v * v;
            total += v;
            clo = std::min(clo, s.conductance[size_t(g)]);
            chi = std::max(chi, s.conductance[size_t(g)]);
            excess += s.ratioExcess[size_t(g)];
        }
        return {excess + parallelExcess(clo, chi), primaryOf(lo, hi), secondaryOf(squares, total)};
    }

    bool reached() const {
        return bestKey_.violation <= 1e-12 &&
               (capacity_ ? -bestKey_.primary >= bound_ - 1e-9 : bestKey_.primary <= bound_ + 1e-9);
    }

    void report(bool last) {
        const qint64 now = clock_.monotonicMs();
        if (!progress_ || (!last && now - lastProgressMs_ < ProgressIntervalMs)) {
            return;
        }
        lastProgressMs_ = now;
        PackProgress p;
        p.bestMah = capacity_ ? -bestKey_.primary : bestKey_.primary;
        p.boundMah = bound_;
        p.seconds = double(now - startMs_) / 1000;
        p.unmet = bestKey_.violation > 1e-12;
        if (!progress_(p)) {
            stopped_ = true;
        }
    }

    bool done() {
        if (stopped_ || reached()) {
            return true;
        }
        if (clock_.monotonicMs() - startMs_ >= qint64(problem_.timeLimitSeconds * 1000)) {
            stopped_ = true;
            return true;
        }
        report(false);
        return stopped_;
    }

    bool keepIfBetter() {
        const Key k = key();
        if (Better(k, bestKey_)) {
            best_ = cur_;
            bestKey_ = k;
            return true;
        }
        return false;
    }

    // The groups' sums and conductances with two groups taken out: the smallest and largest of
    // the others, found from the three smallest and three largest.
    struct Others {
        double sumLo = Inf, sumHi = -Inf, condLo = Inf, condHi = 0, excess = 0, squares = 0,
               total = 0;
    };
    Others others(int a, int b) const {
        const State& s = cur_;
        Others o;
        for (int g = 0; g < S_; ++g) {
            const double v = s.sums[size_t(g)];
            o.squares += v * v;
            o.total += v;
            o.excess += s.ratioExcess[size_t(g)];
            if (g == a || g == b) {
                continue;
            }
            o.sumLo = std::min(o.sumLo, v);
            o.sumHi = std::max(o.sumHi, v);
            o.condLo = std::min(o.condLo, s.conductance[size_t(g)]);
            o.condHi = std::max(o.condHi, s.conductance[size_t(g)]);
        }
        for (int g : {a, b}) {
            if (g < S_) {
                const double v = s.sums[size_t(g)];
                o.squares -= v * v;
                o.total -= v;
                o.excess -= s.ratioExcess[size_t(g)];
            }
        }
        return o;
    }

    // The smallest and largest resistance of a group without one or two of its members.
    struct Ends {
        double lo = Inf, hi = 0;
        double excessWith(double r, double ratio) const {
            return ratio <= 0 ? 0 : std::max(0.0, std::max(hi, r) / std::min(lo, r) - ratio);
        }
        double excessWith(double r1, double r2, double ratio) const {
            const Ends one{std::min(lo, r1), std::max(hi, r1)};
            return one.excessWith(r2, ratio);
        }
    };
    // A group's three smallest and three largest resistances: enough to know its extremes
    // without any one or two of its members.
    struct Extremes {
        double lo[3] = {Inf, Inf, Inf}, hi[3] = {0, 0, 0};
        int loCell[3] = {-1, -1, -1}, hiCell[3] = {-1, -1, -1};
        void add(double r, int c) {
            for (int k = 0; k < 3; ++k) {
                if (r < lo[k]) {
                    for (int m = 2; m > k; --m) {
                        lo[m] = lo[m - 1];
                        loCell[m] = loCell[m - 1];
                    }
                    lo[k] = r;
                    loCell[k] = c;
                    break;
                }
            }
            for (int k = 0; k < 3; ++k) {
                if (r > hi[k]) {
                    for (int m = 2; m > k; --m) {
                        hi[m] = hi[m - 1];
                        hiCell[m] = hiCell[m - 1];
                    }
                    hi[k] = r;
                    hiCell[k] = c;
                    break;
                }
            }
        }
        Ends without(const int* out, int outCount) const {
            Ends e;
            auto gone = [&](int c) { return c == out[0] || (outCount > 1 && c == out[1]); };
            for (int k = 0; k < 3; ++k) {
                if (loCell[k] >= 0 && !gone(loCell[k])) {
                    e.lo = lo[k];
                    break;
                }
            }
            for (int k = 0; k < 3; ++k) {
                if (hiCell[k] >= 0 && !gone(hiCell[k])) {
                    e.hi = hi[k];
                    break;
                }
            }
            return e;
        }
    };
    Extremes extremesOf(int g) const {
        Extremes e;
        if (ratioMax_ > 0 && g < S_) {
            for (int k = 0; k < P_; ++k) {
                const int c = cur_.members[size_t(g * P_ + k)];
                e.add(ir_[size_t(c)], c);
            }
        }
        return e;
    }

    Key keyAfter(const Others& o, int a, double sumA, double condA, double excessA, int b,
                 double sumB, double condB, double excessB) const {
        double lo = std::min(o.sumLo, sumA), hi = std::max(o.sumHi, sumA);
        double clo = std::min(o.condLo, condA), chi = std::max(o.condHi, condA);
        double squares = o.squares + sumA * sumA, total = o.total + sumA;
        double excess = o.excess + excessA;
        (void)a;
        if (b < S_) {
            lo = std::min(lo, sumB);
            hi = std::max(hi, sumB);
            clo = std::min(clo, condB);
            chi = std::max(chi, condB);
            squares += sumB * sumB;
            total += sumB;
            excess += excessB;
        }
        return {excess + parallelExcess(clo, chi), primaryOf(lo, hi), secondaryOf(squares, total)};
    }

    int memberAt(int g, int k) const {
        return g < S_ ? cur_.members[size_t(g * P_ + k)] : cur_.spare[size_t(k)];
    }
    int sizeOf(int g) const { return g < S_ ? P_ : int(cur_.spare.size()); }

    // Moves cells between two places (a group, or the surplus as S), each list the same length.
    void exchange(int a, const int* fromA, int b, const int* fromB, int count) {
        State& s = cur_;
        for (int i = 0; i < count; ++i) {
            const int x = fromA[i], y = fromB[i];
            const int sx = s.slot[size_t(x)], sy = s.slot[size_t(y)];
            (a < S_ ? s.members[size_t(a * P_ + sx)] : s.spare[size_t(sx)]) = y;
            (b < S_ ? s.members[size_t(b * P_ + sy)] : s.spare[size_t(sy)]) = x;
            s.group[size_t(x)] = b;
            s.slot[size_t(x)] = sy;
            s.group[size_t(y)] = a;
            s.slot[size_t(y)] = sx;
            for (int g : {a, b}) {
                if (g < S_) {
                    const double sign = g == a ? 1 : -1;
                    s.sums[size_t(g)] += sign * (cap_[size_t(y)] - cap_[size_t(x)]);
                    s.conductance[size_t(g)] += sign * (inv_[size_t(y)] - inv_[size_t(x)]);
                }
            }
        }
        for (int g : {a, b}) {
            if (g < S_) {
                s.ratioExcess[size_t(g)] = groupRatioExcess(g);
            }
        }
        ++moves_;
    }

    // The best single swap between group a and place b (a group or the surplus); applied when it
    // improves the state.
    bool improvePair(int a, int b, Key& current) {
        const Others o = others(a, b);
        const double sumA = cur_.sums[size_t(a)], condA = cur_.conductance[size_t(a)];
        const double sumB = b < S_ ? cur_.sums[size_t(b)] : 0;
        const double condB = b < S_ ? cur_.conductance[size_t(b)] : 0;
        const int sizeB = sizeOf(b);
        Key bestKey = current;
        int bestX = -1, bestY = -1;
        const Extremes extremesA = extremesOf(a), extremesB = extremesOf(b);
        // Many candidates and every rule kept: only the few swaps nearest to evening the two
        // out are weighed.
        if (usesIr_ && current.violation <= 1e-12 && P_ * sizeB > 400) {
            return improvePairNear(a, b, current, o, extremesA, extremesB);
        }
        for (int i = 0; i < P_; ++i) {
            const int x = memberAt(a, i);
            if (lock_[size_t(x)] >= 0) {
                continue;
            }
            const Ends endsA = extremesA.without(&x, 1);
            for (int j = 0; j < sizeB; ++j) {
                const int y = memberAt(b, j);
                // The same capacity and no resistance rule: nothing would change.
                if (lock_[size_t(y)] >= 0 || (!usesIr_ && cap_[size_t(x)] == cap_[size_t(y)])) {
                    continue;
                }
                const double d = cap_[size_t(y)] - cap_[size_t(x)];
                const double e = inv_[size_t(y)] - inv_[size_t(x)];
                const double exA = endsA.excessWith(ir_[size_t(y)], ratioMax_);
                const double exB =
                    b < S_ ? extremesB.without(&y, 1).excessWith(ir_[size_t(x)], ratioMax_) : 0;
                const Key k = keyAfter(o, a, sumA + d, condA + e, exA, b, sumB - d, condB - e, exB);
                if (Better(k, bestKey)) {
                    bestKey = k;
                    bestX = x;
                    bestY = y;
                }
            }
        }
        if (bestX < 0) {
            return false;
        }
        exchange(a, &bestX, b, &bestY, 1);
        current = bestKey;
        return true;
    }

    // For each member x of group a, the members of b whose capacity is nearest to what would
    // even the two out (for the surplus: bring a to the target), a few that keep the rules on
    // each side.
    bool improvePairNear(int a, int b, Key& current, const Others& o, const Extremes& extremesA,
                         const Extremes& extremesB) {
        const double sumA = cur_.sums[size_t(a)], condA = cur_.conductance[size_t(a)];
        const double sumB = b < S_ ? cur_.sums[size_t(b)] : 0;
        const double condB = b < S_ ? cur_.conductance[size_t(b)] : 0;
        const double mean = (o.total + sumA + sumB) / S_;
        // What group a should gain: half the difference, or up to the target from the surplus.
        const double gain = b < S_ ? (sumB - sumA) / 2 : (capacity_ ? bound_ : mean) - sumA;
        sorted_.clear();
        for (int j = 0; j < sizeOf(b); ++j) {
            const int y = memberAt(b, j);
            if (lock_[size_t(y)] < 0) {
                sorted_.push_back({cap_[size_t(y)], y, y});
            }
        }
        std::sort(sorted_.begin(), sorted_.end(),
                  [](const Pair& l, const Pair& r) { return l.sum < r.sum; });
        constexpr int Kept = 3, Looked = 24;
        Key bestKey = current;
        int bestX = -1, bestY = -1;
        for (int i = 0; i < P_; ++i) {
            const int x = memberAt(a, i);
            if (lock_[size_t(x)] >= 0) {
                continue;
            }
            const Ends endsA = extremesA.without(&x, 1);
            const double want = cap_[size_t(x)] + gain;
            const auto at = std::lower_bound(sorted_.begin(), sorted_.end(), want,
                                             [](const Pair& l, double v) { return l.sum < v; });
            const long first = long(at - sorted_.begin());
            for (long step : {-1L, 1L}) {
                int kept = 0;
                for (long j = step < 0 ? first - 1 : first, looked = 0;
                     j >= 0 && j < long(sorted_.size()) && kept < Kept && looked < Looked;
                     j += step, ++looked) {
                    const int y = sorted_[size_t(j)].x;
                    const double exA = endsA.excessWith(ir_[size_t(y)], ratioMax_);
                    const double exB =
                        b < S_ ? extremesB.without(&y, 1).excessWith(ir_[size_t(x)], ratioMax_) : 0;
                    if (exA > 0 || exB > 0) {
                        continue;
                    }
                    ++kept;
                    const double d = cap_[size_t(y)] - cap_[size_t(x)];
                    const double e = inv_[size_t(y)] - inv_[size_t(x)];
                    const Key k =
                        keyAfter(o, a, sumA + d, condA + e, exA, b, sumB - d, condB - e, exB);
                    if (Better(k, bestKey)) {
                        bestKey = k;
                        bestX = x;
                        bestY = y;
                    }
                }
            }
        }
        if (bestX < 0) {
            return false;
        }
        exchange(a, &bestX, b, &bestY, 1);
        current = bestKey;
        return true;
    }

    // Two cells of group a for two of group b, the pairs whose sums differ by about what would
    // even the two groups out.
    bool improveTwoForTwo(int a, int b, Key& current) {
        pairsA_.clear();
        pairsB_.clear();
        for (int g : {a, b}) {
            auto& pairs = g == a ? pairsA_ : pairsB_;
            for (int i = 0; i < P_; ++i) {
                const int x = memberAt(g, i);
                if (lock_[size_t(x)] >= 0) {
                    continue;
                }
                for (int j = i + 1; j < P_; ++j) {
                    const int y = memberAt(g, j);
                    if (lock_[size_t(y)] < 0) {
                        pairs.push_back({cap_[size_t(x)] + cap_[size_t(y)], x, y});
                    }
                }
            }
        }
        if (pairsA_.empty() || pairsB_.empty()) {
            return false;
        }
        std::sort(pairsB_.begin(), pairsB_.end(),
                  [](const Pair& l, const Pair& r) { return l.sum < r.sum; });
        const Others o = others(a, b);
        const Extremes extremesA = extremesOf(a), extremesB = extremesOf(b);
        const double sumA = cur_.sums[size_t(a)], sumB = cur_.sums[size_t(b)];
        const double condA = cur_.conductance[size_t(a)], condB = cur_.conductance[size_t(b)];
        // Group a gives a pair worth pa and takes one worth pb: even when pa - pb = (sumA-sumB)/2.
        const double half = (sumA - sumB) / 2;
        Key bestKey = current;
        const Pair* bestPa = nullptr;
        const Pair* bestPb = nullptr;
        for (const Pair& pa : pairsA_) {
            const double want = pa.sum - half;
            auto it = std::lower_bound(pairsB_.begin(), pairsB_.end(), want,
                                       [](const Pair& l, double v) { return l.sum < v; });
            for (auto c = it - (it == pairsB_.begin() ? 0 : 1);
                 c != pairsB_.end() && c <= it + 1 && c != pairsB_.end(); ++c) {
                const int outA[2] = {pa.x, pa.y};
                const int outB[2] = {c->x, c->y};
                const double d = c->sum - pa.sum;
                const double e = inv_[size_t(c->x)] + inv_[size_t(c->y)] - inv_[size_t(pa.x)] -
                                 inv_[size_t(pa.y)];
                const double exA = extremesA.without(outA, 2).excessWith(
                    ir_[size_t(c->x)], ir_[size_t(c->y)], ratioMax_);
                const double exB = extremesB.without(outB, 2).excessWith(
                    ir_[size_t(pa.x)], ir_[size_t(pa.y)], ratioMax_);
                const Key k = keyAfter(o, a, sumA + d, condA + e, exA, b, sumB - d, condB - e, exB);
                if (Better(k, bestKey)) {
                    bestKey = k;
                    bestPa = &pa;
                    bestPb = &*c;
                }
            }
        }
        if (!bestPa) {
            return false;
        }
        const int outA[2] = {bestPa->x, bestPa->y};
        const int outB[2] = {bestPb->x, bestPb->y};
        exchange(a, outA, b, outB, 2);
        current = bestKey;
        return true;
    }

    // The groups that decide the objective: the weakest, and for the spread the strongest too.
    std::vector<int> critical() const {
        const auto& sums = cur_.sums;
        const int lo = int(std::min_element(sums.begin(), sums.end()) - sums.begin());
        const int hi = int(std::max_element(sums.begin(), sums.end()) - sums.begin());
        if (capacity_ || lo == hi) {
            return {lo};
        }
        return {lo, hi};
    }

    // Single swaps over every pair of places until none improves, then pairs of cells between
    // the deciding groups and the rest; again until neither helps.
    void descend() {
        Key current = key();
        for (bool improved = true; improved;) {
            improved = false;
            for (int a = 0; a < S_ && !done(); ++a) {
                for (int b = a + 1; b < S_; ++b) {
                    improved |= improvePair(a, b, current);
                }
                if (usePool_ && !cur_.spare.empty()) {
                    improved |= improvePair(a, S_, current);
                }
            }
            if (improved || done() || P_ < 2) {
                continue;
            }
            for (int a : critical()) {
                for (int b = 0; b < S_; ++b) {
                    if (b != a) {
                        improved |= improveTwoForTwo(a, b, current);
                    }
                }
            }
        }
    }

    // A few random swaps, most of them keeping every rule the current state keeps; a deciding
    // group takes part in half of them.
    void kick() {
        const int swaps = 1 + random_.below(3);
        // Every other kick may break a rule for the descent to mend: some better packs are only
        // reached through a pack that breaks one.
        const bool loose = usesIr_ && random_.below(2) == 1;
        const std::vector<int> focus = critical();
        for (int done = 0, tries = 0; done < swaps && tries < 50; ++tries) {
            int a = random_.below(2) ? focus[size_t(random_.below(int(focus.size())))]
                                     : random_.below(S_);
            int b = random_.below(S_ + (usePool_ && !cur_.spare.empty() ? 1 : 0));
            if (a == b || S_ < 2) {
                if (!(usePool_ && !cur_.spare.empty())) {
                    continue;
                }
                b = S_;
            }
            const int x = memberAt(a, random_.below(P_));
            const int y = memberAt(b, random_.below(sizeOf(b)));
            if (lock_[size_t(x)] >= 0 || lock_[size_t(y)] >= 0) {
                continue;
            }
            const double before = key().violation;
            exchange(a, &x, b, &y, 1);
            if (!loose && key().violation > before + 1e-12) {
                exchange(a, &y, b, &x, 1);
                continue;
            }
            ++done;
        }
    }

    // Brings each locked cell into its group, swapping it for the free member closest to it in
    // resistance and capacity.
    void placeLocks() {
        for (int c = 0; c < n_; ++c) {
            const int g = lock_[size_t(c)];
            const int from = cur_.group[size_t(c)];
            if (g < 0 || from == g) {
                continue;
            }
            int pick = -1;
            double best = Inf;
            for (int k = 0; k < P_; ++k) {
                const int y = cur_.members[size_t(g * P_ + k)];
                // A cell locked elsewhere may make room: it goes to its own group in its turn.
                if (lock_[size_t(y)] == g) {
                    continue;
                }
                const double ir = std::isfinite(ir_[size_t(c)]) && std::isfinite(ir_[size_t(y)])
                                      ? std::abs(ir_[size_t(c)] - ir_[size_t(y)])
                                      : 0;
                const double distance = (lock_[size_t(y)] >= 0 ? 1e12 : 0) + ir * 1e6 +
                                        std::abs(cap_[size_t(c)] - cap_[size_t(y)]);
                if (distance < best) {
                    best = distance;
                    pick = y;
                }
            }
            exchange(from, &c, g, &pick, 1);
        }
    }

    struct Pair {
        double sum;
        int x, y;
    };

    const PackProblem& problem_;
    const int S_, P_, n_;
    const double bound_;
    const Clock& clock_;
    const PackMatcher::ProgressFn& progress_;
    Random random_;
    std::vector<double> cap_, ir_, inv_;
    std::vector<int> lock_;
    double ratioMax_ = 0, parallelMax_ = 0;
    bool capacity_ = true, usePool_ = false, usesIr_ = false;
    std::vector<Pair> sorted_;
    State cur_, best_;
    Key bestKey_;
    std::vector<Pair> pairsA_, pairsB_;
    qint64 startMs_ = 0, lastProgressMs_ = 0;
    bool stopped_ = false;
    long long moves_ = 0, restarts_ = 0;
};

// Balanced largest differencing: the cells, largest first, dealt into layers of S; each layer
// is a partial pack of S one-cell groups. The two partial packs whose largest minus smallest
// differ most are joined, the largest group of one with the smallest of the other, until one
// pack is left. Every group gets one cell of each layer, so exactly P.
std::vector<std::vector<int>> BalancedDifferencing(std::vector<int> cells,
                                                   const std::vector<double>& capacity, int S) {
    std::stable_sort(cells.begin(), cells.end(),
                     [&](int a, int b) { return capacity[size_t(a)] > capacity[size_t(b)]; });
    struct Partial {
        std::vector<double> sums;
        std::vector<std::vector<int>> groups;
        double difference() const {
            const auto [lo, hi] = std::minmax_element(sums.begin(), sums.end());
            return *hi - *lo;
        }
    };
    std::vector<Partial> partials;
    for (size_t at = 0; at < cells.size(); at += size_t(S)) {
        Partial p;
        for (int g = 0; g < S; ++g) {
            const int c = cells[at + size_t(g)];
            p.sums.push_back(capacity[size_t(c)]);
            p.groups.push_back({c});
        }
        partials.push_back(std::move(p));
    }
    // A heap by difference; ties go to the earlier layer, so the order is fixed.
    std::vector<std::pair<double, int>> order;
    auto less = [](const std::pair<double, int>& l, const std::pair<double, int>& r) {
        return l.first != r.first ? l.first < r.first : l.second > r.second;
    };
    std::priority_queue<std::pair<double, int>, std::vector<std::pair<double, int>>, decltype(less)>
        heap(less);
    for (int i = 0; i < int(partials.size()); ++i) {
        heap.push({partials[size_t(i)].difference(), i});
    }
    while (heap.size() > 1) {
        Partial& one = partials[size_t(heap.top().second)];
        heap.pop();
        const int otherIndex = heap.top().second;
        Partial& other = partials[size_t(otherIndex)];
        heap.pop();
        std::vector<int> byOne(static_cast<size_t>(S)), byOther(static_cast<size_t>(S));
        std::iota(byOne.begin(), byOne.end(), 0);
        std::iota(byOther.begin(), byOther.end(), 0);
        std::stable_sort(byOne.begin(), byOne.end(),
                         [&](int a, int b) { return one.sums[size_t(a)] > one.sums[size_t(b)]; });
        std::stable_sort(byOther.begin(), byOther.end(), [&](int a, int b) {
            return other.sums[size_t(a)] < other.sums[size_t(b)];
        });
        Partial joined;
        for (int k = 0; k < S; ++k) {
            auto& a = one.groups[size_t(byOne[size_t(k)])];
            auto& b = other.groups[size_t(byOther[size_t(k)])];
            a.insert(a.end(), b.begin(), b.end());
            joined.sums.push_back(one.sums[size_t(byOne[size_t(k)])] +
                                  other.sums[size_t(byOther[size_t(k)])]);
            joined.groups.push_back(std::move(a));
        }
        other = std::move(joined);
        heap.push({other.difference(), otherIndex});
    }
    return partials[size_t(heap.top().second)].groups;
}

// Groups cut from the cells in resistance order: the first P cells whose largest resistance
// is within the ratio of the smallest make a group, else the smallest is passed over. Any
// packing whose groups keep the ratio can be rearranged into groups that follow one another in
// resistance order without breaking it, so when this finds fewer than S groups, no pack exists.
std::vector<std::vector<int>> ResistanceRuns(std::vector<int> cells, const std::vector<double>& ir,
                                             int S, int P, double ratio) {
    std::stable_sort(cells.begin(), cells.end(),
                     [&](int a, int b) { return ir[size_t(a)] < ir[size_t(b)]; });
    std::vector<std::vector<int>> groups;
    for (size_t i = 0; i + size_t(P) <= cells.size() && int(groups.size()) < S;) {
        if (ir[size_t(cells[i + size_t(P) - 1])] <= ratio * ir[size_t(cells[i])] * (1 + 1e-12)) {
            groups.emplace_back(cells.begin() + long(i), cells.begin() + long(i) + P);
            i += size_t(P);
        } else {
            ++i;
        }
    }
    return groups;
}

// Locked cells first, then the largest of the rest; each cell, largest first, into the group
// with room whose sum is smallest.
std::vector<std::vector<int>> LockedGreedy(const PackProblem& problem,
                                           const std::vector<int>& used) {
    const int S = problem.series;
    std::vector<std::vector<int>> groups(static_cast<size_t>(S));
    std::vector<double> sums(size_t(S), 0);
    std::vector<int> free;
    for (int c : used) {
        const int g = problem.cells[size_t(c)].lockedGroup;
        if (g >= 0) {
            groups[size_t(g)].push_back(c);
            sums[size_t(g)] += problem.cells[size_t(c)].capacityMah;
        } else {
            free.push_back(c);
        }
    }
    std::stable_sort(free.begin(), free.end(), [&](int a, int b) {
        return problem.cells[size_t(a)].capacityMah > problem.cells[size_t(b)].capacityMah;
    });
    for (int c : free) {
        int pick = -1;
        for (int g = 0; g < S; ++g) {
            if (int(groups[size_t(g)].size()) < problem.parallel &&
                (pick < 0 || sums[size_t(g)] < sums[size_t(pick)])) {
                pick = g;
            }
        }
        groups[size_t(pick)].push_back(c);
        sums[size_t(pick)] += problem.cells[size_t(c)].capacityMah;
    }
    return groups;
}

// The cells a capacity answer would use: every locked cell, then the largest of the rest.
std::vector<int> LargestWithLocks(const PackProblem& problem, const std::vector<int>& eligible) {
    std::vector<int> locked, free;
    for (int c : eligible) {
        (problem.cells[size_t(c)].lockedGroup >= 0 ? locked : free).push_back(c);
    }
    std::stable_sort(free.begin(), free.end(), [&](int a, int b) {
        return problem.cells[size_t(a)].capacityMah > problem.cells[size_t(b)].capacityMah;
    });
    const size_t room = size_t(std::max(0, problem.cellsNeeded() - int(locked.size())));
    free.resize(std::min(free.size(), room));
    locked.insert(locked.end(), free.begin(), free.end());
    return locked;
}

QString Layout(const PackProblem& problem) {
    return QStringLiteral("%1S%2P").arg(problem.series).arg(problem.parallel);
}

QString Number(double value) {
    return QString::number(value, 'g', 6);
}

// Why the problem has no answer, or an empty text.
QString Refusal(const PackProblem& problem, const std::vector<int>& eligible,
                PackResult::Status& status) {
    const int S = problem.series, P = problem.parallel;
    if (S < 1 || P < 1) {
        status = PackResult::Status::TooFewCells;
        return QStringLiteral("a pack needs at least one group of at least one cell");
    }
    std::vector<int> perGroup(size_t(S), 0);
    for (const PackCell& cell : problem.cells) {
        if (cell.lockedGroup >= S) {
            status = PackResult::Status::BadLock;
            return QStringLiteral("cell %1 is locked to group %2, but a %3 pack has %4 groups")
                .arg(cell.id)
                .arg(cell.lockedGroup + 1)
                .arg(Layout(problem))
                .arg(S);
        }
        if (cell.lockedGroup >= 0 && problem.usesIr() && !cell.hasIr()) {
            status = PackResult::Status::BadLock;
            return QStringLiteral(
                       "cell %1 is locked to group %2 but has no resistance, which "
                       "the resistance rule needs")
                .arg(cell.id)
                .arg(cell.lockedGroup + 1);
        }
        if (cell.lockedGroup >= 0 && ++perGroup[size_t(cell.lockedGroup)] > P) {
            status = PackResult::Status::BadLock;
            return QStringLiteral("more than %1 cells are locked to group %2")
                .arg(P)
                .arg(cell.lockedGroup + 1);
        }
    }
    if (int(eligible.size()) < problem.cellsNeeded()) {
        status = PackResult::Status::TooFewCells;
        const int withoutIr = int(problem.cells.size()) - int(eligible.size());
        return withoutIr > 0 ? QStringLiteral(
                                   "a %1 pack needs %2 cells with a resistance; %3 of the %4 "
                                   "cells have one")
                                   .arg(Layout(problem))
                                   .arg(problem.cellsNeeded())
                                   .arg(eligible.size())
                                   .arg(problem.cells.size())
                             : QStringLiteral("a %1 pack needs %2 cells; %3 given")
                                   .arg(Layout(problem))
                                   .arg(problem.cellsNeeded())
                                   .arg(problem.cells.size());
    }
    return {};
}

}  // namespace

namespace PackMatcher {

double Bound(const PackProblem& problem) {
    const std::vector<int> eligible = Eligible(problem);
    const int S = problem.series, P = problem.parallel;
    if (S < 1 || P < 1 || int(eligible.size()) < problem.cellsNeeded()) {
        return 0;
    }
    std::vector<double> capacities;
    for (int c : eligible) {
        capacities.push_back(problem.cells[size_t(c)].capacityMah);
    }
    const bool whole = AllWhole(capacities);
    if (problem.objective == PackProblem::Objective::Spread) {
        // Whole capacities that all must be used and do not divide evenly leave at least 1 mAh.
        double total = 0;
        for (double v : capacities) {
            total += v;
        }
        const bool allUsed = int(eligible.size()) == problem.cellsNeeded();
        return whole && allUsed && std::fmod(total, S) != 0 ? 1 : 0;
    }
    // The weakest group holds at most the average of the best cells the pack can hold, and no
    // more than any one group could hold: its locked cells and the best free cells beside them.
    double total = 0;
    for (int c : LargestWithLocks(problem, eligible)) {
        total += problem.cells[size_t(c)].capacityMah;
    }
    double bound = whole ? std::floor(total / S + 1e-9) : total / S;
    std::vector<double> lockedSum(size_t(S), 0), free;
    std::vector<int> lockedCount(size_t(S), 0);
    for (int c : eligible) {
        const PackCell& cell = problem.cells[size_t(c)];
        if (cell.lockedGroup >= 0) {
            lockedSum[size_t(cell.lockedGroup)] += cell.capacityMah;
            ++lockedCount[size_t(cell.lockedGroup)];
        } else {
            free.push_back(cell.capacityMah);
        }
    }
    std::sort(free.begin(), free.end(), std::greater<>());
    std::vector<double> prefix(free.size() + 1, 0);
    for (size_t i = 0; i < free.size(); ++i) {
        prefix[i + 1] = prefix[i] + free[i];
    }
    for (int g = 0; g < S; ++g) {
        const size_t room = std::min(free.size(), size_t(P - lockedCount[size_t(g)]));
        // Groups with no lock are all alike; with a single cell each, the S-th best is the most
        // the weakest can hold.
        double most = lockedSum[size_t(g)] + prefix[room];
        if (P == 1 && lockedCount[size_t(g)] == 0) {
            int unlocked = 0;
            for (int h = 0; h < S; ++h) {
                unlocked += lockedCount[size_t(h)] == 0 ? 1 : 0;
            }
            most = free.size() >= size_t(unlocked) ? free[size_t(unlocked) - 1] : most;
        }
        bound = std::min(bound, most);
    }
    return bound;
}

void Summarise(const PackProblem& problem, PackResult& result) {
    double lo = Inf, hi = -Inf, packIr = 0, largestRatio = 0, rlo = Inf, rhi = 0;
    for (PackGroup& group : result.groups) {
        double sum = 0, conductance = 0, irLo = Inf, irHi = 0;
        bool allIr = true;
        for (int c : group.cells) {
            const PackCell& cell = problem.cells[size_t(c)];
            sum += cell.capacityMah;
            if (cell.hasIr()) {
                conductance += 1 / cell.irMohm;
                irLo = std::min(irLo, cell.irMohm);
                irHi = std::max(irHi, cell.irMohm);
            } else {
                allIr = false;
            }
        }
        group.capacityMah = sum;
        group.irRatio = allIr && !group.cells.empty() ? irHi / irLo : std::nan("");
        group.parallelIrMohm = allIr && conductance > 0 ? 1 / conductance : std::nan("");
        lo = std::min(lo, sum);
        hi = std::max(hi, sum);
        packIr += group.parallelIrMohm;
        largestRatio = std::max(largestRatio, group.irRatio);
        rlo = std::min(rlo, group.parallelIrMohm);
        rhi = std::max(rhi, group.parallelIrMohm);
        if (std::isnan(group.irRatio)) {
            largestRatio = std::nan("");
        }
    }
    if (result.groups.empty()) {
        lo = hi = 0;
    }
    result.minGroupMah = lo;
    result.maxGroupMah = hi;
    result.spreadMah = hi - lo;
    result.packIrMohm = packIr;
    result.largestIrRatio = largestRatio;
    result.parallelIrSpreadPercent =
        std::isfinite(packIr) && rlo > 0 ? (rhi / rlo - 1) * 100 : std::nan("");
    result.boundMah = Bound(problem);
    const bool capacity = problem.objective == PackProblem::Objective::Capacity;
    result.gapMah =
        capacity ? result.boundMah - result.minGroupMah : result.spreadMah - result.boundMah;
    result.boundReached = result.gapMah <= 1e-9;
}

PackResult Solve(const PackProblem& problem, const Clock& clock, const ProgressFn& progress) {
    PackResult result;
    const std::vector<int> eligible = Eligible(problem);
    result.message = Refusal(problem, eligible, result.status);
    if (!result.message.isEmpty()) {
        return result;
    }
    const int S = problem.series, P = problem.parallel;
    std::vector<double> capacity, ir;
    for (const PackCell& cell : problem.cells) {
        capacity.push_back(cell.capacityMah);
        ir.push_back(cell.hasIr() ? cell.irMohm : Inf);
    }
    std::vector<std::vector<int>> groups;
    if (problem.irRatioMax > 0) {
        groups = ResistanceRuns(eligible, ir, S, P, problem.irRatioMax);
        if (int(groups.size()) < S) {
            result.status = PackResult::Status::Unmet;
            result.message =
                QStringLiteral(
                    "no %1 pack keeps every group's resistance ratio within %2: "
                    "at most %3 of %4 cells can")
                    .arg(Layout(problem), Number(problem.irRatioMax),
                         groups.size() == 1 ? QStringLiteral("1 group")
                                            : QStringLiteral("%1 groups").arg(groups.size()))
                    .arg(P);
            return result;
        }
    } else {
        const std::vector<int> used = LargestWithLocks(problem, eligible);
        const bool anyLock = std::any_of(problem.cells.begin(), problem.cells.end(),
                                         [](const PackCell& c) { return c.lockedGroup >= 0; });
        groups = anyLock ? LockedGreedy(problem, used) : BalancedDifferencing(used, capacity, S);
    }
    Search search(problem, Bound(problem), clock, progress);
    search.start(groups, eligible);
    PackResult found = search.run();
    found.status = PackResult::Status::Solved;
    Summarise(problem, found);
    const bool ratioBroken =
        problem.irRatioMax > 0 && !(found.largestIrRatio <= problem.irRatioMax * (1 + 1e-12));
    const bool parallelBroken =
        problem.parallelIrPercent > 0 &&
        !(found.parallelIrSpreadPercent <= problem.parallelIrPercent * (1 + 1e-12));
    if (ratioBroken || parallelBroken) {
        found.status = PackResult::Status::Unmet;
        found.message = ratioBroken
                            ? QStringLiteral(
                                  "no %1 pack found that keeps the locked cells and every "
                                  "group's resistance ratio within %2 (the best has %3)")
                                  .arg(Layout(problem), Number(problem.irRatioMax),
                                       Number(found.largestIrRatio))
                            : QStringLiteral(
                                  "no %1 pack found whose groups' parallel resistances are "
                                  "within %2 %% of each other (the best is %3 %%)")
                                  .arg(Layout(problem), Number(problem.parallelIrPercent),
                                       QString::number(found.parallelIrSpreadPercent, 'f', 1));
    }
    return found;
}

}  // namespace PackMatcher
