#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "CellList.h"
#include "LoggerContent.h"
#include "Scenario.h"
#include "SignalWatcher.h"
#include "SimOptions.h"
#include "Simulator.h"

namespace {

int Fail(const QString& message, int code) {
    std::fprintf(stderr, "kelvomark-sim: %s\n", qPrintable(message));
    return code;
}

}  // namespace

// Exit codes: 0 after SIGTERM, SIGINT, SIGHUP or a scenario's quit; 1 when the pseudo-terminal
// or the link cannot be made; 2 for a bad command line, scenario, logger or cell file.
int main(int argc, char* argv[]) {
    // Before Qt starts any thread: the end signals are read from a signalfd.
    SignalWatcher::BlockSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvomark-sim"));

    SimOptions options;
    const SimOptions::Parsed parsed = SimOptions::Parse(QCoreApplication::arguments(), options);
    if (parsed.outcome == SimOptions::Outcome::Help) {
        std::fputs(qPrintable(parsed.text), stdout);
        return 0;
    }
    if (parsed.outcome == SimOptions::Outcome::Error) {
        return Fail(parsed.text + QStringLiteral("\nTry --help."), 2);
    }

    QVector<Scenario::Event> events;
    if (!options.scenario.isEmpty()) {
        QFile file(options.scenario);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            return Fail(QStringLiteral("%1: %2").arg(options.scenario, file.errorString()), 2);
        }
        QString error;
        const auto parsedEvents = Scenario::Parse(QString::fromUtf8(file.readAll()), &error);
        if (!parsedEvents) {
            return Fail(QStringLiteral("%1: %2").arg(options.scenario, error), 2);
        }
        events = *parsedEvents;
    }
    if (options.sorting()) {
        // The session makes the reading; a scenario may only disturb the line.
        for (const Scenario::Event& event : std::as_const(events)) {
            if (Scenario::SetsReading(event.command)) {
                return Fail(QStringLiteral("%1: line %2: with --sort a scenario cannot set the "
                                           "reading")
                                .arg(options.scenario)
                                .arg(event.line),
                            2);
            }
        }
    }
    QVector<SimCell> cells;
    if (options.sorting() && !options.randomCells()) {
        QString error;
        const auto loaded = CellList::Load(options.sort, &error);
        if (!loaded) {
            return Fail(error, 2);
        }
        cells = *loaded;
    }

    QString error;
    std::optional<LoggerContent> logger = LoggerContent::Load(options.logger, &error);
    if (!logger) {
        return Fail(error, 2);
    }
    logger->endMarker = logger->endMarker && options.loggerEndMarker;

    SignalWatcher signalWatcher;
    if (!signalWatcher.isValid()) {
        return Fail(QStringLiteral("cannot watch the end signals"), 1);
    }
    QObject::connect(&signalWatcher, &SignalWatcher::caught, &app, &QCoreApplication::quit);

    Simulator simulator(options, events, *logger, cells);
    QObject::connect(&simulator, &Simulator::quitRequested, &app, &QCoreApplication::quit);
    if (!simulator.start(&error)) {
        return Fail(error, 1);
    }
    std::printf("%s\n", qPrintable(simulator.devicePath()));
    std::fflush(stdout);
    return app.exec();
}
