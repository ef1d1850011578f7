#include "platform/widgets/Grid.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

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
}

int Grid::textWidth(const QString& sample) const {
    return qRound(QFontMetricsF(font()).horizontalAdvance(sample));
}

void Grid::setColWidth(int col, int width) {
    setColumnWidth(col, width);
}

int Grid::colWidth(int col) const {
    return columnWidth(col);
}

void Grid::setTopRow(int row) {
    topRow_ = qBound(1, row, qMax(1, model_.Rows() - 1));
    if (model_.Rows() > 1) {
        scrollTo(model_.index(topRow_ - 1, 0), QAbstractItemView::PositionAtTop);
    }
}

void Grid::setCurrent(int row, int col) {
    currentRow_ = row;
    currentCol_ = col;
}
