#include "core/cells/Profile.h"

#include <QSet>
#include <cmath>
#include <limits>

QString Profile::problem() const {
    if (name.trimmed().isEmpty()) {
        return QStringLiteral("the profile has no name");
    }
    if (irPass && irFail && *irPass > *irFail) {
        return QStringLiteral("the pass resistance is above the fail resistance");
    }
    if ((irPass && !(*irPass >= 0)) || (irFail && !(*irFail >= 0))) {
        return QStringLiteral("a resistance limit is below 0");
    }
    if (voltPass && !(voltPass->min <= voltPass->max)) {
        return QStringLiteral("the pass voltage window ends below its start");
    }
    if (voltWarn && !(voltWarn->min <= voltWarn->max)) {
        return QStringLiteral("the warn voltage window ends below its start");
    }
    if (voltPass && voltWarn && (voltWarn->min > voltPass->min || voltWarn->max < voltPass->max)) {
        return QStringLiteral("the warn voltage window does not hold the pass window");
    }
    if (selfDischargeMax && !(*selfDischargeMax >= 0)) {
        return QStringLiteral("the self-discharge limit is below 0");
    }
    QSet<QString> names;
    for (qsizetype i = 0; i < bins.size(); ++i) {
        const Bin& bin = bins.at(i);
        if (bin.name.trimmed().isEmpty()) {
            return QStringLiteral("a bin has no name");
        }
        if (names.contains(bin.name)) {
            return QStringLiteral("the bin name \"%1\" is used twice").arg(bin.name);
        }
        names.insert(bin.name);
        if (std::isnan(bin.upTo) || (i > 0 && !(bins.at(i - 1).upTo < bin.upTo))) {
            return QStringLiteral("the bin edges are not in rising order");
        }
    }
    return QString();
}

QString Profile::binOf(double value) const {
    if (std::isnan(value)) {
        return QString();
    }
    for (const Bin& bin : bins) {
        if (value <= bin.upTo) {
            return bin.name;
        }
    }
    return QString();
}

QVector<Profile> Profile::Examples() {
    constexpr double Open = std::numeric_limits<double>::infinity();
    Profile liIon;
    liIon.name = QStringLiteral("Example 18650 Li-ion");
    liIon.irPass = 60;
    liIon.irFail = 100;
    liIon.voltPass = Window{3.5, 4.2};
    liIon.voltWarn = Window{3.0, 4.25};
    liIon.selfDischargeMax = 10;
    liIon.bins = {
        {QStringLiteral("A"), 40}, {QStringLiteral("B"), 60}, {QStringLiteral("C"), Open}};
    liIon.notes = QStringLiteral("An example to adapt to your cells, not a datasheet.");

    Profile lfp;
    lfp.name = QStringLiteral("Example LiFePO4 prismatic");
    lfp.irPass = 1.0;
    lfp.irFail = 2.0;
    lfp.voltPass = Window{3.2, 3.4};
    lfp.voltWarn = Window{2.8, 3.65};
    lfp.selfDischargeMax = 5;
    lfp.binOn = BinOn::Voltage;
    lfp.bins = {{QStringLiteral("Low"), 3.28},
                {QStringLiteral("Mid"), 3.31},
                {QStringLiteral("High"), Open}};
    lfp.notes = liIon.notes;
    return {liIon, lfp};
}

QString BinOnName(Profile::BinOn on) {
    return on == Profile::BinOn::Voltage ? QStringLiteral("voltage") : QStringLiteral("resistance");
}

std::optional<Profile::BinOn> ParseBinOn(const QString& name) {
    if (name == u"resistance") {
        return Profile::BinOn::Resistance;
    }
    if (name == u"voltage") {
        return Profile::BinOn::Voltage;
    }
    return std::nullopt;
}
