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

}  // namespace PackInput
