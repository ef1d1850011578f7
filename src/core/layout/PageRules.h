#pragma once

#include <QLine>
#include <QVector>

// The ruled lines of a printed page, drawn together when the page is done: a list page holds
// some 300 short rules, most of them continuing one another, and each line drawn on its own
// costs the PDF writer a path of its own.
namespace PageRules {

// The same rules in as few lines: lines along one axis-parallel line that overlap or touch
// become one line. Drawn with square caps, as the printed rules are, the joined line covers
// exactly what its parts covered. Other lines stay as they are.
QVector<QLine> Merged(QVector<QLine> lines);

}  // namespace PageRules
