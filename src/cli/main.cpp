// kelvomark-cli: the meter without a desktop. Links Qt Core, SerialPort and SQL only; print and
// plot run kelvomark-render for their drawing.
#include <QCoreApplication>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Help.h"
#include "cli/SignalNotifier.h"

namespace {

Exit Dispatch(const QStringList& arguments, Console& console) {
    const QString first = arguments.value(0);
    if (arguments.isEmpty()) {
        console.message(
            QStringLiteral("a command is missing: ports, read, record, logger, print, "
                           "plot, sort or cells (kelvomark-cli --help tells more)"));
        return Exit::Usage;
    }
    if (first == u"-h" || first == u"--help") {
        Console::outBytes(Help::text(Help::programPage()).toUtf8());
        return Exit::Success;
    }
    if (first == u"--version") {
        Console::out(Help::programName() + u' ' + Help::version());
        return Exit::Success;
    }
    if (first == u"help") {
        const Help::Page* page =
            arguments.size() > 1 ? Help::pageFor(arguments.at(1)) : &Help::programPage();
        if (!page || arguments.size() > 2) {
            console.message(
                QStringLiteral("help: no command \"%1\"").arg(arguments.mid(1).join(u' ')));
            return Exit::Usage;
        }
        Console::outBytes(Help::text(*page).toUtf8());
        return Exit::Success;
    }
    const Help::Page* page = Help::pageFor(first);
    if (!page) {
        console.message(first.startsWith(u'-')
                            ? QStringLiteral("unknown option \"%1\" (kelvomark-cli --help tells "
                                             "more)")
                                  .arg(first)
                            : QStringLiteral("unknown command \"%1\": ports, read, record, logger, "
                                             "print, plot, sort or cells")
                                  .arg(first));
        return Exit::Usage;
    }
    const QStringList rest = arguments.mid(1);
    const Arguments parsed(*page, rest);
    if (!parsed.ok()) {
        console.message(first + QStringLiteral(": ") + parsed.error());
        return Exit::Usage;
    }
    if (parsed.wantsHelp()) {
        Console::outBytes(Help::text(*page).toUtf8());
        return Exit::Success;
    }
    SignalNotifier stopSignals;
    if (first == u"ports") {
        return RunPorts(parsed, console);
    }
    if (first == u"read") {
        return RunRead(parsed, console, stopSignals);
    }
    if (first == u"record") {
        return RunRecord(parsed, console, stopSignals);
    }
    if (first == u"logger") {
        return RunLogger(parsed, console, stopSignals);
    }
    if (first == u"sort") {
        return RunSort(parsed, console, stopSignals);
    }
    if (first == u"cells") {
        return RunCells(parsed, console);
    }
    return RunRender(first == u"print" ? RenderOptions::Kind::Print : RenderOptions::Kind::Plot,
                     rest, parsed, console, stopSignals);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvomark-cli"));
    QCoreApplication::setApplicationVersion(Help::version());
    Console console;
    return int(Dispatch(QCoreApplication::arguments().mid(1), console));
}
