#include "windows/cells/SessionTable.h"

#include <QBrush>
#include <QFont>
#include <algorithm>
#include <cmath>

#include "core/cells/Csv.h"
#include "platform/GridModel.h"
#include "platform/TextRules.h"
#include "windows/cells/VerdictLook.h"

namespace {

// No cell holds more than this; a larger number is a typing slip (Wh, or a digit too many).
constexpr double MaxCapacityMah = 1e6;

}  // namespace

SessionTable::SessionTable(QObject* parent) : QAbstractTableModel(parent) {}

QString SessionTable::header(int column) {
    static const char* const texts[ColumnCount] = {"ID",      "Time", "Resistance",     "Voltage",
                                                   "Verdict", "Bin",  "Capacity (mAh)", "Note"};
    return QString::fromLatin1(texts[column]);
}

QString SessionTable::verdictText(const Judgement& judgement) {
    const QString name = VerdictName(judgement.verdict);
    if (judgement.reasons.isEmpty()) {
        return name;
    }
    return name + QStringLiteral(": ") + judgement.reasons.join(QStringLiteral("; "));
}

std::optional<std::optional<double>> SessionTable::ParseCapacity(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::optional<double>();
    }
    double value = 0;
    if (!Csv::ParseNumber(trimmed, value) || !std::isfinite(value) || value <= 0 ||
        value > MaxCapacityMah) {
        return std::nullopt;
    }
    return std::optional<double>(value);
}

int SessionTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(shown_.size());
}

int SessionTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString SessionTable::text(const SessionRow& row, int column) const {
    switch (column) {
        case Id:
            return row.remeasure ? row.cellId + QStringLiteral(" (again)") : row.cellId;
        case Time:
            return TextRules::StampTime(TextRules::FormatStamp(row.time));
        case Resistance:
            return row.ohmText;
        case Voltage:
            return row.voltText;
        case VerdictColumn:
            return verdictText(row.judgement);
        case Bin:
            return row.judgement.bin;
        case Capacity:
            return row.capacityMah ? LimitNumber(*row.capacityMah) : QString();
        case Note:
            return row.notes;
        default:
            return QString();
    }
}

QVariant SessionTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_.size()) {
        return {};
    }
    const SessionRow& row = rows_.at(shown_.at(index.row()));
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::AccessibleTextRole:
            return text(row, column);
        case Qt::BackgroundRole:
            if (column == VerdictColumn) {
                return QBrush(VerdictLook::background(row.judgement.verdict));
            }
            return {};
        case Qt::ForegroundRole:
            if (column == VerdictColumn) {
                return QBrush(VerdictLook::text(row.judgement.verdict));
            }
            return {};
        case Qt::FontRole:
            if (column == VerdictColumn) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::ToolTipRole:
            if (column == VerdictColumn) {
                return text(row, column);
            }
            if (column == Capacity) {
                return QStringLiteral("The cell's capacity from a charger, in mAh (F2 to edit)");
            }
            if (column == Note) {
                return QStringLiteral("A note on the cell (F2 to edit)");
            }
            return {};
        case Qt::TextAlignmentRole:
            if (column == Resistance || column == Voltage || column == Capacity) {
                return int(Qt::AlignRight | Qt::AlignVCenter);
            }
            return {};
        default:
            return {};
    }
}

QVariant SessionTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount &&
        (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)) {
        return header(section);
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) {
        return section + 1;
    }
    return {};
}

Qt::ItemFlags SessionTable::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && (index.column() == Capacity || index.column() == Note)) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool SessionTable::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= shown_.size() ||
        !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    const SessionRow& row = rows_.at(shown_.at(index.row()));
    Edit edit;
    edit.cellId = row.cellId;
    edit.capacityMah = row.capacityMah;
    edit.notes = row.notes;
    if (index.column() == Capacity) {
        const auto capacity = ParseCapacity(value.toString());
        if (!capacity) {
            Q_EMIT unreadableCapacity(value.toString());
            return false;
        }
        if (*capacity == row.capacityMah) {
            return true;
        }
        edit.capacityMah = *capacity;
        edit.isCapacity = true;
    } else {
        const QString notes = value.toString().trimmed();
        if (notes == row.notes) {
            return true;
        }
        edit.notes = notes;
    }
    if (onEdit_ && !onEdit_(edit)) {
        return false;
    }
    setCellFields(edit.cellId, edit.capacityMah, edit.notes);
    return true;
}

