#include "platform/HelpText.h"

QString HelpText::withProgramName(QString help, const QString& program) {
    // "Usage: <path> [options] ..."
    const QString usage = QStringLiteral("Usage: ");
    if (!help.startsWith(usage)) {
        return help;
    }
    const qsizetype start = usage.size();
    qsizetype end = help.indexOf(u' ', start);
    const qsizetype lineEnd = help.indexOf(u'\n', start);
    if (end < 0 || (lineEnd >= 0 && lineEnd < end)) {
        end = lineEnd < 0 ? help.size() : lineEnd;
    }
    return help.replace(start, end - start, program);
}
