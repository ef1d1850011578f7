#include "SimText.h"

#include <QRegularExpression>
#include <cmath>

namespace SimText {

std::optional<qint64> Integer(QStringView text, qint64 min, qint64 max) {
    bool ok = false;
    qint64 value = 0;
    const bool negative = text.startsWith(u'-');
    const QStringView digits = negative ? text.mid(1) : text;
    if (digits.startsWith(u"0x", Qt::CaseInsensitive)) {
        const QStringView hex = digits.mid(2);
        if (!hex.isEmpty() && hex.front().isLetterOrNumber()) {
            value = hex.toLongLong(&ok, 16);
        }
    } else if (!digits.isEmpty() && digits.front().isDigit()) {
        value = digits.toLongLong(&ok, 10);
    }
    if (!ok) {
        return std::nullopt;
    }
    if (negative) {
        value = -value;
    }
    if (value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> SecondsAsMs(QStringView text, double maxSeconds) {
    bool ok = false;
    // QString::toDouble always reads "." as the decimal point.
    const double seconds = text.toString().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > maxSeconds) {
        return std::nullopt;
    }
    return qint64(std::llround(seconds * 1000.0));
}

std::optional<bool> OnOff(QStringView text) {
    if (text == u"on") {
        return true;
    }
    if (text == u"off") {
        return false;
    }
    return std::nullopt;
}

QStringList Words(const QString& line) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const qsizetype hash = line.indexOf(u'#');
    const QString text = hash < 0 ? line : line.left(hash);
    return text.split(blanks, Qt::SkipEmptyParts);
}

}  // namespace SimText
