#include "core/layout/DataPlot.h"

#include <cfloat>
#include <cmath>

#include "platform/GridModel.h"
#include "platform/TextRules.h"

namespace DataPlot {

namespace {

QString single(float value) {
    return TextRules::GeneralNumber(value, 7);
}

// The number at the start of a text as a single float; nothing when it does not fit one.
std::optional<float> singleValue(QStringView text) {
    const double value = TextRules::LeadingNumber(text);
    if (std::fabs(value) > FLT_MAX) {
        return std::nullopt;
    }
    return float(value);
}

// A fraction of the span, in single floats as the scale is kept, so that a reading equal to
// the top lands exactly on the top line.
std::optional<double> fraction(float offset, float span) {
    if (span == 0) {
        return std::nullopt;
    }
    const float f = offset / span;
    if (!std::isfinite(f)) {
        return std::nullopt;
    }
    return f;
}

// A grid row addressed by a single float, rounded as the grid rounds it.
const QStringList* rowAt(const GridModel& grid, double row) {
    const double r = TextRules::RoundHalfEven(row);
    if (!(r >= 0 && r < grid.Rows())) {
        return nullptr;
    }
    return &grid.row(int(r));
}

QStringView cellOf(const QStringList& cells, int col) {
    return col < cells.size() ? QStringView(cells.at(col)) : QStringView();
}

// Bottom .. top onto the middle line .. the top line; below pinned to the middle line, above
// drawn just over the top line.
std::optional<double> upperHalfY(float value, float top, float bottom) {
    const std::optional<double> f = fraction(value - bottom, top - bottom);
    if (!f) {
        return std::nullopt;
    }
    const double y = MiddleY - (MiddleY - TopY) * *f;
    if (y > MiddleY) {
        return MiddleY;
    }
    if (y < TopY) {
        return AboveTopY;
    }
    return y;
}

QString beyond(const FileTransfer& s, const GridModel& grid) {
    return QStringLiteral("rows %1 to %2 are beyond the file's %3 records")
        .arg(single(s.PlotFirstRow), single(s.PlotLastRow))
        .arg(grid.Rows() - 1);
}

// Why the reading of record `row` in `column` could not be scaled.
QString unscalable(const char* quantity, float top, float bottom, double row, QStringView text) {
    if (top == bottom) {
        return QStringLiteral("the %1 scale %2 to %3 has no span")
            .arg(QLatin1String(quantity), single(bottom), single(top));
    }
    return QStringLiteral("the %1 \"%2\" of record %3 is too large to plot")
        .arg(QLatin1String(quantity), text.toString(), TextRules::GeneralNumber(row));
}

}  // namespace

ValueLabels valueLabels(const FileTransfer& s) {
    ValueLabels labels;
    labels.LblValTop = single(s.PlotOhmTop);
    labels.LblValMid = single((s.PlotOhmTop + s.PlotOhmBottom) / 2);
    labels.Lbl0 = single(s.PlotOhmBottom);
    labels.UpTop = single(s.PlotVoltTop);
    labels.UpMid = single((s.PlotVoltTop + s.PlotVoltBottom) / 2);
    labels.Up0 = single(s.PlotVoltBottom);
    labels.MidUp = single(-(s.PlotVoltTop + s.PlotVoltBottom) / 2);
    labels.TopUp = single(-s.PlotVoltTop);
    return labels;
}

std::optional<double> ohmY(QStringView text, float top, float bottom) {
    if (text == u"OL") {
        return AboveTopY;
    }
    const std::optional<float> r = singleValue(text);
    if (!r) {
        return std::nullopt;
    }
    return upperHalfY(*r, top, bottom);
}

std::optional<double> voltY(QStringView text, float top, float bottom) {
    if (text == u"OL") {
        return AboveTopY;
    }
    if (text == u"-OL") {
        return BelowBottomY;
    }
    const std::optional<float> v = singleValue(text);
    if (!v) {
        return std::nullopt;
    }
    if (*v >= 0) {
        return upperHalfY(*v, top, bottom);
    }
    const std::optional<double> f = fraction(*v + bottom, top - bottom);
    if (!f) {
        return std::nullopt;
    }
    const double y = MiddleY - (MiddleY - TopY) * *f;
    if (y < MiddleY) {
        return MiddleY;
    }
    if (y > BottomY) {
        return BelowBottomY;
    }
    return y;
}

double middleRow(double firstRow, double lastRow) {
    return std::trunc(TextRules::RoundHalfEven(firstRow + lastRow) / 2);
}

Plot build(const FileTransfer& s, const GridModel& grid) {
    Plot plot;
    plot.labels = valueLabels(s);
    if (!(s.PlotPointCount >= 2)) {
        plot.ok = true;
        return plot;
    }

    const QStringList* first = rowAt(grid, s.PlotFirstRow);
    const QStringList* middle = rowAt(grid, middleRow(s.PlotFirstRow, s.PlotLastRow));
    const QStringList* last = rowAt(grid, s.PlotLastRow);
    if (!first || !middle || !last) {
        plot.failure = beyond(s, grid);
        return plot;
    }
    plot.LblT1 = cellOf(*first, TimeColumn).toString();
    plot.LblT2 = cellOf(*middle, TimeColumn).toString();
    plot.LblT3 = cellOf(*last, TimeColumn).toString();
    plot.LblFun1 = grid.text(0, OhmColumn);
    plot.LblFun2 = grid.text(0, VoltColumn);
    plot.curves = true;

    // Segments join rows i and i + 1 for i = PlotFirstRow up to PlotLastRow - 1; the end of one
    // is the start of the next, so each curve is one polyline of segments + 1 points.
    const double lastStart = double(s.PlotLastRow) - 1;
    if (!(lastStart >= s.PlotFirstRow)) {
        plot.ok = true;
        return plot;
    }
    const double segments = std::floor(lastStart - s.PlotFirstRow) + 1;
    if (segments >= grid.Rows()) {
        plot.failure = beyond(s, grid);  // reaches beyond the grid whatever the first row
        return plot;
    }
    const float step = 4000.0f / (s.PlotPointCount - 1);
    const int points = int(segments) + 1;
    plot.ohm.reserve(points);
    plot.volt.reserve(points);
    for (int j = 0; j < points; ++j) {
        const QStringList* cells = rowAt(grid, double(s.PlotFirstRow) + j);
        if (!cells) {
            plot.failure = beyond(s, grid);
            return plot;
        }
        const double row = double(s.PlotFirstRow) + j;
        const std::optional<double> ohm =
            ohmY(cellOf(*cells, OhmColumn), s.PlotOhmTop, s.PlotOhmBottom);
        if (!ohm) {
            plot.failure = unscalable("resistance", s.PlotOhmTop, s.PlotOhmBottom, row,
                                      cellOf(*cells, OhmColumn));
            return plot;
        }
        const std::optional<double> volt =
            voltY(cellOf(*cells, VoltColumn), s.PlotVoltTop, s.PlotVoltBottom);
        if (!volt) {
            plot.failure = unscalable("voltage", s.PlotVoltTop, s.PlotVoltBottom, row,
                                      cellOf(*cells, VoltColumn));
            return plot;
        }
        const double x = LeftX + double(step) * j;
        plot.ohm.append(QPointF(x, *ohm));
        plot.volt.append(QPointF(x, *volt));
    }
    plot.ok = true;
    return plot;
}

}  // namespace DataPlot
