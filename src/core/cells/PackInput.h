#pragma once

#include <QString>
#include <QVector>
#include <vector>

#include "core/cells/PackProblem.h"

class QIODevice;
struct MatchCell;

// Cells for the matcher from a CSV file or from the inventory.
namespace PackInput {

// A header row names the columns id and capacity_mah, and may name ir_mohm and volt, in any
// order; other columns are ignored. An empty resistance or voltage is one not measured. A fault
// is one line naming the row and the column: "row 4, column 2 (capacity_mah): "2k" is not a
// number". The same capacity twice is normal; the same ID twice is refused.
bool ReadCsv(QIODevice& device, std::vector<PackCell>& cells, QString& error);

std::vector<PackCell> FromInventory(const QVector<MatchCell>& cells);

// A cell to put into a group before the rest are matched (a cell already welded in, say).
struct Lock {
    QString id;
    int group = 0;  // 0-based
};

// Locks written ID=GROUP, groups counted from 1, one an item. False with one line for an item
// that is not one ("\"C0042\" is not a cell's ID, ...") or a cell locked twice.
bool ParseLocks(const QStringList& items, std::vector<Lock>& locks, QString& error);

// Locks each cell into its group. False naming the first lock whose cell is not among `cells`:
// a mistyped ID must not lock nothing in silence.
bool ApplyLocks(const std::vector<Lock>& locks, std::vector<PackCell>& cells, QString& error);

}  // namespace PackInput
