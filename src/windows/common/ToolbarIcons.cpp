#include "windows/common/ToolbarIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <functional>

namespace {

// Every picture is drawn on a 32 x 32 grid and scaled.
constexpr int Grid = 32;

const QColor Outline(40, 48, 58);

QPen outlinePen(qreal width = 1.4) {
    return QPen(Outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor& a, const QColor& b) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

void drawDisk(QPainter& p) {
    QPainterPath body;
    body.moveTo(5, 4);
    body.lineTo(23, 4);
    body.lineTo(28, 9);
    body.lineTo(28, 27);
    body.quadTo(28, 28, 27, 28);
    body.lineTo(5, 28);
    body.quadTo(4, 28, 4, 27);
    body.lineTo(4, 5);
    body.quadTo(4, 4, 5, 4);
    p.setPen(outlinePen());
    p.setBrush(vertical(4, 28, QColor(74, 132, 214), QColor(36, 84, 160)));
    p.drawPath(body);
    p.setBrush(vertical(4, 12, QColor(236, 240, 244), QColor(190, 198, 206)));
    p.drawRoundedRect(QRectF(9, 4, 13, 9), 1, 1);
    p.setBrush(QColor(74, 132, 214));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(17, 5.5, 3, 6));
    p.setPen(outlinePen(1.0));
    p.setBrush(QColor(250, 250, 246));
    p.drawRoundedRect(QRectF(8, 17, 16, 11), 1.5, 1.5);
    p.setPen(QPen(QColor(150, 160, 170), 1.0));
    p.drawLine(QPointF(11, 21), QPointF(21, 21));
    p.drawLine(QPointF(11, 24.5), QPointF(21, 24.5));
}

void drawFolder(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(vertical(6, 26, QColor(232, 178, 64), QColor(196, 132, 28)));
    QPainterPath back;
    back.moveTo(3, 8);
    back.quadTo(3, 6, 5, 6);
    back.lineTo(12, 6);
    back.lineTo(15, 9);
    back.lineTo(25, 9);
    back.quadTo(27, 9, 27, 11);
    back.lineTo(27, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(7, 11, 16, 10));
    p.setBrush(vertical(13, 27, QColor(255, 214, 110), QColor(232, 170, 50)));
    QPainterPath front;
    front.moveTo(6, 14);
    front.lineTo(30, 14);
    front.lineTo(26, 27);
    front.lineTo(2.5, 27);
    front.closeSubpath();
    p.drawPath(front);
}

void drawList(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(vertical(3, 29, QColor(255, 255, 255), QColor(226, 232, 238)));
    p.drawRoundedRect(QRectF(5, 3, 22, 26), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 120, 190));
    p.drawRect(QRectF(6, 4, 20, 4));
    for (int row = 0; row < 5; ++row) {
        const qreal y = 11.5 + row * 3.7;
        p.setBrush(QColor(70, 120, 190));
        p.drawRect(QRectF(8, y, 3, 1.6));
        p.setBrush(QColor(120, 130, 140));
        p.drawRect(QRectF(13, y, row % 2 ? 9 : 11, 1.6));
    }
}

