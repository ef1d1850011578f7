#include "core/layout/RangeChecks.h"

#include "platform/TextRules.h"

namespace {

// Rounding may bring two different typed ends onto one whole number (1.2 and 1.4 both give
// 1); the charts cannot scale on such a span.
bool emptyOnceRounded(double min, double max) {
    return TextRules::RoundHalfEven(min) >= TextRules::RoundHalfEven(max);
}

}  // namespace

QString CheckGraphRange(const GraphRangeInput& in, const Meter& m) {
    const QString tail = QStringLiteral(", try again!");
    if (in.ohmMax > m.OhmLimitMax || in.ohmMin < m.OhmLimitMin) {
        return QString::number(m.OhmLimitMin) + QStringLiteral(" <= (m)Ohm <= ") +
               QString::number(m.OhmLimitMax) + tail;
    }
    if (in.voltMax > m.VoltLimitMax || in.voltMin < m.VoltLimitMin) {
        return QString::number(m.VoltLimitMin) + QStringLiteral(" <= voltage <= ") +
               QString::number(m.VoltLimitMax) + tail;
    }
    if (in.ohmMin >= in.ohmMax || in.voltMin >= in.voltMax ||
        emptyOnceRounded(in.ohmMin, in.ohmMax) || emptyOnceRounded(in.voltMin, in.voltMax)) {
        return QStringLiteral("Invalid, try again!");
    }
    if (in.counts < MinCounts || in.counts > MaxCounts) {
        return QStringLiteral("10 <= Counts <= ") + QString::number(MaxCounts) + tail;
    }
    return QString();
}

QString PlotRangeRefusal() {
    return QStringLiteral("Invalid, Try again!");
}

bool PlotRangeAccepted(const PlotRangeInput& in, const FileTransfer& s) {
    return PlotRangeProblem(in, s).isEmpty();
}

QString PlotRangeProblem(const PlotRangeInput& in, const FileTransfer& s) {
    const auto n = [](float value) { return TextRules::GeneralNumber(value, 7); };
    const QString rows = QStringLiteral("rows %1 to %2").arg(n(in.firstRow), n(in.lastRow));
    if (in.firstRow <= 0) {
        return rows + QStringLiteral(": records are numbered from 1");
    }
    if (in.lastRow <= in.firstRow) {
        return rows + QStringLiteral(": the first must be below the last");
    }
    if (in.lastRow - in.firstRow + 1 > s.PlotRowCount) {
        return rows + QStringLiteral(" are %1 records, more than the file's %2")
                          .arg(n(in.lastRow - in.firstRow + 1), n(s.PlotRowCount));
    }
    struct Scale {
        const char* name;
        float bottom, top, limitMin, limitMax;
    };
    const Scale scales[] = {
        {"resistance", in.ohmBottom, in.ohmTop, s.PlotOhmLimitMin, s.PlotOhmLimitMax},
        {"voltage", in.voltBottom, in.voltTop, s.PlotVoltLimitMin, s.PlotVoltLimitMax}};
    for (const Scale& scale : scales) {
        const QString named = QStringLiteral("the %1 scale %2 to %3")
                                  .arg(QLatin1String(scale.name), n(scale.bottom), n(scale.top));
        if (scale.top <= scale.bottom) {
            return named + QStringLiteral(": the middle value must be below the top");
        }
        if (scale.top > scale.limitMax || scale.bottom < scale.limitMin) {
            return named + QStringLiteral(" is beyond the file's range, %1 to %2")
                               .arg(n(scale.limitMin), n(scale.limitMax));
        }
    }
    return QString();
}
