#pragma once

#include <QString>
#include <vector>

// One parallel group of an answer.
struct PackGroup {
    // Indices into the problem's cells, by slot.
    std::vector<int> cells;
    double capacityMah = 0;
    // Largest over smallest resistance in the group; NaN when a cell has none.
    double irRatio = 0;
    // 1 / Σ(1/r), in milliohms; NaN when a cell has none.
    double parallelIrMohm = 0;
};

// The matcher's answer: the groups in series order and what they add up to.
struct PackResult {
    enum class Status {
        Solved,
        // More cells needed than the problem offers (or than have what a rule needs).
        TooFewCells,
        // A rule that no pack can meet, or that the search could not meet in its time.
        Unmet,
        // A lock that cannot be kept: a group that does not exist, or more than P cells in one.
        BadLock,
    };

    Status status = Status::Solved;
    // Why there is no answer, in words, when status is not Solved.
    QString message;

    std::vector<PackGroup> groups;
    // Indices of the cells left out.
    std::vector<int> unused;

    // The pack: the weakest group's capacity, the spread, and the sum of the groups' parallel
    // resistances (NaN when a cell has no resistance).
    double minGroupMah = 0;
    double maxGroupMah = 0;
    double spreadMah = 0;
    double packIrMohm = 0;
    double largestIrRatio = 0;
    double parallelIrSpreadPercent = 0;

    // A proven bound on the objective: no pack can have a weakest group above it (capacity), or
    // a spread below it (spread). `gapMah` is how far the answer is from it.
    double boundMah = 0;
    double gapMah = 0;
    bool boundReached = false;

    double seconds = 0;
    long long moves = 0;
    long long restarts = 0;
};
