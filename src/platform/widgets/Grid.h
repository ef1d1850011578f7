#pragma once

#include <QTableView>

#include "platform/GridModel.h"

// The data grid of the list windows: a table view over a GridModel. Row 0 of the model is the
// header; column 0 is drawn as the grid's fixed column. Rows are addressed as in the model
// (1 is the first data row).
class Grid : public QTableView {
    Q_OBJECT

  public:
    explicit Grid(int cols = 5, QWidget* parent = nullptr);

    GridModel& model() { return model_; }
    const GridModel& model() const { return model_; }

    // Width of a sample text in the grid's font, rounded to whole pixels.
    int textWidth(const QString& sample) const;
    void setColWidth(int col, int width);
    int colWidth(int col) const;
    void setColWidthFromSample(int col, const QString& sample) {
        setColWidth(col, textWidth(sample));
    }

    // The first data row shown below the header (1 when scrolled to the top).
    int topRow() const { return topRow_; }
    void setTopRow(int row);
    // The current row and column; row 0 is the header.
    int currentRow() const { return currentRow_; }
    int currentCol() const { return currentCol_; }
    void setCurrent(int row, int col);

  Q_SIGNALS:
    // A click on a cell; row 0 is the header.
    void cellClicked(int row, int col);

  private:
    GridModel model_;
    int topRow_ = 1;
    int currentRow_ = 0;
    int currentCol_ = 0;
};
