#pragma once

#include <QString>

// The --help texts of the command-line programs, which their manual pages are made from.
namespace HelpText {

// Qt's help with its usage line naming `program` instead of the path the program was started
// by, so that the text and the manual page read the same wherever it is installed.
QString withProgramName(QString help, const QString& program);

}  // namespace HelpText