void SessionTable::append(const SessionRow& row) {
    rows_.append(row);
    if (!row.deleted) {
        const int at = int(shown_.size());
        beginInsertRows({}, at, at);
        shown_.append(int(rows_.size()) - 1);
        endInsertRows();
    }
}

const SessionRow* SessionTable::find(const QString& uuid) const {
    for (const SessionRow& row : rows_) {
        if (row.uuid == uuid) {
            return &row;
        }
    }
    return nullptr;
}

bool SessionTable::setDeleted(const QString& uuid, bool deleted) {
    const auto it = std::find_if(rows_.begin(), rows_.end(),
                                 [&](const SessionRow& row) { return row.uuid == uuid; });
    if (it == rows_.end()) {
        return false;
    }
    if (it->deleted == deleted) {
        return true;
    }
    const int source = int(it - rows_.begin());
    // Where the row stands among the shown ones: the shown rows before it.
    const int at = int(std::lower_bound(shown_.begin(), shown_.end(), source) - shown_.begin());
    if (deleted) {
        beginRemoveRows({}, at, at);
        it->deleted = true;
        shown_.removeAt(at);
        endRemoveRows();
    } else {
        beginInsertRows({}, at, at);
        it->deleted = false;
        shown_.insert(at, source);
        endInsertRows();
    }
    return true;
}

QStringList SessionTable::liveMeasurements(const QString& cellId) const {
    QStringList uuids;
    for (const int i : shown_) {
        if (rows_.at(i).cellId == cellId) {
            uuids.append(rows_.at(i).uuid);
        }
    }
    return uuids;
}

const SessionRow* SessionTable::lastLive() const {
    return shown_.isEmpty() ? nullptr : &rows_.at(shown_.last());
}

void SessionTable::clear() {
    beginResetModel();
    rows_.clear();
    shown_.clear();
    endResetModel();
}

void SessionTable::setCellFields(const QString& cellId, std::optional<double> capacityMah,
                                 const QString& notes) {
    for (SessionRow& row : rows_) {
        if (row.cellId == cellId) {
            row.capacityMah = capacityMah;
            row.notes = notes;
        }
    }
    for (int shown = 0; shown < shown_.size(); ++shown) {
        if (rows_.at(shown_.at(shown)).cellId == cellId) {
            Q_EMIT dataChanged(index(shown, Capacity), index(shown, Note));
        }
    }
}

void SessionTable::fill(GridModel& grid) const {
    // The printed table is the lists' one, five columns across the page: the bin goes with the
    // verdict's word, and capacity and note are in the exported CSV.
    static constexpr int Printed[] = {Id, Time, Resistance, Voltage, VerdictColumn};
    constexpr int PrintedCount = int(std::size(Printed));
    grid.setCols(PrintedCount);
    grid.setRows(1);
    for (int c = 0; c < PrintedCount; ++c) {
        grid.setText(
            0, c,
            Printed[c] == VerdictColumn ? QStringLiteral("Verdict / Bin") : header(Printed[c]));
    }
    QVector<QStringList> rows;
    rows.reserve(shown_.size());
    for (const int i : shown_) {
        const SessionRow& row = rows_.at(i);
        QStringList cells;
        for (const int column : Printed) {
            cells.append(column == VerdictColumn ? printedVerdict(row.judgement)
                                                 : text(row, column));
        }
        rows.append(cells);
    }
    grid.appendRows(std::move(rows));
}

QString SessionTable::printedVerdict(const Judgement& judgement) {
    const QString name = VerdictName(judgement.verdict);
    return judgement.bin.isEmpty() ? name : name + QStringLiteral(" / ") + judgement.bin;
}
