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

    SoakRun::Options options;
    bool ok = true;
    options.minutes = parser.value(minutes).toInt(&ok);
    bool ok2 = true;
    options.periodMs = parser.value(period).toInt(&ok2);
    bool ok3 = true;
    options.sampleEveryMs = parser.value(every).toInt(&ok3) * 1000;
    if (!ok || !ok2 || !ok3 || options.minutes < 1 || options.periodMs < 1 ||
        options.sampleEveryMs < 1000) {
        std::fprintf(stderr,
                     "kelvomark-soak: minutes, period and sample-every must be whole "
                     "numbers of at least 1\n");
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
