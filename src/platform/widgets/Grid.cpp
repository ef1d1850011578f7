#include "platform/widgets/Grid.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

namespace {

// Paints column 0 like the fixed column of a grid.
class FixedColumnDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() == 0) {
            painter->fillRect(option.rect, option.palette.button());
        }
        QStyledItemDelegate::paint(painter, option, index);
    }
};

}  // namespace

Grid::Grid(int cols, QWidget* parent) : QTableView(parent), model_(cols) {
    setObjectName(QStringLiteral("Grid"));
    setModel(&model_);
    setItemDelegate(new FixedColumnDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    // Tab goes on to the window's next control; the arrows move in the grid.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Uniform rows keep a 70,000-row list fast to show and scroll.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
        setCurrent(index.row() + 1, index.column());
        Q_EMIT cellClicked(index.row() + 1, index.column());
    });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int col) {
        setCurrent(0, col);
        Q_EMIT cellClicked(0, col);
    });
    connect(&model_, &GridModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                fitRows(first + 1, last + 1, 0, model_.Cols() - 1);
            });
    connect(&model_, &GridModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                fitRows(from.row() + 1, to.row() + 1, from.column(), to.column());
            });
    connect(&model_, &GridModel::headerDataChanged, this,
            [this](Qt::Orientation, int first, int last) { fitHeader(first, last); });
    connect(&model_, &GridModel::modelReset, this, &Grid::refit);
    refit();
}

int Grid::textWidth(const QString& sample) const {
    return qRound(QFontMetricsF(font()).horizontalAdvance(sample));
}

void Grid::setColWidth(int col, int width) {
    setColumnWidth(col, std::max({width, cellNeed(col), horizontalHeader()->sectionSizeHint(col)}));
}

int Grid::colWidth(int col) const {
    return columnWidth(col);
}

int Grid::topRow() const {
    const int row = rowAt(0);
    return row < 0 ? 1 : row + 1;
}

void Grid::setTopRow(int row) {
    // Rows just added are in the scroll range only once the view has laid them out.
    executeDelayedItemsLayout();
    row = qBound(1, row, qMax(1, model_.Rows() - 1));
    if (model_.Rows() > 1) {
        scrollTo(model_.index(row - 1, 0), QAbstractItemView::PositionAtTop);
    }
}

void Grid::setCurrent(int row, int col) {
    currentRow_ = row;
    currentCol_ = col;
}

int Grid::rowHeight() const {
    return verticalHeader()->defaultSectionSize();
}

QSize Grid::sizeForRows(int rows, const QStringList& widestCells) const {
    // As the view lays itself out: the header's height, then whole rows.
    const QHeaderView* header = horizontalHeader();
    const int headerHeight =
        qMin(qMax(header->minimumHeight(), header->sizeHint().height()), header->maximumHeight());
    const QFontMetricsF metrics(font());
    int columns = 0;
    for (int col = 0; col < model_.Cols(); ++col) {
        const QString cell = widestCells.value(col);
        columns += qMax(columnWidth(col),
                        cell.isEmpty() ? 0 : withMargins(metrics.horizontalAdvance(cell)));
    }
    const int frame = 2 * frameWidth();
    return {frame + columns + verticalScrollBar()->sizeHint().width(),
            frame + headerHeight + rows * rowHeight()};
}

QSize Grid::sizeHint() const {
    return rowsHint_ > 0 ? sizeForRows(rowsHint_, widestCells_) : QTableView::sizeHint();
}

void Grid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
        widestAdvance_ = 0;
        refit();
        updateGeometry();
    }
}

qreal Grid::textAdvance(const QString& text) {
    if (widestAdvance_ == 0) {
        const QFontMetricsF metrics(font());
        for (int c = 0; c < int(advances_.size()); ++c) {
            advances_[c] = metrics.horizontalAdvance(QChar(c));
            widestAdvance_ = qMax(widestAdvance_, advances_[c]);
        }
    }
    // The cells hold Latin-1 text: a sum of advances, at most as narrow as the shaped text,
    // which is measured only when it may widen the column.
    qreal width = 0;
    for (const QChar c : text) {
        if (c.unicode() >= advances_.size()) {
            return QFontMetricsF(font()).horizontalAdvance(text);
        }
        width += advances_[c.unicode()];
    }
    return width;
}

void Grid::fitRows(int first, int last, int firstCol, int lastCol) {
    first = qMax(first, 1);
    last = qMin(last, model_.Rows() - 1);
    firstCol = qMax(firstCol, 0);
    lastCol = qMin(lastCol, int(widest_.size()) - 1);
    if (first > last || firstCol > lastCol) {
        return;
    }
    textAdvance(QString());  // measures the characters once
    QVector<qreal> widest = widest_;
    for (int row = first; row <= last; ++row) {
        const QStringList& cells = model_.row(row);
        for (int col = firstCol; col <= lastCol; ++col) {
            const QString& text = cells.at(col);
            // No character is wider than widestAdvance_: a short text cannot be the widest.
            if (text.size() * widestAdvance_ <= widest[col]) {
                continue;
            }
            const qreal width = textAdvance(text);
            if (width > widest[col]) {
                widest[col] = qMax(width, QFontMetricsF(font()).horizontalAdvance(text));
            }
        }
    }
    for (int col = firstCol; col <= lastCol; ++col) {
        if (widest[col] > widest_[col]) {
            widest_[col] = widest[col];
            widenTo(col, cellNeed(col));
        }
    }
}

void Grid::fitHeader(int firstCol, int lastCol) {
    for (int col = qMax(firstCol, 0); col <= qMin(lastCol, model_.Cols() - 1); ++col) {
        widenTo(col, horizontalHeader()->sectionSizeHint(col));
    }
}

void Grid::refit() {
    widest_.fill(0, model_.Cols());
    fitHeader(0, model_.Cols() - 1);
    fitRows(1, model_.Rows() - 1, 0, model_.Cols() - 1);
}

int Grid::cellNeed(int col) const {
    if (col < 0 || col >= widest_.size() || widest_[col] == 0) {
        return 0;
    }
    return withMargins(widest_[col]);
}

int Grid::withMargins(qreal width) const {
    // The item's text margins on both sides, as the style draws them, and the grid line.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return int(std::ceil(width)) + 2 * margin + (showGrid() ? 1 : 0);
}

void Grid::widenTo(int col, int width) {
    if (width > columnWidth(col)) {
        setColumnWidth(col, width);
    }
}
