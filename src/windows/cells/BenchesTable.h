#pragma once

#include <QAbstractTableModel>
#include <QVector>

#include "core/cells/Inventory.h"

// The latest captures of the other benches on a shared inventory, newest first, as the
// inventory last gave them.
class BenchesTable : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { BenchColumn, Id, Time, Resistance, Voltage, VerdictColumn, ColumnCount };

    explicit BenchesTable(QObject* parent = nullptr);

    void setMeasurements(QVector<Measurement> measurements);
    const QVector<Measurement>& measurements() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static QString text(const Measurement& m, int column);

  private:
    QVector<Measurement> rows_;
};
