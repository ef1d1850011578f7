#include "core/layout/GridPrintLayout.h"

#include "core/layout/PrintPage.h"
#include "platform/GridModel.h"

using namespace PrintLayout;

int NextPrintLine(int y, int step, int resetY, PrintPage& page) {
    if (y < PageFullY) {
        return y + step;
    }
    page.newPage();
    page.text(pageNumberX(page.width()), y + step, pageNumberText(page.pageNumber()));
    return resetY;
}

GridPrintLayout::GridPrintLayout(PrintPage& page, const GridModel& grid)
    : page_(page), grid_(grid), rows_(grid.Rows()), cols_(grid.Cols()) {}

void GridPrintLayout::print(PrintPage& page, const GridModel& grid) {
    GridPrintLayout layout(page, grid);
    layout.printRows(layout.rows());
}

void GridPrintLayout::start() {
    started_ = true;
    page_.setFontSize(FontSize);
    page_.text(pageNumberX(page_.width()), PageNumberY, pageNumberText(page_.pageNumber()));
    y_ = NextPrintLine(LaterFirstRowY, RowPitch, LaterFirstRowY, page_);
}

void GridPrintLayout::printRows(int count) {
    if (!started_) {
        start();
    }
    for (; count > 0 && next_ < rows_; --count) {
        printRow(next_);
        ++next_;
        if (next_ < rows_) {
            y_ = NextPrintLine(y_, RowPitch, LaterFirstRowY, page_);
        }
    }
}

void GridPrintLayout::printRow(int row) {
    const int right = tableRight(page_.width());
    const int top = y_ - RuleAbove;
    const int bottom = y_ + RuleBelow;
    page_.line(TableLeft, top, right, top);
    for (int col = 0; col < cols_; ++col) {
        page_.text(cellTextX(col), y_, cellText(grid_.text(row, col)));
        page_.line(columnRuleX(col), top, columnRuleX(col), bottom);
    }
    page_.line(right, top, right, bottom);
    page_.line(TableLeft, bottom, right, bottom);
}
