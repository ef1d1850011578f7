#pragma once

#include <QString>
#include <cmath>
#include <optional>
#include <vector>

#include "core/cells/Verdict.h"

// One cell offered to the matcher. A resistance that was never measured is NaN; such a cell is
// left out whenever a resistance rule is asked for.
struct PackCell {
    QString id;
    double capacityMah = 0;
    double irMohm = std::nan("");
    double volt = std::nan("");
    // The group (0-based) the cell must go into, or -1 when it may go anywhere.
    int lockedGroup = -1;
    // Its latest verdict in the inventory; none for a cell from a CSV file.
    std::optional<Verdict> verdict;

    bool hasIr() const { return std::isfinite(irMohm) && irMohm > 0; }
    // Its verdict in words; empty when not known.
    QString verdictName() const { return verdict ? VerdictName(*verdict) : QString(); }
};

// An S×P pack to build: `series` groups of exactly `parallel` cells each, from `cells`; any
// cells beyond series × parallel are the surplus the matcher may leave out.
struct PackProblem {
    enum class Objective {
        // The pack's capacity is its weakest group's: make that as large as it can be.
        Capacity,
        // The largest group minus the smallest, as small as it can be.
        Spread,
    };

    std::vector<PackCell> cells;
    int series = 0;
    int parallel = 0;
    Objective objective = Objective::Capacity;
    // Largest over smallest resistance inside each group; 0 for no limit.
    double irRatioMax = 0;
    // The groups' parallel resistances, largest over smallest, at most 1 + this percentage / 100;
    // 0 for no limit.
    double parallelIrPercent = 0;
    double timeLimitSeconds = 2;
    quint64 seed = 1;

    int cellsNeeded() const { return series * parallel; }
    bool usesIr() const { return irRatioMax > 0 || parallelIrPercent > 0; }
};
