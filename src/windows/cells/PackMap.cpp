#include "windows/cells/PackMap.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <cmath>

#include "core/cells/Csv.h"
#include "core/cells/Verdict.h"

namespace PackMap {

namespace {

// Light enough that black text stays readable on every shade, in print as on screen.
QColor Shade(double t) {
    const QColor low(0xCF, 0xEB, 0xD0), high(0xF6, 0xC9, 0xA8);
    return QColor::fromRgbF(low.redF() + (high.redF() - low.redF()) * t,
                            low.greenF() + (high.greenF() - low.greenF()) * t,
                            low.blueF() + (high.blueF() - low.blueF()) * t);
}

QString Band(double t) {
    return t < 1.0 / 3   ? QStringLiteral("low")
           : t < 2.0 / 3 ? QStringLiteral("mid")
                         : QStringLiteral("high");
}

}  // namespace

bool FromCsv(const QString& path, Map& map, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    Csv::Reader reader(file);
    QStringList fields;
    if (!reader.next(fields) || fields.value(0) != u"id" || fields.value(1) != u"group") {
        error = QStringLiteral("not a pack's CSV");
        return false;
    }
    while (reader.next(fields)) {
        bool ok = false;
        const int group = fields.value(1).toInt(&ok);
        if (!ok || group < 1) {
            continue;
        }
        Cell cell;
        cell.id = fields.value(0);
        Csv::ParseNumber(fields.value(3), cell.capacityMah);
        if (!Csv::ParseNumber(fields.value(4), cell.irMohm)) {
            cell.irMohm = std::nan("");
        }
        if (const auto verdict = ParseVerdict(fields.value(6))) {
            cell.verdict = VerdictName(*verdict);
        }
        if (map.groups.size() < group) {
            map.groups.resize(group);
        }
        map.groups[group - 1].append(cell);
    }
    if (!reader.error().isEmpty()) {
        error = reader.error();
        return false;
    }
    return true;
}

void Render(QPainter& painter, const QRectF& area, const Map& map) {
    double lo = INFINITY, hi = 0;
    int rows = 0;
    for (const auto& group : map.groups) {
        rows = std::max(rows, int(group.size()));
        for (const Cell& cell : group) {
            if (std::isfinite(cell.irMohm)) {
                lo = std::min(lo, cell.irMohm);
                hi = std::max(hi, cell.irMohm);
            }
        }
    }
    const int columns = std::max(1, int(map.groups.size()));
    const double titleHeight = area.height() * 0.06;
    const double headHeight = area.height() * 0.05;
    const double width = area.width() / columns;
    const double height = (area.height() - titleHeight - headHeight) / std::max(1, rows);
    painter.save();
    painter.fillRect(area, Qt::white);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::max(4, int(titleHeight * 0.45)));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), area.top(), area.width(), titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, map.title);
    // Where a cell's resistance stands in the pack, 0 to 1.
    const auto placeOf = [&](const Cell& cell) {
        return std::isfinite(cell.irMohm) && hi > lo ? (cell.irMohm - lo) / (hi - lo) : 0.5;
    };
    // The words of a cell, the same for measuring and drawing.
    const auto linesOf = [&](const Cell& cell) {
        QString ir = std::isfinite(cell.irMohm)
                         ? QStringLiteral("%1 mOhm %2")
                               .arg(QString::number(cell.irMohm, 'f', 1), Band(placeOf(cell)))
                         : QStringLiteral("no IR");
        if (!cell.verdict.isEmpty()) {
            ir += u' ' + cell.verdict;
        }
        return QStringList{cell.id, Csv::Number(cell.capacityMah) + QStringLiteral(" mAh"), ir};
    };
    // One size for every cell, small enough for the widest line to fit its box on this device.
    QFont small = font;
    constexpr int Probe = 100;
    small.setPixelSize(Probe);
    const QFontMetricsF metrics(small, painter.device());
    double widest = 1;
    for (const auto& group : map.groups) {
        for (const Cell& cell : group) {
            for (const QString& line : linesOf(cell)) {
                widest = std::max(widest, metrics.horizontalAdvance(line));
            }
        }
    }
    const double fits = Probe * (width - 8) * 0.95 / widest;
    small.setPixelSize(std::max(3, int(std::min(height / 3.6, fits))));
    for (int g = 0; g < map.groups.size(); ++g) {
        const double x = area.left() + g * width;
        painter.setFont(font);
        painter.drawText(QRectF(x, area.top() + titleHeight, width, headHeight), Qt::AlignCenter,
                         QStringLiteral("Group %1").arg(g + 1));
        painter.setFont(small);
        for (int k = 0; k < map.groups[g].size(); ++k) {
            const Cell& cell = map.groups[g][k];
            const QRectF box(x + 1, area.top() + titleHeight + headHeight + k * height + 1,
                             width - 2, height - 2);
            painter.fillRect(box,
                             std::isfinite(cell.irMohm) ? Shade(placeOf(cell)) : QColor(Qt::white));
            painter.setPen(Qt::black);
            painter.drawRect(box);
            painter.drawText(box, Qt::AlignCenter, linesOf(cell).join(u'\n'));
        }
    }
    painter.restore();
}

bool Write(const QString& path, const Map& map, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    int rows = 0;
    for (const auto& group : map.groups) {
        rows = std::max(rows, int(group.size()));
    }
    if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        const QSize size(std::max(640, int(map.groups.size()) * 130),
                         std::max(480, 120 + rows * 60));
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        Render(painter, QRectF(QPointF(0, 0), QSizeF(size)), map);
        painter.end();
        if (!image.save(&file, "PNG")) {
            error = QStringLiteral("the picture could not be written");
            return false;
        }
    } else {
        QPdfWriter writer(&file);
        writer.setTitle(map.title);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4),
                        map.groups.size() > rows ? QPageLayout::Landscape : QPageLayout::Portrait,
                        QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = QStringLiteral("the PDF could not be started");
            return false;
        }
        Render(painter, QRectF(0, 0, writer.width(), writer.height()), map);
        painter.end();
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace PackMap
