#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// Reading the simulator's own command line and files: whole numbers in decimal or 0x hex
// (a leading 0 is not octal), seconds as decimals with ".", on and off switches.
namespace SimText {

std::optional<qint64> Integer(QStringView text, qint64 min, qint64 max);
// Seconds with "." as decimal point, whatever the locale; returned in milliseconds.
std::optional<qint64> SecondsAsMs(QStringView text, double maxSeconds);
std::optional<bool> OnOff(QStringView text);

// The words of one line of a simulator file, with the comment from "#" on removed.
QStringList Words(const QString& line);

}  // namespace SimText
