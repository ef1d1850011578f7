#include "cli/ReadingFormat.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include "core/cells/CellReading.h"
#include "core/records/RecordFormat.h"
#include "core/state/State.h"
#include "platform/TextRules.h"

namespace ReadingFormat {

namespace {

QStringList flags(const Meter& meter) {
    QStringList set;
    if (meter.OhmOverload) {
        set.append(QStringLiteral("ohm-overload"));
    }
    if (meter.VoltOverload) {
        set.append(QStringLiteral("volt-overload"));
    }
    if (meter.VoltNegative) {
        set.append(QStringLiteral("negative"));
    }
    if (meter.OhmNoReading) {
        set.append(QStringLiteral("no-reading"));
    }
    return set;
}

QJsonValue number(const QString& text) {
    const std::optional<double> value = Value(text);
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

}  // namespace

std::optional<Format> Parse(const QString& name) {
    if (name == u"text") {
        return Format::Text;
    }
    if (name == u"tsv") {
        return Format::Tsv;
    }
    if (name == u"json") {
        return Format::Json;
    }
    return std::nullopt;
}

QString IsoTime(const QDateTime& time) {
    return TextRules::IsoTime(time);
}

QString OhmUnit(const Meter& meter) {
    return meter.MilliOhmUnit ? QStringLiteral("mOhm") : QStringLiteral("Ohm");
}

std::optional<double> Value(const QString& text) {
    return CellReading::TextValue(text);
}

QString Line(const Meter& meter, const QDateTime& time, Format format) {
    const QString ohmRange = RecordFormat::ohmHeader(meter.OhmRange, meter.MilliOhmUnit);
    const QString voltRange = RecordFormat::voltHeader(meter.VoltRange);
    const QStringList set = flags(meter);
    switch (format) {
        case Format::Text: {
            QString line = IsoTime(time) + QStringLiteral("  ") + meter.OhmText + u' ' +
                           OhmUnit(meter) + QStringLiteral("  ") + meter.VoltText +
                           QStringLiteral(" V  ") + ohmRange + u' ' + voltRange;
            if (!set.isEmpty()) {
                line += QStringLiteral("  [") + set.join(u' ') + u']';
            }
            return line;
        }
        case Format::Tsv:
            return QStringList{IsoTime(time),
                               meter.OhmText,
                               OhmUnit(meter),
                               meter.VoltText,
                               QStringLiteral("V"),
                               ohmRange,
                               voltRange,
                               QString::number(meter.RangeCode),
                               set.isEmpty() ? QStringLiteral("-") : set.join(u',')}
                .join(u'\t');
        case Format::Json: {
            const QJsonObject object{
                {QStringLiteral("time"), IsoTime(time)},
                {QStringLiteral("ohm"), number(meter.OhmText)},
                {QStringLiteral("ohm_text"), meter.OhmText},
                {QStringLiteral("ohm_unit"), OhmUnit(meter)},
                {QStringLiteral("volt"), number(meter.VoltText)},
                {QStringLiteral("volt_text"), meter.VoltText},
                {QStringLiteral("volt_unit"), QStringLiteral("V")},
                {QStringLiteral("ohm_range"), ohmRange},
                {QStringLiteral("volt_range"), voltRange},
                {QStringLiteral("range_code"), meter.RangeCode},
                {QStringLiteral("ohm_overload"), meter.OhmOverload},
                {QStringLiteral("volt_overload"), meter.VoltOverload},
                {QStringLiteral("volt_negative"), meter.VoltNegative},
                {QStringLiteral("ohm_no_reading"), meter.OhmNoReading},
            };
            return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
        }
    }
    return QString();
}

}  // namespace ReadingFormat
