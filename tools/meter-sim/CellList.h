#pragma once

#include <QString>
#include <QVector>
#include <optional>

// The cells of a sorting session: what each one measures and, for a list without barcodes, the
// name written on it. A cell file has one cell a line, "<milliohms> <volts> [label]", with "#"
// comments and blank lines as in the other simulator files.
struct SimCell {
    double milliOhm = 0;
    double volt = 0;  // negative: the cell is held the wrong way round
    QString label;    // may be empty
    int line = 0;     // in the cell file; 0 for a random cell
};

namespace CellList {

// The largest values the meter shows on its highest ranges, with room for the hold's noise.
constexpr double MaxMilliOhm = 39500.0;
constexpr double MaxVolt = 39.9;

// The cells of a file's text in their order, or an error "line N: ..." in `error`.
std::optional<QVector<SimCell>> Parse(const QString& text, QString* error);
// The cells of the file at `path`; errors begin with the path.
std::optional<QVector<SimCell>> Load(const QString& path, QString* error);

}  // namespace CellList
