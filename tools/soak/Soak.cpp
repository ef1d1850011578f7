// kelvomark-soak [--minutes N] [--period MS]: the program on the simulator for a long run; see
// SoakRun.h. Exit code 0 when every check passed.

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "SoakRun.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Runs Kelvomark on the meter simulator."));
    parser.addHelpOption();
    const QCommandLineOption minutes(QStringLiteral("minutes"),
                                     QStringLiteral("Length of the run."), QStringLiteral("N"),
                                     QStringLiteral("30"));
    const QCommandLineOption period(QStringLiteral("period"),
                                    QStringLiteral("Milliseconds between live packets."),
                                    QStringLiteral("MS"), QStringLiteral("1"));
    const QCommandLineOption every(QStringLiteral("sample-every"),
                                   QStringLiteral("Seconds between two notes of memory and files."),
                                   QStringLiteral("S"), QStringLiteral("60"));
    parser.addOptions({minutes, period, every});
    parser.process(application);

    // A whole number from 1 to `most`, or 0.
    const auto number = [&parser](const QCommandLineOption& option, int most) {
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        return ok && value >= 1 && value <= most ? value : 0;
    };
    SoakRun::Options options;
    options.minutes = number(minutes, 35000);  // about three weeks: the timer counts int ms
    options.periodMs = number(period, 60000);
    options.sampleEveryMs = number(every, 3600) * 1000;
    if (options.minutes == 0 || options.periodMs == 0 || options.sampleEveryMs == 0) {
        std::fprintf(stderr,
                     "kelvomark-soak: --minutes (up to 35000), --period (ms, up to 60000) and "
                     "--sample-every (s, up to 3600) take whole numbers of at least 1\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("KELVOMARK_SIM")) {
        qputenv("KELVOMARK_SIM", KELVOMARK_SIM_DEFAULT);
    }

    SoakRun run(options);
    int status = 1;
    QObject::connect(&run, &SoakRun::done, &application, [&status](int s) {
        status = s;
        QCoreApplication::quit();
    });
    if (!run.start()) {
        return 1;
    }
    QApplication::exec();
    return status;
}
