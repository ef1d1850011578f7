#pragma once

#include <QString>
#include <cmath>
#include <limits>
#include <optional>

struct Meter;

// One decoded reading as the capture machine sees it: numbers in fixed units whatever the range
// (milliohms, volts), the texts the meter showed beside them, and the size of one count, which
// the settling tolerance and the display need.
struct CellReading {
    static constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

    double milliohms = NaN;  // NaN for "OL" and "----": the probes are open
    double volts = NaN;      // NaN for "OL" and "-OL"
    QString ohmText;         // "38.20", "OL", "----"
    QString ohmUnit;         // "mOhm" or "Ohm"
    QString voltText;        // "3.912", "-0.012", "OL", "-OL"
    int rangeCode = 0;       // status byte mod 8: resistance range (bits 0-1), voltage (bit 2)
    double ohmCount = 0;     // one count of the resistance range, in milliohms (0.01 to 10)
    double voltCount = 0;    // one count of the voltage range, in volts (0.001 or 0.01)

    bool hasOhm() const { return !std::isnan(milliohms); }
    bool hasVolt() const { return !std::isnan(volts); }

    // The reading the meter holds now (its texts and ranges as Decode left them).
    static CellReading FromMeter(const Meter& meter);
    // A reading from a resistance text in a unit, a voltage text and the range code, as tests and
    // the simulator's files write them.
    static CellReading FromTexts(const QString& ohmText, const QString& voltText, int rangeCode);

    // The value of a display text; null for "OL", "-OL", "----" and anything else that is not a
    // plain number ("-?digits[.digits]").
    static std::optional<double> TextValue(const QString& text);
};
