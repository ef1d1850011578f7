#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

// Reading the simulator's own command line and files: whole numbers in decimal or 0x hex
// (a leading 0 is not octal), seconds as decimals with ".", on and off switches.
namespace SimText {

std::optional<qint64> Integer(QStringView text, qint64 min, qint64 max);
// A finite decimal with "." as decimal point, whatever the locale, in min..max.
std::optional<double> Decimal(QStringView text, double min, double max);
// Seconds with "." as decimal point, whatever the locale; returned in milliseconds.
std::optional<qint64> SecondsAsMs(QStringView text, double maxSeconds);
std::optional<bool> OnOff(QStringView text);

// The words of one line of a simulator file, with the comment from "#" on removed.
QStringList Words(const QString& line);

// Reads a simulator file: calls `read` with the words and number of each line that has words,
// until it returns an error. False with "line N: <error>" in `error` then.
bool ReadLines(const QString& text, QString* error,
               const std::function<QString(const QStringList& words, int line)>& read);

}  // namespace SimText
