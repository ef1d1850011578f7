#include "platform/TextRules.h"

#include <cstdio>

#include <charconv>
#include <cmath>
#include <string>

namespace TextRules {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype skipBlanks(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    return i;
}

}  // namespace

double LeadingNumber(QStringView text) {
    qsizetype i = skipBlanks(text);
    const qsizetype n = text.size();
    std::string number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') {
            number += '-';
        }
        ++i;
    }
    bool anyDigit = false;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            number += char(c.unicode());
        } else if (c == u'.' && !point) {
            point = true;
            number += '.';
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return 0.0;
    }
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            exponent += char(text[j].unicode());
            ++j;
        }
        const qsizetype digitsStart = j;
        // Every digit of the exponent counts: "1e0000001" is 10.
        while (j < n && isDigit(text[j])) {
            exponent += char(text[j].unicode());
            ++j;
        }
        if (j > digitsStart) {
            number += exponent;
        }
    }
    // from_chars, not strtod: strtod reads the decimal point of LC_NUMERIC, which Qt takes from
    // the desktop's language (a German desktop reads "12.5" as 12), and is several times slower.
    double value = 0.0;
    const std::from_chars_result read =
        std::from_chars(number.data(), number.data() + number.size(), value);
    return read.ec == std::errc() ? value : 0.0;  // 0 beyond a double, either way
}

QStringView LeadingDigits(QStringView text) {
    const qsizetype from = skipBlanks(text);
    qsizetype to = from;
    while (to < text.size() && isDigit(text[to])) {
        ++to;
    }
    return text.mid(from, to - from);
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5) {
        return floor + 1.0;
    }
    if (diff < 0.5) {
        return floor;
    }
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

QString GeneralNumber(double value, int digits) {
    if (value == 0.0 || !std::isfinite(value)) {
        return QStringLiteral("0");
    }
    QString text = QString::number(value, 'g', digits);
    // Plain notation where it is short enough to read, as a person would write the value.
    const double magnitude = std::fabs(value);
    if (text.contains(u'e') && magnitude >= 1e-4 && magnitude < 1e15) {
        text = QString::number(value, 'f', digits);
        if (text.contains(u'.')) {
            while (text.endsWith(u'0')) {
                text.chop(1);
            }
            if (text.endsWith(u'.')) {
                text.chop(1);
            }
        }
    }
    return text;
}

QString IsoTime(const QDateTime& time) {
    // Written field by field: a million stamps of an export are a fifth of its time through
    // QDateTime::toString.
    const QDate date = time.date();
    const QTime clock = time.time();
    const int offset = time.offsetFromUtc();
    const int minutes = qAbs(offset) / 60;
    if (time.isValid() && date.year() >= 0 && date.year() <= 9999) {
        // The usual stamp, digit by digit: printf is most of its cost.
        QString text(29, Qt::Uninitialized);
        QChar* at = text.data();
        const auto digits = [&at](int value, int count) {
            for (int i = count - 1; i >= 0; --i) {
                at[i] = QChar(char16_t(u'0' + value % 10));
                value /= 10;
            }
            at += count;
        };
        const auto put = [&at](char16_t c) { *at++ = QChar(c); };
        digits(date.year(), 4);
        put(u'-');
        digits(date.month(), 2);
        put(u'-');
        digits(date.day(), 2);
        put(u'T');
        digits(clock.hour(), 2);
        put(u':');
        digits(clock.minute(), 2);
        put(u':');
        digits(clock.second(), 2);
        put(u'.');
        digits(clock.msec(), 3);
        put(offset < 0 ? u'-' : u'+');
        digits(minutes / 60, 2);
        put(u':');
        digits(minutes % 60, 2);
        return text;
    }
    char text[48];
    const int size = std::snprintf(
        text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", date.year(),
        date.month(), date.day(), clock.hour(), clock.minute(), clock.second(), clock.msec(),
        offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return QString::fromLatin1(text, qMax(0, qMin(size, int(sizeof text) - 1)));
}

QString OneDecimal(double value, bool leadingZero) {
    const double rounded = std::round(value * 10.0) / 10.0;
    QString text = QString::number(rounded, 'f', 1);
    if (!leadingZero) {
        if (text.startsWith(QStringLiteral("0."))) {
            text.remove(0, 1);
        } else if (text.startsWith(QStringLiteral("-0."))) {
            text.remove(1, 1);
        }
    }
    return text;
}

QString FormatStamp(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

std::optional<QDateTime> ParseStamp(QStringView stamp) {
    if (stamp.size() != 19) {
        return std::nullopt;
    }
    // Stamps are wall-clock texts with no zone: they are read and stepped in UTC so that a
    // change to or from summer time never skips, repeats or refuses an hour.
    const QDate date = QDate::fromString(stamp.left(10).toString(), QStringLiteral("yyyy/MM/dd"));
    const QTime time = QTime::fromString(stamp.mid(11).toString(), QStringLiteral("HH:mm:ss"));
    if (stamp[10] != u' ' || !date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    return QDateTime(date, time, Qt::UTC);
}

QString StampDate(QStringView stamp) {
    return stamp.left(10).toString();
}

QString StampTime(QStringView stamp) {
    return stamp.mid(11, 8).toString();
}

QString AddSeconds(QStringView stamp, qint64 seconds) {
    const auto time = ParseStamp(stamp);
    if (!time) {
        return stamp.toString();
    }
    return FormatStamp(time->addSecs(seconds));
}

StampStepper::StampStepper(QStringView start)
    : time_(ParseStamp(start)), stamp_(start.toString()) {}

void StampStepper::advance(qint64 seconds) {
    if (!time_) {
        return;
    }
    *time_ = time_->addSecs(seconds);
    stamp_ = FormatStamp(*time_);
    // Past the year 9999 the text no longer reads back as a stamp, and stays as it is.
    if (stamp_.size() != 19) {
        time_.reset();
    }
}

}  // namespace TextRules
