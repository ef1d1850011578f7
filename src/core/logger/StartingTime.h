#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

// The starting time a person types for a logger set, "yyyy/mm/dd hh:nn:ss" or looser: each field
// is the number at the start of its text, so "5/1/2 3:4:5" reads as 2005/01/02 03:04:05.
namespace StartingTime {

QString Prompt();  // two lines: what to type and its pattern
QString Title();
QString Refusal();  // shown when an answer is refused, before asking again

// The stamp "yyyy/mm/dd hh:nn:ss" of an answer, or null when it is refused: fewer than two "/"
// followed by two ":", or fields that name no real date or time (month 13, minute 75,
// 30 February). Each field is the digits at the start of its text ("+5", "-1" and "x" are 0,
// "2.5" and "2e3" are 2). A year, month or day of zero is taken from `today`; a year up to 12 is
// read as 2000 plus that year.
std::optional<QString> Parse(QStringView answer, const QDate& today);

}  // namespace StartingTime
