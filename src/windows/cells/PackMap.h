#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QPainter;
class QRectF;

// The assembly map of a pack: S columns (the groups in series order) of P cells (by slot), each
// cell with its ID, capacity and resistance, shaded by its resistance within the pack and named
// low, mid or high in words, so the shade never carries the meaning alone, and its verdict in
// words when the cell came from the inventory. One drawing for the screen, the printer, PDF and
// PNG.
namespace PackMap {

struct Cell {
    QString id;
    double capacityMah = 0;
    double irMohm = 0;  // NaN when not measured
    QString verdict;    // "PASS" or "WARN" from the inventory; empty when not known
};

struct Map {
    QString title;
    QVector<QVector<Cell>> groups;
};

// Reads the pack command's CSV (id, group, slot, capacity_mah, ir_mohm, volt, and for the map a
// verdict column after them); cells with no group are left off the map. False with `error` for a
// file that is not one.
bool FromCsv(const QString& path, Map& map, QString& error);

// Draws the map to fill `area`.
void Render(QPainter& painter, const QRectF& area, const Map& map);

// Writes the map as a PDF page or a PNG picture, by the file's ending.
bool Write(const QString& path, const Map& map, QString& error);

}  // namespace PackMap
