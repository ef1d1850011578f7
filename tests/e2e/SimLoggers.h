#pragma once

#include <QStringList>

// The set rows that the data-logger window lists for the simulator's built-in loggers: number,
// ranges, sampling seconds and record count, TAB-separated.
namespace SimLoggers {

// "demo": 248 bytes, so N = 17396 and 46.8K remain.
inline const QStringList DemoRows = {
    QStringLiteral("1\t40m Ohm\t4 Voltage\t10\t12"),
    QStringLiteral("2\t400m Ohm\t40 Voltage\t10\t25"),
    QStringLiteral("3\t4 Ohm\t4 Voltage\t60\t8"),
};

// "full": 48133 bytes, 0.0K remain.
inline const QStringList FullRows = {
    QStringLiteral("1\t40m Ohm\t4 Voltage\t1\t9000"),
    QStringLiteral("2\t400m Ohm\t4 Voltage\t10\t400"),
    QStringLiteral("3\t40m Ohm\t40 Voltage\t60\t150"),
    QStringLiteral("4\t40 Ohm\t4 Voltage\t255\t71"),
};

}  // namespace SimLoggers
