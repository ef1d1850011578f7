#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

struct Meter;

// A live reading as `kelvomark-cli read` prints it: the time, the resistance and voltage texts as
// the main window shows them, their units, the ranges and the status flags.
namespace ReadingFormat {

enum class Format { Text, Tsv, Json };
std::optional<Format> Parse(const QString& name);

// ISO 8601 with milliseconds and the local offset: "2021-07-01T10:20:30.250+02:00".
QString IsoTime(const QDateTime& time);
// "mOhm" or "Ohm".
QString OhmUnit(const Meter& meter);
// The value of a reading's text; null for "OL", "-OL", "----" and anything else that is not a
// plain number.
std::optional<double> Value(const QString& text);

QString Line(const Meter& meter, const QDateTime& time, Format format);

}  // namespace ReadingFormat
