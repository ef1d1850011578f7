#pragma once

#include <functional>

#include "core/cells/PackProblem.h"
#include "core/cells/PackResult.h"

class Clock;

// What the search has so far, for a window's progress line.
struct PackProgress {
    // The objective's value of the best answer so far and the bound it cannot pass.
    double bestMah = 0;
    double boundMah = 0;
    double seconds = 0;
    // True while the best answer still breaks a resistance rule.
    bool unmet = false;
};

// Builds S×P packs: a balanced largest-differencing start (or, under a resistance ratio, groups
// cut from the cells in resistance order), then swaps of one and of two cells between groups and
// with the surplus, kicked out of local optima by seeded random swaps, until the proven bound is
// reached, the search stalls or the time limit ends it.
//
// The same problem and seed give the same answer whenever the search ends by itself (the bound
// reached, or a fixed number of kicks with no gain); only an answer cut off by the time limit
// depends on the machine's speed. The clock is read only to stop.
namespace PackMatcher {

// Called at most about ten times a second and once at the end; returning false stops the search
// with the best answer so far.
using ProgressFn = std::function<bool(const PackProgress&)>;

PackResult Solve(const PackProblem& problem, const Clock& clock, const ProgressFn& progress = {});

// The proven bound alone, for the problem's objective (see PackResult::boundMah).
double Bound(const PackProblem& problem);

// Fills each group's figures and the pack's from `result.groups`; the one place they are
// computed, for the matcher's answers and for the baselines that are measured against it.
void Summarise(const PackProblem& problem, PackResult& result);

}  // namespace PackMatcher
