#pragma once

#include <QStringList>
#include <QTableView>
#include <QVector>
#include <array>

#include "platform/GridModel.h"

// The data grid of the list windows: a table view over a GridModel. Row 0 of the model is the
// header; column 0 is drawn as the grid's fixed column. Rows are addressed as in the model
// (1 is the first data row). No cell is clipped: a column is at least as wide as its header and
// its widest cell, whatever width it is given.
class Grid : public QTableView {
    Q_OBJECT

  public:
    explicit Grid(int cols = 5, QWidget* parent = nullptr);

    GridModel& model() { return model_; }
    const GridModel& model() const { return model_; }

    // Width of a sample text in the grid's font, rounded to whole pixels.
    int textWidth(const QString& sample) const;
    // Sets a column's width; its header and cells widen it further where they need more.
    void setColWidth(int col, int width);
    int colWidth(int col) const;
    void setColWidthFromSample(int col, const QString& sample) {
        setColWidth(col, textWidth(sample));
    }

    // The first data row shown below the header (1 when scrolled to the top), as the view
    // stands.
    int topRow() const;
    void setTopRow(int row);
    // The current row and column; row 0 is the header.
    int currentRow() const { return currentRow_; }
    int currentCol() const { return currentCol_; }
    void setCurrent(int row, int col);

    // The height of one data row in the grid's font.
    int rowHeight() const;
    // The size that shows the header, `rows` whole data rows and every column, with room for
    // the vertical scroll bar; each column as wide as it is or as a cell of `widestCells`
    // would make it, so that rows still to come need no horizontal scroll bar.
    QSize sizeForRows(int rows, const QStringList& widestCells = {}) const;
    // Makes sizeForRows(rows, widestCells) the grid's size hint.
    void setRowsHint(int rows, const QStringList& widestCells = {}) {
        rowsHint_ = rows;
        widestCells_ = widestCells;
        updateGeometry();
    }
    QSize sizeHint() const override;

  Q_SIGNALS:
    // A click on a cell; row 0 is the header.
    void cellClicked(int row, int col);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    // Widens the columns for the cells of model rows `first` to `last`.
    void fitRows(int first, int last, int firstCol, int lastCol);
    void fitHeader(int firstCol, int lastCol);
    void refit();
    // Room a column needs for its widest cell text seen so far, margins included.
    int cellNeed(int col) const;
    // Room for a cell text `width` pixels wide.
    int withMargins(qreal width) const;
    void widenTo(int col, int width);
    qreal textAdvance(const QString& text);

    GridModel model_;
    int currentRow_ = 0;
    int currentCol_ = 0;
    int rowsHint_ = 0;
    QStringList widestCells_;
    QVector<qreal> widest_;              // widest cell text of each column, in pixels
    std::array<qreal, 256> advances_{};  // of the Latin-1 characters, in the grid's font
    qreal widestAdvance_ = 0;            // 0 until they are measured
};
