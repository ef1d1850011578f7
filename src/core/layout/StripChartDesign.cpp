#include "core/layout/StripChartDesign.h"

const StripChartDesign& StripChartDesign::ohm() {
    static const StripChartDesign design{
        Reading::Ohm,
        QStringLiteral("RealTimeX"),
        QStringLiteral("Real Time Graph - (m) Ohm "),
        Placement::PanelLeft,
        7200,
        5865,
        1800,
        3000,
        4,
        2.0,
        false,
        {1.0 / 4, 1.0 / 2, 3.0 / 4},
        QStringLiteral("----"),
    };
    return design;
}

const StripChartDesign& StripChartDesign::volt() {
    static const StripChartDesign design{
        Reading::Volt,
        QStringLiteral("RealTimeY"),
        QStringLiteral("Real Time Graph - Voltage "),
        Placement::PanelRight,
        7200,
        5865,
        4395,
        5865,
        8,
        4.0,
        true,
        {1.0 / 8, 7.0 / 8, 3.0 / 4, 5.0 / 8, 1.0, 3.0 / 8, 1.0 / 4},
        QStringLiteral("-OL"),
    };
    return design;
}

QString StripChartDesign::unitCaption(bool milliOhm) const {
    if (reading == Reading::Volt) {
        return QStringLiteral("Voltage");
    }
    return milliOhm ? QStringLiteral("mOhm") : QStringLiteral("Ohm");
}

QString StripChartDesign::readingText(const Meter& meter) const {
    return reading == Reading::Ohm ? meter.OhmText : meter.VoltText;
}

int StripChartDesign::scaleMin(const Meter& meter) const {
    return reading == Reading::Ohm ? meter.GraphOhmMin : meter.GraphVoltMin;
}

int StripChartDesign::scaleMax(const Meter& meter) const {
    return reading == Reading::Ohm ? meter.GraphOhmMax : meter.GraphVoltMax;
}
