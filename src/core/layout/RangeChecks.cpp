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
    const bool refused = in.firstRow <= 0 || in.lastRow <= in.firstRow ||
                         in.lastRow - in.firstRow + 1 > s.PlotRowCount ||
                         in.ohmTop <= in.ohmBottom || in.ohmTop > s.PlotOhmLimitMax ||
                         in.ohmBottom < s.PlotOhmLimitMin || in.voltTop <= in.voltBottom ||
                         in.voltTop > s.PlotVoltLimitMax || in.voltBottom < s.PlotVoltLimitMin;
    return !refused;
}