void drawGraph(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(QRectF(3, 4, 26, 24), 2, 2);
    p.setPen(QPen(QColor(200, 208, 216), 0.8, Qt::DotLine));
    for (int i = 1; i < 4; ++i) {
        p.drawLine(QPointF(5, 4 + i * 6), QPointF(27, 4 + i * 6));
    }
    p.setBrush(Qt::NoBrush);
    QPainterPath ohm;
    ohm.moveTo(5, 12);
    ohm.cubicTo(10, 6, 13, 18, 18, 12);
    ohm.cubicTo(22, 8, 24, 10, 27, 9);
    p.setPen(QPen(QColor(214, 48, 40), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(ohm);
    QPainterPath volt;
    volt.moveTo(5, 24);
    volt.cubicTo(11, 23, 14, 19, 19, 21);
    volt.cubicTo(23, 22, 25, 18, 27, 17);
    p.setPen(QPen(QColor(36, 96, 200), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(volt);
}

void drawStopwatch(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(QColor(120, 130, 140));
    p.drawRoundedRect(QRectF(13, 2, 6, 4), 1, 1);
    p.drawRect(QRectF(15, 5, 2, 3));
    p.setBrush(vertical(7, 30, QColor(110, 190, 120), QColor(46, 130, 64)));
    p.drawEllipse(QPointF(16, 18.5), 11.5, 11.5);
    p.setBrush(QColor(252, 252, 248));
    p.drawEllipse(QPointF(16, 18.5), 8.5, 8.5);
    p.setPen(QPen(QColor(90, 100, 110), 1.0));
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        const qreal r1 = i % 3 == 0 ? 6.0 : 7.0;
        p.drawLine(QPointF(16 + r1 * std::sin(a), 18.5 - r1 * std::cos(a)),
                   QPointF(16 + 8 * std::sin(a), 18.5 - 8 * std::cos(a)));
    }
    p.setPen(QPen(QColor(214, 48, 40), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 18.5), QPointF(20.5, 13.5));
    p.setBrush(Outline);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(16, 18.5), 1.4, 1.4);
}

void drawChip(QPainter& p) {
    p.setPen(QPen(QColor(150, 156, 164), 1.6, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < 4; ++i) {
        const qreal x = 10 + i * 4;
        p.drawLine(QPointF(x, 3), QPointF(x, 7));
        p.drawLine(QPointF(x, 25), QPointF(x, 29));
        p.drawLine(QPointF(3, x), QPointF(7, x));
        p.drawLine(QPointF(25, x), QPointF(29, x));
    }
    p.setPen(outlinePen());
    p.setBrush(vertical(6, 26, QColor(72, 78, 88), QColor(34, 38, 44)));
    p.drawRoundedRect(QRectF(6, 6, 20, 20), 2, 2);
    // A download arrow: the logger's memory coming to the computer.
    p.setPen(QPen(QColor(255, 196, 60), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(16, 10), QPointF(16, 20));
    p.drawPolyline(QPolygonF({QPointF(12, 16.5), QPointF(16, 20.5), QPointF(20, 16.5)}));
    p.drawLine(QPointF(11, 23), QPointF(21, 23));
}

void drawStop(QPainter& p) {
    p.setPen(QPen(QColor(130, 20, 16), 1.4));
    p.setBrush(vertical(3, 29, QColor(238, 84, 70), QColor(178, 28, 22)));
    p.drawEllipse(QPointF(16, 16), 13, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(QRectF(10.5, 10.5, 11, 11), 1.5, 1.5);
}

void drawHelp(QPainter& p) {
    p.setPen(QPen(QColor(22, 70, 140), 1.4));
    p.setBrush(vertical(3, 29, QColor(90, 150, 230), QColor(34, 94, 186)));
    p.drawEllipse(QPointF(16, 16), 13, 13);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(19);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(3, 3.5, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
}

void drawPrinter(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(QColor(250, 250, 246));
    p.drawRect(QRectF(9, 3, 14, 9));
    p.setBrush(vertical(10, 24, QColor(150, 160, 172), QColor(92, 102, 114)));
    p.drawRoundedRect(QRectF(3, 11, 26, 13), 2.5, 2.5);
    p.setBrush(QColor(250, 250, 246));
    p.drawRect(QRectF(9, 19, 14, 10));
    p.setPen(QPen(QColor(150, 160, 170), 1.0));
    p.drawLine(QPointF(11.5, 22.5), QPointF(20.5, 22.5));
    p.drawLine(QPointF(11.5, 25.5), QPointF(20.5, 25.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 200, 120));
    p.drawEllipse(QPointF(25, 15), 1.3, 1.3);
}

// A scale's two limits and the range between them.
void drawLimit(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(QRectF(3, 4, 26, 24), 2, 2);
    p.setPen(QPen(QColor(214, 48, 40), 1.6, Qt::DashLine, Qt::FlatCap));
    p.drawLine(QPointF(5, 9), QPointF(27, 9));
    p.drawLine(QPointF(5, 23), QPointF(27, 23));
    p.setPen(QPen(QColor(36, 96, 200), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(16, 11.5), QPointF(16, 20.5));
    p.drawPolyline(QPolygonF({QPointF(12.5, 14.5), QPointF(16, 11), QPointF(19.5, 14.5)}));
    p.drawPolyline(QPolygonF({QPointF(12.5, 17.5), QPointF(16, 21), QPointF(19.5, 17.5)}));
}

// A cylindrical cell with its verdict's tick: the sorting station.
void drawCellSort(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(QColor(200, 204, 210));
    p.drawRoundedRect(QRectF(11.5, 2.5, 7, 4), 1, 1);
    QLinearGradient wrap(7, 0, 23, 0);
    wrap.setColorAt(0, QColor(40, 96, 176));
    wrap.setColorAt(0.45, QColor(96, 156, 232));
    wrap.setColorAt(1, QColor(30, 72, 140));
    p.setBrush(wrap);
    p.drawRoundedRect(QRectF(7, 5.5, 16, 24), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 246));
    p.drawRect(QRectF(8, 12, 14, 5));
    p.setBrush(QColor(214, 48, 40));
    p.drawRect(QRectF(10, 13.5, 3, 2));
    p.setPen(QPen(QColor(16, 90, 40), 1.2));
    p.setBrush(vertical(15, 31, QColor(86, 190, 100), QColor(30, 130, 56)));
    p.drawEllipse(QPointF(24, 23.5), 6.5, 6.5);
    p.setPen(QPen(QColor(255, 255, 255), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(20.8, 23.8), QPointF(23.2, 26.2), QPointF(27.4, 20.8)}));
}

// Two groups of cells side by side, joined by a strap: a pack built of matched cells.
void drawPack(QPainter& p) {
    for (int column = 0; column < 2; ++column) {
        for (int row = 0; row < 2; ++row) {
            const double x = 4 + column * 13, y = 6 + row * 11;
            QLinearGradient wrap(x, 0, x + 11, 0);
            wrap.setColorAt(0, QColor(40, 96, 176));
            wrap.setColorAt(0.45, QColor(96, 156, 232));
            wrap.setColorAt(1, QColor(30, 72, 140));
            p.setPen(outlinePen());
            p.setBrush(wrap);
            p.drawRoundedRect(QRectF(x, y, 11, 10), 2, 2);
        }
    }
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(2, 5, QColor(220, 224, 230), QColor(150, 156, 166)));
    p.drawRect(QRectF(6, 2.5, 20, 2.5));
    p.setPen(QPen(QColor(16, 90, 40), 1.2));
    p.setBrush(vertical(22, 30, QColor(86, 190, 100), QColor(30, 130, 56)));
    p.drawRoundedRect(QRectF(4, 28, 24, 3), 1, 1);
}

// A probe's tip on a cell's terminal, with the spark of the touch: take the reading now.
void drawCapture(QPainter& p) {
    p.setPen(outlinePen());
    p.setBrush(vertical(22, 30, QColor(200, 204, 210), QColor(140, 148, 158)));
    p.drawRoundedRect(QRectF(4, 23, 24, 6), 1.5, 1.5);
    p.save();
    p.translate(16, 21);
    p.rotate(-35);
    p.setBrush(vertical(-20, -6, QColor(236, 84, 70), QColor(176, 28, 22)));
    p.drawRoundedRect(QRectF(-3.5, -20, 7, 14), 2, 2);
    p.setBrush(QColor(200, 204, 210));
    p.drawPolygon(QPolygonF({QPointF(-1.8, -6), QPointF(1.8, -6), QPointF(0, 0)}));
    p.restore();
    p.setPen(QPen(QColor(236, 170, 0), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (const QLineF& ray :
         {QLineF(16, 19.5, 11, 16.5), QLineF(16, 19.5, 21.5, 16), QLineF(16, 19.5, 16, 13.5)}) {
        p.drawLine(QLineF(ray.pointAt(0.35), ray.p2()));
    }
}

// A curved arrow back: the last step taken away.
void drawUndo(QPainter& p) {
    QPainterPath arc;
    arc.moveTo(25, 25);
    arc.cubicTo(27, 14, 20, 9, 12, 10.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(22, 70, 140), 5.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    p.setPen(QPen(QColor(90, 150, 230), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    p.setPen(QPen(QColor(22, 70, 140), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(90, 150, 230));
    p.drawPolygon(QPolygonF({QPointF(4, 11), QPointF(13.5, 3.5), QPointF(14, 18)}));
}

void drawRedo(QPainter& p) {
    p.translate(Grid, 0);
    p.scale(-1, 1);
    drawUndo(p);
}

void drawMeter(QPainter& p) {
    p.setPen(QPen(QColor(120, 64, 8), 1.0));
    p.setBrush(vertical(1, 31, QColor(250, 178, 72), QColor(196, 108, 18)));
    p.drawRoundedRect(QRectF(4, 1, 24, 30), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(46, 51, 58));
    p.drawRoundedRect(QRectF(6.5, 3.5, 19, 25), 3.5, 3.5);
    p.setBrush(vertical(6, 17, QColor(214, 223, 198), QColor(178, 191, 158)));
    p.drawRoundedRect(QRectF(8.5, 6, 15, 11), 1.5, 1.5);
    p.setBrush(QColor(28, 34, 26));
    p.drawRect(QRectF(10.5, 8, 8, 1.6));
    p.drawRect(QRectF(10.5, 12.5, 11, 1.6));
    p.setBrush(QColor(246, 170, 70));
    p.drawRoundedRect(QRectF(9, 20, 6, 3.5), 1, 1);
    p.setBrush(QColor(104, 112, 122));
    p.drawRoundedRect(QRectF(17, 20, 6, 3.5), 1, 1);
}

std::function<void(QPainter&)> painterFor(const QString& key) {
    if (key == QLatin1String("Save") || key == QLatin1String("ReSave")) {
        return drawDisk;
    }
    if (key == QLatin1String("Open")) {
        return drawFolder;
    }
    if (key == QLatin1String("List")) {
        return drawList;
    }
    if (key == QLatin1String("Graph") || key == QLatin1String("Plot")) {
        return drawGraph;
    }
    if (key == QLatin1String("Sample")) {
        return drawStopwatch;
    }
    if (key == QLatin1String("Memory")) {
        return drawChip;
    }
    if (key == QLatin1String("Stop")) {
        return drawStop;
    }
    if (key == QLatin1String("Print")) {
        return drawPrinter;
    }
    if (key == QLatin1String("Limit")) {
        return drawLimit;
    }
    if (key == QLatin1String("Help")) {
        return drawHelp;
    }
    if (key == QLatin1String("Sort")) {
        return drawCellSort;
    }
    if (key == QLatin1String("Pack")) {
        return drawPack;
    }
    if (key == QLatin1String("Capture")) {
        return drawCapture;
    }
    if (key == QLatin1String("Undo")) {
        return drawUndo;
    }
    if (key == QLatin1String("Redo")) {
        return drawRedo;
    }
    if (key == QLatin1String("Kelvomark")) {
        return drawMeter;
    }
    return {};
}

}  // namespace

QIcon ToolbarIcon(const QString& key) {
    const auto draw = painterFor(key);
    QIcon icon;
    if (!draw) {
        return icon;
    }
    for (const int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(qreal(size) / Grid, qreal(size) / Grid);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon ProgramIcon() {
    return ToolbarIcon(QStringLiteral("Kelvomark"));
}
