#include "core/cells/PackInput.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>

#include "core/cells/Csv.h"
#include "core/cells/Inventory.h"

namespace PackInput {

namespace {

struct Column {
    const char* name;
    bool required;
    int index = -1;
};

}  // namespace

bool ReadCsv(QIODevice& device, std::vector<PackCell>& cells, QString& error) {
    cells.clear();
    Csv::Reader reader(device);
    QStringList fields;
    if (!reader.next(fields)) {
        error = reader.error().isEmpty() ? QStringLiteral(
                                               "the file is empty: a header row with "
                                               "id and capacity_mah is missing")
                                         : reader.error();
        return false;
    }
    Column id{"id", true}, capacity{"capacity_mah", true}, ir{"ir_mohm", false},
        volt{"volt", false};
    Column* columns[] = {&id, &capacity, &ir, &volt};
    for (int i = 0; i < fields.size(); ++i) {
        const QString name = fields.at(i).trimmed().toLower();
        for (Column* column : columns) {
            if (name != QLatin1String(column->name)) {
                continue;
            }
            if (column->index >= 0) {
                error = QStringLiteral(
                            "row 1, column %1: the header names %2 twice (columns %3 "
                            "and %1)")
                            .arg(i + 1)
                            .arg(QLatin1String(column->name))
                            .arg(column->index + 1);
                return false;
            }
            column->index = i;
        }
    }
    for (Column* column : columns) {
        if (column->required && column->index < 0) {
            error = QStringLiteral(
                        "row 1: the header row has no column %1 (it needs id and "
                        "capacity_mah)")
                        .arg(QLatin1String(column->name));
            return false;
        }
    }
    QHash<QString, int> rowOfId;
    while (reader.next(fields)) {
        const int row = reader.row();
        if (fields.size() == 1 && fields.at(0).trimmed().isEmpty()) {
            continue;
        }
        const auto fault = [&](const Column& column, const QString& what) {
            error = QStringLiteral("row %1, column %2 (%3): %4")
                        .arg(row)
                        .arg(column.index + 1)
                        .arg(QLatin1String(column.name), what);
            return false;
        };
        // A value not measured is NaN; anything else must be a number above zero.
        const auto number = [&](const Column& column, double& value, bool optional) {
            const QString text = fields.value(column.index).trimmed();
            if (text.isEmpty() && optional) {
                value = std::nan("");
                return true;
            }
            if (text.isEmpty()) {
                return fault(column, QStringLiteral("the value is missing"));
            }
            if (!Csv::ParseNumber(text, value) || !std::isfinite(value)) {
                return fault(column, QStringLiteral("\"%1\" is not a number").arg(text));
            }
            if (value <= 0) {
                return fault(column, QStringLiteral("%1 is not above 0").arg(text));
            }
            return true;
        };
        PackCell cell;
        cell.id = fields.value(id.index).trimmed();
        if (cell.id.isEmpty()) {
            return fault(id, QStringLiteral("the ID is missing"));
        }
        if (const auto earlier = rowOfId.constFind(cell.id); earlier != rowOfId.constEnd()) {
            return fault(
                id, QStringLiteral("the ID %1 is already in row %2").arg(cell.id).arg(*earlier));
        }
        rowOfId.insert(cell.id, row);
        if (!number(capacity, cell.capacityMah, false) ||
            (ir.index >= 0 && !number(ir, cell.irMohm, true))) {
            return false;
        }
        if (volt.index >= 0) {
            const QString text = fields.value(volt.index).trimmed();
            if (!text.isEmpty() &&
                (!Csv::ParseNumber(text, cell.volt) || !std::isfinite(cell.volt))) {
                return fault(volt, QStringLiteral("\"%1\" is not a number").arg(text));
            }
        }
        cells.push_back(cell);
    }
    if (!reader.error().isEmpty()) {
        error = reader.error();
        return false;
    }
    return true;
}

bool ParseLocks(const QStringList& items, std::vector<Lock>& locks, QString& error) {
    locks.clear();
    QSet<QString> seen;
    for (const QString& item : items) {
        const qsizetype at = item.lastIndexOf(u'=');
        const QString id = item.left(std::max<qsizetype>(at, 0)).trimmed();
        bool whole = false;
        const int group = at > 0 ? item.mid(at + 1).trimmed().toInt(&whole) : 0;
        if (id.isEmpty() || !whole || group < 1 || group > 10000) {
            error = QStringLiteral("\"%1\" is not a cell's ID, \"=\" and a group from 1 (C0042=3)")
                        .arg(item);
            return false;
        }
        if (seen.contains(id)) {
            error = QStringLiteral("%1 is locked twice").arg(id);
            return false;
        }
        seen.insert(id);
        locks.push_back({id, group - 1});
    }
    return true;
}

bool ApplyLocks(const std::vector<Lock>& locks, std::vector<PackCell>& cells, QString& error) {
    QHash<QString, size_t> at;
    for (size_t c = 0; c < cells.size(); ++c) {
        at.insert(cells[c].id, c);
    }
    for (const Lock& lock : locks) {
        const auto found = at.constFind(lock.id);
        if (found == at.cend()) {
            error = QStringLiteral("%1=%2: no cell %1 among the cells offered")
                        .arg(lock.id, QString::number(lock.group + 1));
            return false;
        }
        cells[*found].lockedGroup = lock.group;
    }
    return true;
}

std::vector<PackCell> FromInventory(const QVector<MatchCell>& cells) {
    std::vector<PackCell> out;
    for (const MatchCell& cell : cells) {
        PackCell c;
        c.id = cell.id;
        c.capacityMah = cell.capacityMah;
        c.irMohm = cell.milliohms;
        c.volt = cell.volts;
        c.verdict = cell.verdict;
        out.push_back(c);
    }
    return out;
}

}  // namespace PackInput
