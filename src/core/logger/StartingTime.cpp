#include "core/logger/StartingTime.h"

#include <QDateTime>
#include <QTime>
#include <cmath>

#include "platform/TextRules.h"

namespace StartingTime {

namespace {

// A field's number written with leading zeros and cut to its last `width` digits ("0000" + 5
// gives "0005", 123 in two digits gives "23"); null when it is not a whole number of 0 or more.
std::optional<int> Field(const QString& text, int width) {
    const double value = TextRules::LeadingNumber(text);
    if (!(value >= 0) || value != std::floor(value) || value > 1e9) {
        return std::nullopt;
    }
    const QString padded = QString(width, u'0') + QString::number(qint64(value));
    return padded.right(width).toInt();
}

}  // namespace

QString Prompt() {
    return QStringLiteral("Enter the STARTING TIME of recording") + QStringLiteral("\r\n") +
           QStringLiteral(" (yyyy/mm/dd hh:nn:ss) ");
}

QString Title() {
    return QStringLiteral("Input Starting Time");
}

QString Refusal() {
    return QStringLiteral("Invalid, comply with the data format properly") + QStringLiteral("\r\n");
}

std::optional<QString> Parse(QStringView answer, const QDate& today) {
    const QString a = answer.toString();
    const qsizetype p1 = a.indexOf(u'/');
    const qsizetype p2 = p1 < 0 ? -1 : a.indexOf(u'/', p1 + 1);
    const qsizetype p3 = p2 < 0 ? -1 : a.indexOf(u':', p2 + 1);
    const qsizetype p4 = p3 < 0 ? -1 : a.indexOf(u':', p3 + 1);
    if (p4 < 0) {
        return std::nullopt;
    }
    // Month and minute run up to their separator; day and second are the two characters after
    // theirs, the hour the two before the first ":".
    const auto year = Field(a.left(p1), 4);
    const auto month = Field(a.mid(p1 + 1, p2 - p1), 2);
    const auto day = Field(a.mid(p2 + 1, 2), 2);
    const auto hour = Field(a.mid(p3 - 2, 2), 2);
    const auto minute = Field(a.mid(p3 + 1, p4 - p3), 2);
    const auto second = Field(a.mid(p4 + 1, 2), 2);
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    int y = *year == 0 ? today.year() : *year;
    if (y <= 12) {
        y += 2000;
    }
    const QDate date(y, *month == 0 ? today.month() : *month, *day == 0 ? today.day() : *day);
    const QTime time(*hour, *minute, *second);
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    // A wall-clock text with no zone: kept in UTC so that no summer-time gap can move it.
    return TextRules::FormatStamp(QDateTime(date, time, Qt::UTC));
}

}  // namespace StartingTime
