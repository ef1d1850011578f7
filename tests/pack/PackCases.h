#pragma once

#include <QString>
#include <cstdint>

#include "core/cells/PackProblem.h"

// Cells drawn the way a box of used cells looks: capacities at centre ± spread, whole mAh, and
// resistances at centre ± spread in tenths of a milliohm, from a small fixed generator so that
// every run and machine sees the same cells.
inline PackProblem RandomCells(int count, quint64 seed, double capMid = 2200,
                               double capSpread = 300, double irMid = 60, double irSpread = 15) {
    PackProblem problem;
    quint64 state = seed * 0x9E3779B97F4A7C15ull + 1;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return double(state % 1000001) / 1000000;
    };
    for (int i = 0; i < count; ++i) {
        PackCell cell;
        cell.id = QStringLiteral("C%1").arg(i + 1, 4, 10, QLatin1Char('0'));
        cell.capacityMah = std::round(capMid + (2 * next() - 1) * capSpread);
        cell.irMohm = std::round((irMid + (2 * next() - 1) * irSpread) * 10) / 10;
        problem.cells.push_back(cell);
    }
    return problem;
}
