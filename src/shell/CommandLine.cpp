#include "shell/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

#include "platform/ComMap.h"
#include "platform/HelpText.h"
#include "shell/Port.h"
#include "shell/ToolbarCommands.h"
#include "windows/common/App.h"

namespace {

constexpr const char* Program = "kelvomark";

// Options that QApplication takes from the command line itself; only their names are known
// here, so that the program does not refuse them.
QList<QCommandLineOption> qtOptions() {
    QList<QCommandLineOption> options;
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "geometry", "icon", "title", "name", "display", "session",
          "style", "stylesheet", "qmljsdebugger"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(option);
    }
    for (const char* name :
         {"reverse", "testability", "widgetcount", "qdevel", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(option);
    }
    return options;
}

const char* const Epilogue = R"(
COM numbers:
  COM n stands for the device that the variable KELVOMARK_COM<n> names, for
  example KELVOMARK_COM1=/dev/serial/by-id/usb-FTDI_..._port0; the other numbers
  go to the system's serial devices, USB adapters (ttyUSB*, ttyACM*) first.

Exit status:
  0 when the main window is closed, or after --help and --version; 1 when the
  chosen port cannot be opened or there is no display; 2 for a bad command line.
)";

}  // namespace

QStringList CommandLine::arguments(int argc, char* argv[]) {
    QStringList list;
    for (int i = 0; i < argc; ++i) {
        list.append(QString::fromLocal8Bit(argv[i]));
    }
    return list;
}

QString CommandLine::version() {
    return QStringLiteral(KELVOMARK_VERSION);
}

CommandLine CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Kelvomark reads a handheld battery meter (internal resistance and voltage) over\n"
        "its serial link: it shows the live reading, records it into TAB-separated .Kmk\n"
        "files, draws live strip charts, downloads the meter's data logger, and opens,\n"
        "plots, saves and prints lists of readings. It starts with the COM Port window;\n"
        "its No Meter button opens the main window with no port, to view files."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Shows the program's version and ends."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Chooses this port in the COM Port window: COM1 to COM16, or a serial "
                       "device's path (as /dev/ttyUSB0, a /dev/serial/by-id link, or ttyUSB0). "
                       "A device that no COM number stands for gets the lowest free number."),
        QStringLiteral("COMn|PATH"));
    parser.addOptions({help, versionOption, port});
    parser.addOptions(qtOptions());
    parser.addPositionalArgument(
        QStringLiteral("FILE.Kmk"),
        QStringLiteral("Recordings or saved lists to open, each in a list of its own, once the "
                       "main window is open (No Meter suits this)."),
        QStringLiteral("[FILE.Kmk...]"));

    CommandLine line;
    if (!parser.parse(arguments)) {
        line.text = parser.errorText();
        if (line.text.endsWith(u'.')) {
            line.text.chop(1);
        }
        return line;
    }
    if (parser.isSet(help)) {
        line.outcome = Outcome::Help;
        line.text = HelpText::withProgramName(parser.helpText(), QString::fromLatin1(Program)) +
                    QString::fromLatin1(Epilogue);
        return line;
    }
    if (parser.isSet(versionOption)) {
        line.outcome = Outcome::Version;
        line.text = QStringLiteral("Kelvomark %1\n").arg(version());
        return line;
    }
    if (parser.isSet(port)) {
        line.port = PortChoice::request(parser.value(port), ComMap::current());
        if (line.port.number == 0) {
            line.text = QStringLiteral("--port: %1").arg(line.port.error);
            return line;
        }
    }
    line.platform = parser.value(QStringLiteral("platform"));
    for (const QString& file : parser.positionalArguments()) {
        line.files.append(QFileInfo(file).absoluteFilePath());
    }
    line.outcome = Outcome::Run;
    return line;
}

QString CommandLine::displayMissing(const QProcessEnvironment& environment) const {
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty() ||
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty()) {
        return QString();
    }
    const QString named =
        platform.isEmpty() ? environment.value(QStringLiteral("QT_QPA_PLATFORM")) : platform;
    // Qt tries each of "wayland;xcb" in turn, and "xcb:option=value" carries options. Any
    // other platform (offscreen, vnc, eglfs ...) needs no display server; none named is xcb.
    for (const QString& name : named.split(u';', Qt::SkipEmptyParts)) {
        const QString base = name.section(u':', 0, 0).trimmed();
        if (!base.startsWith(QLatin1String("xcb")) && !base.startsWith(QLatin1String("wayland"))) {
            return QString();
        }
    }
    return QStringLiteral(
               "%1: no display (DISPLAY and WAYLAND_DISPLAY are unset); kelvomark-cli works "
               "without one")
        .arg(QString::fromLatin1(Program));
}

int CommandLine::finish() const {
    switch (outcome) {
        case Outcome::Help:
        case Outcome::Version:
            std::fputs(qPrintable(text), stdout);
            return 0;
        case Outcome::Error:
            std::fprintf(stderr, "%s: %s; see %s --help\n", Program, qPrintable(text), Program);
            return 2;
        case Outcome::Run:
            break;
    }
    return 0;
}

void StartProgram(App& app, const CommandLine& line) {
    if (line.port.pin) {
        qputenv(ComMap::variableName(line.port.number).toLocal8Bit(), line.port.path.toLocal8Bit());
    }
    Port& port = app.windows().get<Port>();
    if (line.port.number != 0) {
        port.preselect(line.port.number);
    }
    if (!line.files.isEmpty()) {
        QObject::connect(&port, &Port::mainWindowOpened, &app,
                         [&app, files = line.files] { OpenFiles(app, files); });
    }
    port.show();
}
