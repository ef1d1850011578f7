#include "core/logger/StartingTime.h"

#include <QDateTime>
#include <QTime>

#include "platform/TextRules.h"

namespace StartingTime {

namespace {

// A field's digits written with leading zeros and cut to the last `width` ("0000" + 5 gives
// "0005", 123 in two digits gives "23"); a field with no digits is 0.
int Field(const QString& text, int width) {
    QString padded(width, u'0');
    padded += TextRules::LeadingDigits(text);
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
    const int year = Field(a.left(p1), 4);
    const int month = Field(a.mid(p1 + 1, p2 - p1), 2);
    const int day = Field(a.mid(p2 + 1, 2), 2);
    const int hour = Field(a.mid(p3 - 2, 2), 2);
    const int minute = Field(a.mid(p3 + 1, p4 - p3), 2);
    const int second = Field(a.mid(p4 + 1, 2), 2);
    int y = year == 0 ? today.year() : year;
    if (y <= 12) {
        y += 2000;
    }
    const QDate date(y, month == 0 ? today.month() : month, day == 0 ? today.day() : day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    // A wall-clock text with no zone: kept in UTC so that no summer-time gap can move it.
    return TextRules::FormatStamp(QDateTime(date, time, Qt::UTC));
}

}  // namespace StartingTime
