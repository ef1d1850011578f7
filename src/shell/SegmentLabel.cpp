#include "shell/SegmentLabel.h"

#include <QPainter>
#include <QPainterPath>
#include <QVector>

namespace {

struct Glyph {
    int segments = 0;
    bool point = false;
};

// Splits a reading into digit places; a "." lights the point of the place before it.
QVector<Glyph> glyphsOf(const QString& text) {
    QVector<Glyph> glyphs;
    for (const QChar c : text) {
        if (c == u'.') {
            if (glyphs.isEmpty() || glyphs.last().point) {
                glyphs.append(Glyph{});
            }
            glyphs.last().point = true;
        } else {
            glyphs.append(Glyph{SegmentLabel::segmentsOf(c), false});
        }
    }
    return glyphs;
}

// One digit place: width w, height h, slanted like the meter's digits.
void drawCell(QPainter& p, const QRectF& cell, const Glyph& glyph, const QColor& on,
              const QColor& off) {
    const qreal w = cell.width() * 0.78;
    const qreal h = cell.height();
    const qreal t = qMax<qreal>(2.0, w * 0.17);  // segment thickness
    const qreal slant = h * 0.08;
    const qreal gap = t * 0.12;
    const qreal x0 = cell.left() + cell.width() * 0.04;
    const qreal y0 = cell.top();
    const qreal mid = y0 + h / 2;

    // x shifts right as y goes up: the italic lean.
    const auto at = [&](qreal x, qreal y) { return QPointF(x + slant * (y0 + h - y) / h, y); };
    const auto horizontal = [&](qreal y) {
        QPolygonF poly;
        const qreal l = x0 + t / 2 + gap;
        const qreal r = x0 + w - t / 2 - gap;
        poly << at(l, y) << at(l + t / 2, y - t / 2) << at(r - t / 2, y - t / 2) << at(r, y)
             << at(r - t / 2, y + t / 2) << at(l + t / 2, y + t / 2);
        return poly;
    };
    const auto vertical = [&](qreal x, qreal top, qreal bottom) {
        QPolygonF poly;
        const qreal a = top + gap;
        const qreal b = bottom - gap;
        poly << at(x, a) << at(x + t / 2, a + t / 2) << at(x + t / 2, b - t / 2) << at(x, b)
             << at(x - t / 2, b - t / 2) << at(x - t / 2, a + t / 2);
        return poly;
    };
    const qreal top = y0 + t / 2;
    const qreal bottom = y0 + h - t / 2;
    const QPolygonF segments[7] = {
        horizontal(top),                        // a
        vertical(x0 + w - t / 2, top, mid),     // b
        vertical(x0 + w - t / 2, mid, bottom),  // c
        horizontal(bottom),                     // d
        vertical(x0 + t / 2, mid, bottom),      // e
        vertical(x0 + t / 2, top, mid),         // f
        horizontal(mid),                        // g
    };
    p.setPen(Qt::NoPen);
    for (int s = 0; s < 7; ++s) {
        p.setBrush((glyph.segments >> s) & 1 ? on : off);
        p.drawPolygon(segments[s]);
    }
    const QPointF dot = at(x0 + w + cell.width() * 0.09, bottom);
    p.setBrush(glyph.point ? on : off);
    p.drawEllipse(dot, t * 0.6, t * 0.6);
}

}  // namespace

SegmentLabel::SegmentLabel(int cells, QWidget* parent) : QLabel(parent), cells_(cells) {}

int SegmentLabel::segmentsOf(QChar c) {
    // a=1 b=2 c=4 d=8 e=16 f=32 g=64
    static const int digits[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    if (c.isDigit()) {
        return digits[c.digitValue()];
    }
    switch (c.unicode()) {
        case u'-':
            return 0x40;
        case u'O':
            return 0x3F;
        case u'L':
            return 0x38;
        default:
            return 0;
    }
}

QSize SegmentLabel::sizeHint() const {
    return QSize(cells_ * 40, 64);
}

void SegmentLabel::setStale(bool stale) {
    if (stale != stale_) {
        stale_ = stale;
        update();
    }
}

void SegmentLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(2, 4, -2, -4);
    const qreal cellWidth = area.width() / cells_;
    QVector<Glyph> glyphs = glyphsOf(text());
    while (glyphs.size() > cells_) {
        glyphs.removeFirst();
    }
    QColor lit = ink_;
    if (stale_) {
        // Still legible, but as faint as a display that is fading.
        lit.setAlpha(70);
    }
    QColor off = ink_;
    off.setAlpha(18);
    const qsizetype blank = cells_ - glyphs.size();
    for (int i = 0; i < cells_; ++i) {
        const QRectF cell(area.left() + i * cellWidth, area.top(), cellWidth, area.height());
        drawCell(p, cell, i < blank ? Glyph{} : glyphs.at(i - blank), lit, off);
    }
}
