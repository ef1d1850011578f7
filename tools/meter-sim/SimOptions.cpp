#include "SimOptions.h"

#include <QCommandLineParser>
#include <algorithm>
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
        QStringLiteral("seven, silent, short or endless (LOGGER FAULTS in the man page)."),
        QStringLiteral("KIND"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the noise and the garbage bytes."),
                                  QStringLiteral("N"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Tells on stderr what the meter does."));
    parser.addOptions({help, version, link, period, status, ohm, volt, drift, scenario, logger,
                       noEndMarker, byteUs, fault, seed, verbose});

    Parsed result;
    if (!parser.parse(arguments)) {
        result.text = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        const QString text =
            HelpText::withProgramName(parser.helpText(), QStringLiteral("kelvomark-sim"));
        return {Outcome::Help, text + QStringLiteral("\nExit status:\n"
                                                     "  0 after SIGTERM, SIGINT, SIGHUP or a "
                                                     "scenario's quit; 1 when the\n"
                                                     "  pseudo-terminal or the link cannot be "
                                                     "made; 2 for a bad command line,\n"
                                                     "  scenario or logger file.\n")};
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
        !number(seed, 0, 0xffffffffLL, options.seed)) {
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
    result.outcome = Outcome::Run;
    return result;
}
