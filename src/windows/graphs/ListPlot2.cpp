#include "windows/graphs/ListPlot2.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPolygonF>
#include <QToolBar>

#include "windows/common/App.h"
#include "windows/graphs/Canvas.h"
#include "windows/graphs/LimitPrintToolbar.h"
#include "windows/graphs/Plot2Range.h"
#include "windows/print/PrintImage.h"

namespace {

constexpr double Twip = 1.0 / DataPlot::TwipsPerPixel;

const QColor OhmBlue(0, 0, 255);
const QColor VoltGreen(0, 255, 0);

QPointF pixels(double xTwips, double yTwips) {
    return {xTwips * Twip, yTwips * Twip};
}

void colour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

ListPlot2::ListPlot2(App& app)
    : AppWindow(app), canvas_(new Canvas(this)), toolbar_(new QToolBar(this)) {
    setObjectName(QStringLiteral("ListPlot2"));
    setWindowTitle(QStringLiteral("Plot Data/File"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    const QSize client(DataPlot::ClientWidth / DataPlot::TwipsPerPixel,
                       DataPlot::ClientHeight / DataPlot::TwipsPerPixel);
    setFixedSize(client);
    move(0, 0);

    canvas_->setObjectName(QStringLiteral("Canvas"));
    canvas_->setAccessibleName(QStringLiteral("Plot of resistance and voltage"));
    canvas_->setGeometry(rect());
    canvas_->clear(client);
    drawFrame();

    SetUpLimitPrintToolbar(*toolbar_, *this, &ListPlot2::showLimit, &ListPlot2::print);
    toolbar_->setGeometry(0, 0, client.width(), toolbar_->sizeHint().height());

    const Qt::Alignment left = Qt::AlignLeft;
    const Qt::Alignment right = Qt::AlignRight;
    const Qt::Alignment centre = Qt::AlignHCenter;
    addLabel(QStringLiteral("LblFun1"), 1050, 480, centre);
    addLabel(QStringLiteral("LblFun2"), 5010, 480, centre);
    addLabel(QStringLiteral("LblValTop"), 930, 960, right);
    addLabel(QStringLiteral("LblValMid"), 930, 2400, right);
    addLabel(QStringLiteral("Lbl0"), 930, 3960, right);
    addLabel(QStringLiteral("MidLbl"), 930, 5400, right);
    addLabel(QStringLiteral("TopLbl"), 930, 6840, right);
    addLabel(QStringLiteral("UpTop"), 5040, 960, left);
    addLabel(QStringLiteral("UpMid"), 5040, 2400, left);
    addLabel(QStringLiteral("Up0"), 5040, 3840, left);
    addLabel(QStringLiteral("MidUp"), 5040, 5400, left);
    addLabel(QStringLiteral("TopUp"), 5040, 6960, left);
    addLabel(QStringLiteral("LblT1"), 1080, 4080, left);
    addLabel(QStringLiteral("LblT2"), 2970, 4080, centre);
    addLabel(QStringLiteral("LblT3"), 4920, 4080, right);
    addLabel(QStringLiteral("Label1"), 5760, 3840, centre, QStringLiteral("TIME"));
    addLabel(QStringLiteral("Label2"), 120, 3600, left, QStringLiteral("+"));
    addLabel(QStringLiteral("Label3"), 120, 3720, left, QStringLiteral("-"));
    toolbar_->raise();
}

const QImage& ListPlot2::image() const {
    return canvas_->image();
}

QLabel* ListPlot2::label(const QString& name) const {
    const auto it = labels_.find(name);
    return it == labels_.end() ? nullptr : it->label;
}

void ListPlot2::addLabel(const QString& name, int anchorX, int top, Qt::Alignment alignment,
                         const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    // Printed on the plot's paper: black whatever the desktop's palette.
    colour(label, Qt::black);
    label->setAlignment(alignment | Qt::AlignTop);
    const Placed placed{label, anchorX, top, alignment};
    labels_.insert(name, placed);
    place(placed);
}

void ListPlot2::place(const Placed& placed) {
    QLabel* label = placed.label;
    label->adjustSize();
    const double anchor = placed.anchorX * Twip;
    double left = anchor;
    if (placed.alignment & Qt::AlignRight) {
        left = anchor - label->width();
    } else if (placed.alignment & Qt::AlignHCenter) {
        left = anchor - label->width() / 2.0;
    }
    label->move(qRound(left), qRound(placed.top * Twip));
}

void ListPlot2::setLabel(const QString& name, const QString& text) {
    const auto it = labels_.find(name);
    if (it == labels_.end()) {
        return;
    }
    it->label->setText(text);
    place(*it);
}

void ListPlot2::drawFrame() {
    QImage& image = canvas_->image();
    QPainter painter(&image);
    struct Shape {
        double x1, y1, x2, y2;
        QColor colour;
        Qt::PenStyle style;
        int width;
    };
    const QColor black(0, 0, 0);
    const QColor red(255, 0, 0);
    static const Shape shapes[] = {
        {1000, 900, 1000, 7100, black, Qt::SolidLine, 2},             // Line7, left axis
        {5000, 900, 5000, 7100, black, Qt::SolidLine, 2},             // Line8, right axis
        {1000, 4000, 5000, 4000, black, Qt::SolidLine, 2},            // Line6, middle line
        {1000, 1000, 5000, 1000, red, Qt::DashLine, 1},               // Line4, top line
        {1000, 7000, 5000, 7000, red, Qt::DashLine, 1},               // Line5, bottom line
        {1000, 2500, 5000, 2500, black, Qt::DotLine, 1},              // Line3
        {1000, 5500, 5000, 5500, black, Qt::DotLine, 1},              // Line2
        {3000, 900, 3000, 7100, QColor(64, 64, 64), Qt::DotLine, 1},  // Line1, centre
    };
    for (const Shape& shape : shapes) {
        QPen pen(shape.colour, shape.width, shape.style, Qt::FlatCap);
        pen.setCosmetic(shape.width == 1);
        painter.setPen(pen);
        painter.drawLine(pixels(shape.x1, shape.y1), pixels(shape.x2, shape.y2));
    }
}

void ListPlot2::showValueLabels(const DataPlot::ValueLabels& labels) {
    setLabel(QStringLiteral("LblValTop"), labels.LblValTop);
    setLabel(QStringLiteral("LblValMid"), labels.LblValMid);
    setLabel(QStringLiteral("Lbl0"), labels.Lbl0);
    setLabel(QStringLiteral("UpTop"), labels.UpTop);
    setLabel(QStringLiteral("UpMid"), labels.UpMid);
    setLabel(QStringLiteral("Up0"), labels.Up0);
    setLabel(QStringLiteral("MidUp"), labels.MidUp);
    setLabel(QStringLiteral("TopUp"), labels.TopUp);
}

void ListPlot2::showTimes(const QString& first, const QString& middle, const QString& last) {
    setLabel(QStringLiteral("LblT1"), first);
    setLabel(QStringLiteral("LblT2"), middle);
    setLabel(QStringLiteral("LblT3"), last);
}

void ListPlot2::showSeriesNames(const QString& ohm, const QString& volt) {
    colour(label(QStringLiteral("LblFun1")), OhmBlue);
    colour(label(QStringLiteral("LblFun2")), VoltGreen);
    setLabel(QStringLiteral("LblFun1"), ohm);
    setLabel(QStringLiteral("LblFun2"), volt);
}

void ListPlot2::drawCurves(const QVector<QPointF>& ohm, const QVector<QPointF>& volt) {
    auto polyline = [](const QVector<QPointF>& twips) {
        QPolygonF line;
        line.reserve(twips.size());
        for (const QPointF& p : twips) {
            line.append(pixels(p.x(), p.y()));
        }
        return line;
    };
    QPainter painter(&canvas_->image());
    QPen pen(OhmBlue, 1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawPolyline(polyline(ohm));
    pen.setColor(VoltGreen);
    painter.setPen(pen);
    painter.drawPolyline(polyline(volt));
    painter.end();
    canvas_->update();
}

void ListPlot2::showLimit() {
    Plot2Range& range = app().windows().get<Plot2Range>();
    range.show();
    range.raise();
    range.activateWindow();
}

void ListPlot2::print() {
    PrintWindow(app(), *this, *toolbar_);
}
