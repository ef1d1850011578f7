#include "windows/cells/BenchesTable.h"

#include <QBrush>

#include "platform/TextRules.h"
#include "windows/cells/SessionTable.h"
#include "windows/cells/VerdictLook.h"

BenchesTable::BenchesTable(QObject* parent) : QAbstractTableModel(parent) {}

void BenchesTable::setMeasurements(QVector<Measurement> measurements) {
    beginResetModel();
    rows_ = std::move(measurements);
    endResetModel();
}

int BenchesTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int BenchesTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString BenchesTable::text(const Measurement& m, int column) {
    switch (column) {
        case BenchColumn:
            return m.bench();
        case Id:
            return m.deleted ? m.cellId + QStringLiteral(" (undone)") : m.cellId;
        case Time:
            return TextRules::StampTime(TextRules::FormatStamp(m.time));
        case Resistance:
            return m.ohmText + u' ' + m.ohmUnit;
        case Voltage:
            return m.voltText + QStringLiteral(" V");
        case VerdictColumn:
            return SessionTable::verdictText(Judgement{m.verdict, m.reasons, m.bin});
        default:
            return QString();
    }
}

QVariant BenchesTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) {
        return {};
    }
    const Measurement& m = rows_.at(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return text(m, index.column());
        case Qt::BackgroundRole:
            return index.column() == VerdictColumn
                       ? QVariant(QBrush(VerdictLook::background(m.verdict)))
                       : QVariant();
        case Qt::ForegroundRole:
            return index.column() == VerdictColumn ? QVariant(QBrush(VerdictLook::text(m.verdict)))
                                                   : QVariant();
        default:
            return {};
    }
}

QVariant BenchesTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return {};
    }
    static const char* const texts[ColumnCount] = {"Bench",      "ID",      "Time",
                                                   "Resistance", "Voltage", "Verdict"};
    return QString::fromLatin1(texts[section]);
}
