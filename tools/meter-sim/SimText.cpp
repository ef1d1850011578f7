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

std::optional<double> Decimal(QStringView text, double min, double max) {
    bool ok = false;
    // QString::toDouble always reads "." as the decimal point.
    const double value = text.toString().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> SecondsAsMs(QStringView text, double maxSeconds) {
    const auto seconds = Decimal(text, 0.0, maxSeconds);
    if (!seconds) {
        return std::nullopt;
    }
    return qint64(std::llround(*seconds * 1000.0));
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

bool ReadLines(const QString& text, QString* error,
               const std::function<QString(const QStringList& words, int line)>& read) {
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList words = Words(lines.at(i));
        if (words.isEmpty()) {
            continue;
        }
        const QString problem = read(words, i + 1);
        if (!problem.isEmpty()) {
            *error = QStringLiteral("line %1: %2").arg(i + 1).arg(problem);
            return false;
        }
    }
    return true;
}

}  // namespace SimText
