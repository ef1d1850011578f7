#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

#include "core/cells/Verdict.h"

class GridModel;

// One capture of the sorting session as its table shows it.
struct SessionRow {
    QString uuid;  // the measurement's in the inventory
    QString cellId;
    QDateTime time;
    double milliohms = 0;  // NaN when not measured
    double volts = 0;
    QString ohmText;  // as the meter showed it, with its unit: "38.20 mOhm"
    QString voltText;
    Judgement judgement;
    bool remeasure = false;
    bool deleted = false;
    QStringList replaced;  // the earlier measurements of the session that this one replaced
    std::optional<double> capacityMah;
    QString notes;
};

// This session's captures, oldest first. Rows marked deleted stay in the model (an undo may bring
// them back) but are not shown and not counted. Capacity and note are the cell's, so an edit in
// one row shows in every row of that cell; the edit is handed to `onEdit`, which stores it and
// says whether that worked.
class SessionTable : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Id, Time, Resistance, Voltage, VerdictColumn, Bin, Capacity, Note, ColumnCount };
    // A stored edit: capacity (null clears it) or note, for a cell.
    struct Edit {
        QString cellId;
        std::optional<double> capacityMah;
        QString notes;
        bool isCapacity = false;
    };

    explicit SessionTable(QObject* parent = nullptr);

    void setEditHandler(std::function<bool(const Edit&)> onEdit) { onEdit_ = std::move(onEdit); }

    // The shown rows: every row not marked deleted.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void append(const SessionRow& row);
    // Every row, deleted ones too, oldest first.
    const QVector<SessionRow>& all() const { return rows_; }
    // The row of a measurement, or null.
    const SessionRow* find(const QString& uuid) const;
    // Shows or hides a row; false when no row holds that measurement.
    bool setDeleted(const QString& uuid, bool deleted);
    // The measurements of the cell in the session that are not deleted, oldest first.
    QStringList liveMeasurements(const QString& cellId) const;
    // The latest row that is not deleted.
    const SessionRow* lastLive() const;
    void clear();

    // A cell's capacity or note changed elsewhere; shown in every row of the cell.
    void setCellFields(const QString& cellId, std::optional<double> capacityMah,
                       const QString& notes);

    // The table as it would be printed: header row, then one row per shown capture.
    void fill(GridModel& grid) const;

    // "PASS" alone, or the verdict and its reasons: "FAIL: IR 72.4 mOhm above 70".
    static QString verdictText(const Judgement& judgement);
    // The printed one: "PASS", or with the bin, "FAIL / High".
    static QString printedVerdict(const Judgement& judgement);
    static QString header(int column);
    // Capacity as typed: a positive number of mAh, or empty to clear. Null when unreadable.
    static std::optional<std::optional<double>> ParseCapacity(const QString& text);

  Q_SIGNALS:
    // A capacity was typed that is no number of mAh; nothing changed.
    void unreadableCapacity(const QString& text);

  private:
    QString text(const SessionRow& row, int column) const;

    QVector<SessionRow> rows_;
    QVector<int> shown_;  // indexes into rows_ of the rows not deleted
    std::function<bool(const Edit&)> onEdit_;
};
