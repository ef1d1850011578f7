#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

// The text rules every part of the program shares. None of them depends on the desktop's
// locale: numbers are written and read with "." whatever the user's language.
namespace TextRules {

// The number at the start of a text: leading blanks skipped, an optional sign, digits with at
// most one decimal point and an optional exponent; 0 when the text starts with no number.
double LeadingNumber(QStringView text);
// The digits at the start of a text, leading blanks skipped, up to the first other character
// (no sign, point or exponent); empty when there are none, which counts as 0.
QStringView LeadingDigits(QStringView text);

// Rounds to a whole number, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
double RoundHalfEven(double value);

// General number format: no trailing zeros, a decimal point only when needed. `digits` is the
// number of significant digits kept (7 for single floats, 15 for doubles).
QString GeneralNumber(double value, int digits = 15);

// A value with one decimal, rounded half away from zero. `leadingZero` false gives ".5" for
// 0.5 (the "#.0" pattern); true gives "0.5" (the "0.0" pattern).
QString OneDecimal(double value, bool leadingZero);

// ISO 8601 with milliseconds and the time's offset: "2021-07-01T10:20:30.250+02:00".
QString IsoTime(const QDateTime& time);

// Time stamps "yyyy/mm/dd hh:nn:ss": 10 characters of date, a blank, 8 of time.
QString FormatStamp(const QDateTime& time);
std::optional<QDateTime> ParseStamp(QStringView stamp);
QString StampDate(QStringView stamp);  // characters 1-10
QString StampTime(QStringView stamp);  // characters 12-19
// Adds whole seconds to a stamp; an unreadable stamp comes back unchanged.
QString AddSeconds(QStringView stamp, qint64 seconds);

// A stamp advanced step after step, each step giving what AddSeconds gives on the stamp before
// it. The stamp is read once: a list of thousands of readings is stamped without reading each
// stamp back from its text.
class StampStepper {
  public:
    explicit StampStepper(QStringView start);
    const QString& stamp() const { return stamp_; }
    void advance(qint64 seconds);

  private:
    std::optional<QDateTime> time_;  // null once the stamp cannot be read
    QString stamp_;
};

}  // namespace TextRules
