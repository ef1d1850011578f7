#pragma once

#include <QString>

class GridModel;
class PrintPage;

// The printed list: every cell of the grid, header row included, in a ruled table of fixed-width
// columns, 11-point text, "P-" and the page number at the foot of each page. Twips throughout.
namespace PrintLayout {

constexpr int FontSize = 11;  // points
constexpr int RowPitch = 400;
constexpr int LaterFirstRowY = 450;  // page 1 starts one pitch lower, at 850
constexpr int PageFullY = 15500;     // a row printed at or below this is the last of its page
constexpr int PageNumberY = 16050;
constexpr int TableLeft = 500;
constexpr int ColumnPitch = 2125;
constexpr int RuleAbove = 100;  // rules run from y - 100 to y + 300 around a row's text at y
constexpr int RuleBelow = 300;

// Integer division: the page number's left end for an odd W rounds down.
constexpr int pageNumberX(int pageWidth) {
    return (pageWidth - 500) / 2;
}
constexpr int tableRight(int pageWidth) {
    return pageWidth - 700;
}
constexpr int cellTextX(int col) {
    return 400 + ColumnPitch * col;
}
constexpr int columnRuleX(int col) {
    return TableLeft + ColumnPitch * col;
}

inline QString pageNumberText(int page) {
    return QStringLiteral("P-") + QString::number(page);
}
// Six blanks keep the text clear of its column's left rule, 100 twips to the right of x.
inline QString cellText(const QString& text) {
    return QStringLiteral("      ") + text;
}

}  // namespace PrintLayout

// The next row's y: y + step while the page has room; otherwise a new page is started, its
// number is printed at the foot (at y + step, where the next row would have gone) and resetY is
// the answer.
int NextPrintLine(int y, int step, int resetY, PrintPage& page);

// Prints a grid on a page a batch of rows at a time, so that the caller can show progress and
// keep the windows alive between batches. The number of rows and columns is read once, when the
// layout is made: a live list that grows while it prints is printed as it was then. The grid must
// outlive every call of printRows().
class GridPrintLayout {
  public:
    GridPrintLayout(PrintPage& page, const GridModel& grid);

    // Prints the next `count` rows at most; the first call also sets the font and prints the
    // first page's number.
    void printRows(int count);
    bool finished() const { return next_ >= rows_; }
    int rows() const { return rows_; }
    int rowsPrinted() const { return next_; }

    // The whole grid at once.
    static void print(PrintPage& page, const GridModel& grid);

  private:
    void start();
    void printRow(int row);

    PrintPage& page_;
    const GridModel& grid_;
    const int rows_;
    const int cols_;
    int next_ = 0;
    int y_ = 0;
    bool started_ = false;
};
