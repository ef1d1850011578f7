#pragma once

#include <QString>
#include <QVector>
#include <optional>

// A closed range of values, min <= value <= max.
struct Window {
    double min = 0;
    double max = 0;
    bool contains(double value) const { return value >= min && value <= max; }
    bool operator==(const Window&) const = default;
};

// A named bin: values above the previous bin's edge, up to and including this one's.
struct Bin {
    QString name;
    double upTo = 0;  // +inf for an open last bin
    bool operator==(const Bin&) const = default;
};

// The limits for one cell model, kept in the inventory under its name. Every limit is optional:
// a profile without limits passes every cell that has a resistance and a voltage.
struct Profile {
    enum class BinOn { Resistance, Voltage };

    QString name;
    // Resistance in milliohms: PASS at or below irPass, FAIL above irFail, WARN in between.
    // With only one of them there is no WARN band.
    std::optional<double> irPass;
    std::optional<double> irFail;
    // Voltage in volts: PASS inside voltPass, WARN outside it but inside voltWarn, FAIL
    // outside both. Without voltWarn, outside voltPass fails.
    std::optional<Window> voltPass;
    std::optional<Window> voltWarn;
    // Voltage lost per day since the cell's first measurement, in mV/day; above it fails.
    std::optional<double> selfDischargeMax;
    BinOn binOn = BinOn::Resistance;
    QVector<Bin> bins;  // in rising order of upTo
    QString notes;

    // Why the profile cannot be used (an inverted window, irPass above irFail, bins out of
    // order, an empty or repeated bin name); empty when it is sound.
    QString problem() const;
    // The bin of a value, or empty when it falls above the last edge, no bins are set or the
    // value is not a number.
    QString binOf(double value) const;

    bool operator==(const Profile&) const = default;

    // Example profiles for the manual and a first start: examples, not a chemistry's truth.
    static QVector<Profile> Examples();
};

// "resistance" or "voltage", and back; null for anything else.
QString BinOnName(Profile::BinOn on);
std::optional<Profile::BinOn> ParseBinOn(const QString& name);
