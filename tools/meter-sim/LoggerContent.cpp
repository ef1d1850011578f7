#include "LoggerContent.h"

#include <QFile>
#include <QStringList>
#include <cmath>
#include <numbers>

#include "SimText.h"

namespace {

quint16 Wrapped(qint64 count) {
    return quint16(count & 0xffff);
}

LoggerDump::Set MakeSet(quint8 sampling, quint8 status, int count, const RecordPattern& pattern) {
    return {sampling, pattern.records(count, status)};
}

}  // namespace

QVector<LoggerDump::Record> RecordPattern::records(int count, quint8 status) const {
    QVector<LoggerDump::Record> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        qint64 o = ohm;
        qint64 v = volt;
        if (kind == Ramp) {
            o += qint64(ohmStep) * i;
            v += qint64(voltStep) * i;
        } else if (kind == Wave) {
            const double phase = std::sin(2.0 * std::numbers::pi * i / period);
            o += std::lround(ohmStep * phase);
            v -= std::lround(voltStep * phase);
        }
        out.append({Wrapped(o), Wrapped(v), status});
    }
    return out;
}

LoggerContent LoggerContent::Demo() {
    LoggerContent c;
    c.sets = {
        MakeSet(10, 0x03, 12, {RecordPattern::Ramp, 1850, 3912, 3, -2}),
        MakeSet(10, 0x06, 25, {RecordPattern::Ramp, 1234, 1262, 1, -1}),
        MakeSet(60, 0x01, 8, {RecordPattern::Ramp, 150, 1480, 2, -3}),
    };
    return c;
}

LoggerContent LoggerContent::Full() {
    // E = 8 + 5 × sets + 5 × records = 48133 bytes: N = 65281, 4 bytes below the top.
    LoggerContent c;
    c.sets = {
        MakeSet(1, 0x03, 9000, {RecordPattern::Wave, 1850, 3800, 400, 150, 600}),
        MakeSet(10, 0x02, 400, {RecordPattern::Ramp, 1200, 3800, 1, -1}),
        MakeSet(60, 0x07, 150, {RecordPattern::Wave, 2000, 1250, 200, 50, 50}),
        MakeSet(255, 0x00, 71, {RecordPattern::Const, 12, 380}),
    };
    return c;
}

std::optional<LoggerContent> LoggerContent::Load(const QString& what, QString* error) {
    if (what == u"empty") {
        return Empty();
    }
    if (what == u"demo") {
        return Demo();
    }
    if (what == u"full") {
        return Full();
    }
    QFile file(what);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("%1: %2").arg(what, file.errorString());
        return std::nullopt;
    }
    auto content = Parse(QString::fromUtf8(file.readAll()), error);
    if (!content) {
        *error = QStringLiteral("%1: %2").arg(what, *error);
    }
    return content;
}

std::optional<LoggerContent> LoggerContent::Parse(const QString& text, QString* error) {
    LoggerContent content;
    qint64 length = LoggerDump::build({}, false).size();
    const bool read = SimText::ReadLines(text, error, [&](const QStringList& w, int) -> QString {
        if (w.at(0) == u"endmarker") {
            const auto on = w.size() == 2 ? SimText::OnOff(w.at(1)) : std::nullopt;
            if (!on) {
                return QStringLiteral("usage: endmarker on|off");
            }
            content.endMarker = *on;
            return QString();
        }
        const auto number = [&](int index, qint64 min, qint64 max) {
            return index < w.size() ? SimText::Integer(w.at(index), min, max) : std::nullopt;
        };
        const auto sampling = number(0, 0, 255);
        const auto status = number(1, 0, 255);
        const auto count = number(2, 0, 65535);
        if (w.size() < 3 || !sampling || !status || !count) {
            return QStringLiteral(
                "usage: <sampling 0..255> <status 0..255> <records> [const|ramp|wave ...]");
        }
        RecordPattern pattern;
        if (w.size() > 3) {
            struct PatternRow {
                const char* name;
                RecordPattern::Kind kind;
                int numbers;
                const char* usage;
            };
            static const PatternRow rows[] = {
                {"const", RecordPattern::Const, 2, "const OHM VOLT"},
                {"ramp", RecordPattern::Ramp, 4, "ramp OHM VOLT OHMSTEP VOLTSTEP"},
                {"wave", RecordPattern::Wave, 5, "wave OHM VOLT OHMSWING VOLTSWING PERIOD"},
            };
            const auto row = std::find_if(
                std::begin(rows), std::end(rows),
                [&](const PatternRow& r) { return w.at(3) == QLatin1StringView(r.name); });
            if (row == std::end(rows)) {
                return QStringLiteral("unknown pattern \"%1\"").arg(w.at(3));
            }
            std::optional<qint64> n[5];
            for (int k = 0; k < row->numbers; ++k) {
                // Counts 0..65535; steps and swings may be negative; a period of at least 1.
                const bool isCount = k < 2;
                const bool isPeriod = k == 4;
                n[k] = number(4 + k, isCount ? 0 : (isPeriod ? 1 : -9999), isCount ? 65535 : 9999);
            }
            const bool allRead =
                std::all_of(n, n + row->numbers, [](const auto& v) { return bool(v); });
            if (w.size() != 4 + row->numbers || !allRead) {
                return QStringLiteral("usage: ... %1").arg(QString::fromLatin1(row->usage));
            }
            pattern.kind = row->kind;
            pattern.ohm = int(*n[0]);
            pattern.volt = int(*n[1]);
            pattern.ohmStep = row->numbers > 2 ? int(*n[2]) : 0;
            pattern.voltStep = row->numbers > 3 ? int(*n[3]) : 0;
            pattern.period = row->numbers > 4 ? int(*n[4]) : 1;
        }
        // N is two bytes: the whole dump must stay below 65536 - 17148 bytes.
        length += 5 + 5 * *count;
        if (length + 4 + LoggerDump::AddressBase > 0xFFFF) {
            return QStringLiteral("the logger would hold more than its end address can tell");
        }
        content.sets.append(MakeSet(quint8(*sampling), quint8(*status), int(*count), pattern));
        return QString();
    });
    if (!read) {
        return std::nullopt;
    }
    return content;
}