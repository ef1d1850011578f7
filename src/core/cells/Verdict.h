#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct Profile;

// The one home of limits and verdicts: every window, command and report judges a cell here.
enum class Verdict { Pass, Warn, Fail };

QString VerdictName(Verdict verdict);  // "PASS", "WARN", "FAIL"
std::optional<Verdict> ParseVerdict(const QString& name);

struct Judgement {
    Verdict verdict = Verdict::Pass;
    // One text per limit crossed, resistance first, then voltage and self-discharge:
    // "IR 72.4 mOhm above 70", "Voltage 2.512 V below 2.8", "Self-discharge 14.2 mV/day above
    // 10", "IR not measured", "Voltage not measured".
    QStringList reasons;
    QString bin;  // empty: no bin
};

// Judges a capture (milliohms and volts, NaN when not measured) against a profile. The
// self-discharge in mV/day is given when the cell was measured on an earlier day.
Judgement Judge(const Profile& profile, double milliohms, double volts,
                std::optional<double> selfDischargeMvPerDay = std::nullopt);

// A value as reasons and reports write it: six significant digits at most, "." decimals, no
// trailing zeros ("72.4", "12.34", "1234").
QString LimitNumber(double value);
