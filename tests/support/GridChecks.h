#pragma once

#include <QAbstractItemView>
#include <QHeaderView>
#include <QStringList>

#include "platform/widgets/Grid.h"

// The columns of a grid narrower than Qt itself says their header or cells need, as
// "column: width < need"; empty when nothing is clipped. Every row counts while the grid is
// hidden, the rows in view while it is shown.
inline QStringList ClippedColumns(const Grid& grid) {
    QStringList clipped;
    const QAbstractItemView& view = grid;
    for (int col = 0; col < grid.model().Cols(); ++col) {
        const int need =
            qMax(view.sizeHintForColumn(col), grid.horizontalHeader()->sectionSizeHint(col));
        if (grid.colWidth(col) < need) {
            clipped.append(
                QStringLiteral("%1: %2 < %3").arg(col).arg(grid.colWidth(col)).arg(need));
        }
    }
    return clipped;
}
