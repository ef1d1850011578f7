#include "SimOptions.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cmath>
#include <type_traits>

#include "SimText.h"
#include "platform/HelpText.h"

SimOptions::Parsed SimOptions::Parse(const QStringList& arguments, SimOptions& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Behaves like the battery meter on a pseudo-terminal: live packets, "
                       "scenarios of faults, the data logger's dump.\n"
                       "Prints the device path as the first line of its output."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the simulator's version."));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also makes a symlink PATH to the device."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption period(
        QStringLiteral("period"),
        QStringLiteral("Milliseconds between live packets (default 250; 0: none)."),
        QStringLiteral("MS"));
    const QCommandLineOption status(QStringLiteral("status"),
                                    QStringLiteral("Fixed status byte, decimal or 0x.. ."),
                                    QStringLiteral("N"));
    const QCommandLineOption ohm(QStringLiteral("ohm"), QStringLiteral("Fixed resistance count."),
                                 QStringLiteral("COUNT"));
    const QCommandLineOption volt(QStringLiteral("volt"), QStringLiteral("Fixed voltage count."),
                                  QStringLiteral("COUNT"));
    const QCommandLineOption drift(
        QStringLiteral("drift"),
        QStringLiteral("Drifting battery even with --status (in the ranges it selects)."));
    const QCommandLineOption scenario(QStringLiteral("scenario"),
                                      QStringLiteral("Timed events from FILE."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption logger(
        QStringLiteral("logger"),
        QStringLiteral("What the data logger holds: empty, demo (default), full or a logger "
                       "file."),
        QStringLiteral("CONTENT"));
    const QCommandLineOption noEndMarker(QStringLiteral("logger-no-endmarker"),
                                         QStringLiteral("No EndMarker after the last set."));
    const QCommandLineOption byteUs(
        QStringLiteral("byte-us"),
        QStringLiteral("Microseconds per logger byte (default 1042: 9600 baud; 0: as fast as "
                       "possible)."),
        QStringLiteral("N"));
    const QCommandLineOption fault(
        QStringLiteral("logger-fault"),
        QStringLiteral("seven, silent, short or endless (see the README)."),
        QStringLiteral("KIND"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the noise and the garbage bytes."),
                                  QStringLiteral("N"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Tells on stderr what the meter does."));
    const QCommandLineOption sort(
        QStringLiteral("sort"),
        QStringLiteral("Plays a sorting session: touches of the cells in FILE (one a line: "
                       "milliohms, volts, an optional label), or of random 18650 cells."),
        QStringLiteral("FILE|random"));
    const QCommandLineOption openMs(
        QStringLiteral("open-ms"),
        QStringLiteral("Sorting: milliseconds the probes are open between cells (default "
                       "1500)."),
        QStringLiteral("MS"));
    const QCommandLineOption bounce(
        QStringLiteral("bounce"),
        QStringLiteral("Sorting: readings that jump as a touch begins (default 3)."),
        QStringLiteral("N"));
    const QCommandLineOption holdMs(
        QStringLiteral("hold-ms"),
        QStringLiteral("Sorting: milliseconds the probes hold still on a cell (default 2000)."),
        QStringLiteral("MS"));
    const QCommandLineOption cells(
        QStringLiteral("cells"),
        QStringLiteral("Sorting: stop after N touches, going round the file as needed; then "
                       "the probes stay open (default: the file once; random: no end)."),
        QStringLiteral("N"));
    const QCommandLineOption openShows(
        QStringLiteral("open-shows"),
        QStringLiteral("Sorting: what open probes show: OL (default), ---- or mixed (the two "
                       "in turn)."),
        QStringLiteral("TEXT"));
    parser.addOptions({help,    version,  link,   period,      status, ohm,   volt,
                       drift,   scenario, logger, noEndMarker, byteUs, fault, seed,
                       verbose, sort,     openMs, bounce,      holdMs, cells, openShows});

    Parsed result;
    if (!parser.parse(arguments)) {
        result.text = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        const QString text =
            HelpText::withProgramName(parser.helpText(), QStringLiteral("kelvomark-sim"));
        return {Outcome::Help,
                text +
                    QStringLiteral(
                        "\nSorting:\n"
                        "  With --sort the probes are open (\"OL\"), a touch bounces for\n"
                        "  --bounce readings, holds still on the cell for --hold-ms, is lifted\n"
                        "  for --open-ms, and the next cell follows. A cell file has one cell\n"
                        "  a line: \"<milliohms> <volts> [label]\", such as \"38.2 3.912 B-07\";\n"
                        "  # starts a comment. Random cells (seeded by --seed) are used 18650s:\n"
                        "  20..90 mOhm, 3.0..4.2 V. The ranges are the smallest that show the\n"
                        "  cell. A scenario may add line events (silence, misframe, garbage,\n"
                        "  burst, restart, quit), not readings.\n") +
                    QStringLiteral("\nExit status:\n"
                                   "  0 after SIGTERM, SIGINT, SIGHUP or a "
                                   "scenario's quit; 1 when the\n"
                                   "  pseudo-terminal or the link cannot be "
                                   "made; 2 for a bad command line,\n"
                                   "  scenario, logger or cell file.\n")};
    }
    if (parser.isSet(version)) {
        return {Outcome::Help, QStringLiteral("kelvomark-sim %1\n").arg(KELVOMARK_VERSION)};
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.text = QStringLiteral("unexpected argument \"%1\"")
                          .arg(parser.positionalArguments().constFirst());
        return result;
    }

    // Reads a numeric option into `target`; false with the error set when it is no number.
    const auto number = [&](const QCommandLineOption& option, qint64 min, qint64 max,
                            auto& target) {
        if (!parser.isSet(option)) {
            return true;
        }
        const QString text = parser.value(option);
        const auto value = SimText::Integer(text, min, max);
        if (!value) {
            result.text = QStringLiteral("--%1: \"%2\" is not a number in %3..%4")
                              .arg(option.names().constLast(), text)
                              .arg(min)
                              .arg(max);
            return false;
        }
        target = std::remove_cvref_t<decltype(target)>(*value);
        return true;
    };
    if (!number(period, 0, 3600000, options.periodMs) || !number(status, 0, 255, options.status) ||
        !number(ohm, 0, 65535, options.ohm) || !number(volt, 0, 65535, options.volt) ||
        !number(byteUs, 0, 10000000, options.byteUs) ||
        !number(seed, 0, 0xffffffffLL, options.seed) ||
        !number(openMs, 1, 3600000, options.openMs) || !number(bounce, 0, 1000, options.bounce) ||
        !number(holdMs, 1, 3600000, options.holdMs) ||
        !number(cells, 1, 100000000, options.cells)) {
        return result;
    }
    options.link = parser.value(link);
    options.drift = parser.isSet(drift);
    options.scenario = parser.value(scenario);
    if (parser.isSet(logger)) {
        options.logger = parser.value(logger);
    }
    options.loggerEndMarker = !parser.isSet(noEndMarker);
    options.verbose = parser.isSet(verbose);
    if (parser.isSet(fault)) {
        static const std::pair<const char*, LoggerFault> faults[] = {
            {"seven", LoggerFault::Seven},
            {"silent", LoggerFault::Silent},
            {"short", LoggerFault::Short},
            {"endless", LoggerFault::Endless},
        };
        const QString kind = parser.value(fault);
        const auto it = std::find_if(std::begin(faults), std::end(faults), [&](const auto& f) {
            return kind == QLatin1StringView(f.first);
        });
        if (it == std::end(faults)) {
            result.text =
                QStringLiteral("--logger-fault: \"%1\" is not seven, silent, short or endless")
                    .arg(kind);
            return result;
        }
        options.loggerFault = it->second;
    }
    options.sort = parser.value(sort);
    if (parser.isSet(openShows)) {
        const QString text = parser.value(openShows);
        if (text.compare(u"OL", Qt::CaseInsensitive) == 0) {
            options.openShows = SortSession::OpenShows::Overload;
        } else if (text == u"----") {
            options.openShows = SortSession::OpenShows::NoReading;
        } else if (text == u"mixed") {
            options.openShows = SortSession::OpenShows::Mixed;
        } else {
            result.text = QStringLiteral("--open-shows: \"%1\" is not OL, ---- or mixed").arg(text);
            return result;
        }
    }
    if (options.sorting()) {
        // The session makes the reading: a fixed or drifting one would be silently lost.
        for (const QCommandLineOption* o : {&status, &ohm, &volt, &drift}) {
            if (parser.isSet(*o)) {
                result.text = QStringLiteral("--sort and --%1 cannot be used together")
                                  .arg(o->names().constLast());
                return result;
            }
        }
        if (options.periodMs == 0) {
            result.text = QStringLiteral("--sort needs live packets: --period above 0");
            return result;
        }
    } else {
        for (const QCommandLineOption* o : {&openMs, &bounce, &holdMs, &cells, &openShows}) {
            if (parser.isSet(*o)) {
                result.text = QStringLiteral("--%1 needs --sort").arg(o->names().constLast());
                return result;
            }
        }
    }
    result.outcome = Outcome::Run;
    return result;
}

SortSession::Timing SimOptions::sortTiming() const {
    const auto readings = [&](int ms) {
        return std::max(1, int(std::lround(double(ms) / std::max(1, periodMs))));
    };
    return {readings(openMs), bounce, readings(holdMs)};
}
