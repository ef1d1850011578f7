#include "platform/GridModel.h"

GridModel::GridModel(int cols, QObject* parent) : QAbstractTableModel(parent), cols_(cols) {
    rows_.append(QStringList());
    fit(rows_.first());
}

void GridModel::fit(QStringList& cells) const {
    if (cells.size() > cols_) {
        cells.erase(cells.begin() + cols_, cells.end());
    }
    while (cells.size() < cols_) {
        cells.append(QString());
    }
}

void GridModel::setRows(int rows) {
    rows = qMax(1, rows);
    if (rows == Rows()) {
        return;
    }
    beginResetModel();
    if (rows < Rows()) {
        rows_.resize(rows);
    } else {
        QStringList empty;
        fit(empty);
        rows_.insert(rows_.size(), rows - Rows(), empty);
    }
    endResetModel();
}

void GridModel::setCols(int cols) {
    beginResetModel();
    cols_ = qMax(1, cols);
    for (QStringList& cells : rows_) {
        fit(cells);
    }
    endResetModel();
}

QString GridModel::text(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_) {
        return QString();
    }
    return rows_.at(row).at(col);
}

void GridModel::setText(int row, int col, const QString& text) {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_) {
        return;
    }
    rows_[row][col] = text;
    if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex at = index(row - 1, col);
        Q_EMIT dataChanged(at, at);
    }
}

QStringList GridModel::splitRow(QStringView tabText, int cols) {
    QStringList cells;
    cells.reserve(cols);
    for (QStringView part : tabText.split(u'\t')) {
        if (cells.size() == cols) {
            break;
        }
        cells.append(part.toString());
    }
    while (cells.size() < cols) {
        cells.append(QString());
    }
    return cells;
}

void GridModel::addItem(QStringView tabText) {
    appendRow(splitRow(tabText, cols_));
}

void GridModel::appendRow(QStringList cells) {
    fit(cells);
    const int at = Rows() - 1;
    beginInsertRows(QModelIndex(), at, at);
    rows_.append(std::move(cells));
    endInsertRows();
}

void GridModel::appendRows(QVector<QStringList> rows) {
    if (rows.isEmpty()) {
        return;
    }
    for (QStringList& cells : rows) {
        fit(cells);
    }
    const int first = Rows() - 1;
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    rows_.append(std::move(rows));
    endInsertRows();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Rows() - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return rows_.at(index.row() + 1).at(index.column());
    }
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < cols_) {
        return rows_.first().at(section);
    }
    return {};
}
