#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

// The rows of a list of readings, as the grid operations of the program see them: row 0 is the
// header row, rows 1.. are data; every row has the same number of cells. The view shows row 0
// as its horizontal header. Kept to plain vectors so that 70,000 rows stay fast.
class GridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit GridModel(int cols = 5, QObject* parent = nullptr);

    int Rows() const { return int(rows_.size()); }  // header row included
    int Cols() const { return cols_; }

    // Cuts or extends the grid to `rows` rows (at least the header row).
    void setRows(int rows);
    void setCols(int cols);

    // Empty text outside the grid.
    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    const QStringList& row(int row) const { return rows_.at(row); }

    // Appends a row given as TAB-separated text: parts beyond the last column are dropped,
    // missing ones leave cells empty.
    void addItem(QStringView tabText);
    void appendRow(QStringList cells);
    // Appends many rows with one notification, for readers of large files.
    void appendRows(QVector<QStringList> rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Splits TAB-separated text into exactly `cols` cells.
    static QStringList splitRow(QStringView tabText, int cols);

  private:
    void fit(QStringList& cells) const;

    int cols_;
    QVector<QStringList> rows_;
};
