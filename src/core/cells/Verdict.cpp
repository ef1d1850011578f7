#include "core/cells/Verdict.h"

#include <cmath>

#include "core/cells/Profile.h"
#include "platform/TextRules.h"

QString VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Pass:
            return QStringLiteral("PASS");
        case Verdict::Warn:
            return QStringLiteral("WARN");
        case Verdict::Fail:
            return QStringLiteral("FAIL");
    }
    return QString();
}

std::optional<Verdict> ParseVerdict(const QString& name) {
    for (const Verdict verdict : {Verdict::Pass, Verdict::Warn, Verdict::Fail}) {
        if (name == VerdictName(verdict)) {
            return verdict;
        }
    }
    return std::nullopt;
}

QString LimitNumber(double value) {
    // Six digits hide the binary fractions of decimal counts (1.234 Ohm is 1234.0000000000002
    // mOhm) and keep every digit the meter or a typed limit has.
    return TextRules::GeneralNumber(value, 6);
}

namespace {

void worsen(Judgement& judgement, Verdict verdict, const QString& reason) {
    if (int(verdict) > int(judgement.verdict)) {
        judgement.verdict = verdict;
    }
    judgement.reasons.append(reason);
}

}  // namespace

Judgement Judge(const Profile& profile, double milliohms, double volts,
                std::optional<double> selfDischargeMvPerDay) {
    Judgement judgement;
    if (std::isnan(milliohms)) {
        worsen(judgement, Verdict::Fail, QStringLiteral("IR not measured"));
    } else {
        const QString ir = QStringLiteral("IR ") + LimitNumber(milliohms) + QStringLiteral(" mOhm");
        if (profile.irFail && milliohms > *profile.irFail) {
            worsen(judgement, Verdict::Fail,
                   ir + QStringLiteral(" above ") + LimitNumber(*profile.irFail));
        } else if (profile.irPass && milliohms > *profile.irPass) {
            worsen(judgement, profile.irFail ? Verdict::Warn : Verdict::Fail,
                   ir + QStringLiteral(" above ") + LimitNumber(*profile.irPass));
        }
    }
    if (std::isnan(volts)) {
        worsen(judgement, Verdict::Fail, QStringLiteral("Voltage not measured"));
    } else if (profile.voltPass && !profile.voltPass->contains(volts)) {
        const QString v = QStringLiteral("Voltage ") + LimitNumber(volts) + QStringLiteral(" V");
        const bool inWarn = profile.voltWarn && profile.voltWarn->contains(volts);
        const Window& crossed = inWarn || !profile.voltWarn ? *profile.voltPass : *profile.voltWarn;
        const bool below = volts < crossed.min;
        worsen(judgement, inWarn ? Verdict::Warn : Verdict::Fail,
               v + (below ? QStringLiteral(" below ") : QStringLiteral(" above ")) +
                   LimitNumber(below ? crossed.min : crossed.max));
    } else if (!profile.voltPass && profile.voltWarn && !profile.voltWarn->contains(volts)) {
        const bool below = volts < profile.voltWarn->min;
        worsen(judgement, Verdict::Fail,
               QStringLiteral("Voltage ") + LimitNumber(volts) + QStringLiteral(" V") +
                   (below ? QStringLiteral(" below ") : QStringLiteral(" above ")) +
                   LimitNumber(below ? profile.voltWarn->min : profile.voltWarn->max));
    }
    if (selfDischargeMvPerDay && profile.selfDischargeMax &&
        *selfDischargeMvPerDay > *profile.selfDischargeMax) {
        worsen(judgement, Verdict::Fail,
               QStringLiteral("Self-discharge ") + LimitNumber(*selfDischargeMvPerDay) +
                   QStringLiteral(" mV/day above ") + LimitNumber(*profile.selfDischargeMax));
    }
    judgement.bin = profile.binOf(profile.binOn == Profile::BinOn::Voltage ? volts : milliohms);
    return judgement;
}
