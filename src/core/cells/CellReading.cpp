#include "core/cells/CellReading.h"

#include <QRegularExpression>

#include "core/meter/Decode.h"
#include "core/state/State.h"
#include "platform/TextRules.h"

namespace {

// One count of a four-digit text with `digits` before the point: 10^(digits - 4) in its unit.
double countSize(int digits) {
    return std::pow(10.0, digits - 4);
}

}  // namespace

std::optional<double> CellReading::TextValue(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    if (!plain.match(text).hasMatch()) {
        return std::nullopt;
    }
    return TextRules::LeadingNumber(text);
}

CellReading CellReading::FromMeter(const Meter& meter) {
    CellReading reading;
    reading.ohmText = meter.OhmText;
    reading.ohmUnit = meter.MilliOhmUnit ? QStringLiteral("mOhm") : QStringLiteral("Ohm");
    reading.voltText = meter.VoltText;
    reading.rangeCode = meter.RangeCode;
    const double toMilliohms = meter.MilliOhmUnit ? 1.0 : 1000.0;
    reading.ohmCount = countSize(int(meter.OhmDigits)) * toMilliohms;
    reading.voltCount = countSize(int(meter.VoltDigits));
    if (const auto ohm = TextValue(meter.OhmText)) {
        reading.milliohms = *ohm * toMilliohms;
    }
    if (const auto volt = TextValue(meter.VoltText)) {
        reading.volts = *volt;
    }
    return reading;
}

CellReading CellReading::FromTexts(const QString& ohmText, const QString& voltText, int rangeCode) {
    Meter meter;
    DecodeStatus(meter, quint8(rangeCode & 7));
    meter.OhmText = ohmText;
    meter.VoltText = voltText;
    return FromMeter(meter);
}
