#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "DesktopRig.h"
#include "core/port/PortChoice.h"
#include "platform/ComMap.h"
#include "platform/widgets/Grid.h"
#include "shell/CommandLine.h"
#include "tst_desktop.h"
#include "windows/graphs/PlotCommands.h"
#include "windows/records/FileList.h"

namespace {

using Outcome = CommandLine::Outcome;

// The opened-file lists on the screen, by caption.
QMap<QString, FileList*> shownFileLists() {
    QMap<QString, FileList*> lists;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* list = qobject_cast<FileList*>(window); list && list->isVisible()) {
            lists.insert(list->windowTitle(), list);
        }
    }
    return lists;
}

struct Ran {
    int status = -1;
    QString out;
    QString err;
};

// The real program, as a shell starts it, with no display at all unless `environment` says.
Ran runProgram(const QString& program, const QStringList& arguments,
               QProcessEnvironment environment = QProcessEnvironment::systemEnvironment(),
               const QString& folder = QString()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    Ran ran;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit) {
        ran.status = process.exitCode();
    }
    ran.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    ran.err = QString::fromLocal8Bit(process.readAllStandardError());
    return ran;
}

QProcessEnvironment withoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // A program that made its windows' application here would abort: xcb has no display.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

}  // namespace

void TestCommandLine::parse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("text");  // part of the help, version or error

    const auto row = [](const char* name, const QStringList& args, Outcome outcome, int port,
                        int files, const char* text) {
        QTest::newRow(name) << (QStringList{QStringLiteral("kelvomark")} + args) << int(outcome)
                            << port << files << QString::fromLatin1(text);
    };
    row("nothing", {}, Outcome::Run, 0, 0, "");
    row("--help", {"--help"}, Outcome::Help, 0, 0, "--port <COMn|PATH>");
    row("-h", {"-h"}, Outcome::Help, 0, 0, "Usage: kelvomark [options] [FILE.Kmk...]");
    row("--version", {"--version"}, Outcome::Version, 0, 0, "Kelvomark ");
    row("-v", {"-v"}, Outcome::Version, 0, 0, "Kelvomark ");
    row("help wins over a file", {"a.Kmk", "--help"}, Outcome::Help, 0, 0, "Usage");
    row("unknown option", {"--bogus"}, Outcome::Error, 0, 0, "bogus");
    row("unknown short option", {"-x", "a.Kmk"}, Outcome::Error, 0, 0, "'x'");
    row("--port without value", {"--port"}, Outcome::Error, 0, 0, "--port");
    row("--port COM3", {"--port", "COM3"}, Outcome::Run, 3, 0, "");
    row("--port=COM16", {"--port=COM16"}, Outcome::Run, 16, 0, "");
    row("--port as the dialog writes it", {"--port", "COM  7"}, Outcome::Run, 7, 0, "");
    row("--port in lower case", {"--port", "com1"}, Outcome::Run, 1, 0, "");
    row("--port COM0", {"--port", "COM0"}, Outcome::Error, 0, 0, "COM0 is not one of");
    row("--port COM17", {"--port", "COM17"}, Outcome::Error, 0, 0, "COM17 is not one of");
    row("--port missing device", {"--port", "/nonexistent/ttyUSB0"}, Outcome::Error, 0, 0,
        "no such device");
    row("two files", {"a.Kmk", "b.Kmk"}, Outcome::Run, 0, 2, "");
    row("a file after --", {"--", "--odd.Kmk"}, Outcome::Run, 0, 1, "");
    // QApplication's own options are its business, not an error.
    row("Qt's options", {"-platform", "offscreen", "-style=fusion", "-reverse", "a.Kmk"},
        Outcome::Run, 0, 1, "");
}

void TestCommandLine::parse() {
    QFETCH(QStringList, arguments);
    QFETCH(int, outcome);
    QFETCH(int, port);
    QFETCH(int, files);
    QFETCH(QString, text);
    ComEnvironment com;
    const CommandLine line = CommandLine::parse(arguments);
    QCOMPARE(int(line.outcome), outcome);
    QCOMPARE(line.port.number, port);
    QCOMPARE(line.files.size(), files);
    for (const QString& file : line.files) {
        QVERIFY(QDir::isAbsolutePath(file));
    }
    QVERIFY2(line.text.contains(text), qPrintable(line.text));
    if (line.outcome == Outcome::Error) {
        QVERIFY(!line.text.contains(u'\n'));
    }
}

void TestCommandLine::portPath_data() {
    QTest::addColumn<QString>("value");  // "@" stands for the test's folder
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("pin");
    QTest::addColumn<QString>("error");

    // The map: COM 1 is a USB adapter the system lists, COM 2 is named by a variable.
    QTest::newRow("a variable's device") << "@/pts7" << 2 << false << "";
    QTest::newRow("a link to a variable's device") << "@/by-id-meter" << 2 << false << "";
    QTest::newRow("the system's device") << "@/ttyUSB0" << 1 << false << "";
    QTest::newRow("a device outside the map: lowest free number") << "@/other" << 3 << true << "";
    QTest::newRow("a bare name: under /dev") << "null" << 3 << true << "";
    QTest::newRow("no such device") << "@/missing" << 0 << false << "no such device";
    QTest::newRow("empty") << "" << 0 << false << "empty";
}

void TestCommandLine::portPath() {
    QFETCH(QString, value);
    QFETCH(int, number);
    QFETCH(bool, pin);
    QFETCH(QString, error);

    QTemporaryDir dir;
    for (const char* name : {"pts7", "ttyUSB0", "other"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("pts7")),
                        dir.filePath(QStringLiteral("by-id-meter"))));
    QProcessEnvironment environment;
    environment.insert(ComMap::variableName(2), dir.filePath(QStringLiteral("pts7")));
    SerialDevice usb;
    usb.portName = QStringLiteral("ttyUSB0");
    usb.systemLocation = dir.filePath(QStringLiteral("ttyUSB0"));
    const QVector<ComPort> map = ComMap::build(environment, {usb});

    value.replace(u'@', dir.path());
    const PortChoice::PortRequest request = PortChoice::request(value, map);
    QCOMPARE(request.number, number);
    QCOMPARE(request.pin, pin);
    QVERIFY2(request.error.contains(error), qPrintable(request.error));
    if (pin) {
        QVERIFY(QFileInfo::exists(request.path));
        QVERIFY(QDir::isAbsolutePath(request.path));
    }
}

void TestCommandLine::programAnswers_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");  // a pattern the whole of stdout matches
    QTest::addColumn<QString>("err");  // part of the one line on stderr; empty: no stderr

    const QString kelvomark = QStringLiteral(KELVOMARK_PROGRAM);
    const QString sim = QStringLiteral(KELVOMARK_SIM_PROGRAM);
    QTest::newRow("--version") << kelvomark << QStringList{"--version"} << 0
                               << "Kelvomark \\d+\\.\\d+\\n"
                               << "";
    QTest::newRow("--help") << kelvomark << QStringList{"--help"} << 0
                            << "Usage: kelvomark \\[options\\] [^\\n]*\\n(.|\\n)*--port (.|\\n)*"
                            << "";
    QTest::newRow("unknown option") << kelvomark << QStringList{"--bogus", "a.Kmk"} << 2 << ""
                                    << "Unknown option 'bogus'";
    QTest::newRow("bad port") << kelvomark << QStringList{"--port", "COM99"} << 2 << ""
                              << "COM99";
    const QString noDisplay = QStringLiteral(
        "kelvomark: no display (DISPLAY and WAYLAND_DISPLAY are unset); kelvomark-cli works "
        "without one");
    QTest::newRow("no display") << kelvomark << QStringList{} << 1 << "" << noDisplay;
    QTest::newRow("no display, with a file and a port")
        << kelvomark << QStringList{"--port", "COM1", "a.Kmk"} << 1 << "" << noDisplay;
    QTest::newRow("no display, xcb asked for by option")
        << kelvomark << QStringList{"-platform", "xcb"} << 1 << "" << noDisplay;
    QTest::newRow("simulator --version")
        << sim << QStringList{"--version"} << 0 << "kelvomark-sim \\d+\\.\\d+\\n"
        << "";
    QTest::newRow("simulator --help")
        << sim << QStringList{"--help"} << 0 << "Usage: kelvomark-sim \\[options\\]\\n(.|\\n)*"
        << "";
    QTest::newRow("simulator unknown option") << sim << QStringList{"--bogus"} << 2 << ""
                                              << "bogus";
}

void TestCommandLine::programAnswers() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

    const Ran ran = runProgram(program, arguments, withoutDisplay());
    QCOMPARE(ran.status, status);
    const QRegularExpression whole(QRegularExpression::anchoredPattern(out));
    QVERIFY2(whole.match(ran.out).hasMatch(), qPrintable(ran.out));
    if (err.isEmpty()) {
        QVERIFY2(ran.err.isEmpty(), qPrintable(ran.err));
    } else {
        QVERIFY2(ran.err.contains(err), qPrintable(ran.err));
    }
    if (program == QLatin1String(KELVOMARK_PROGRAM) && !err.isEmpty()) {
        QCOMPARE(ran.err.count(u'\n'), 1);
        QVERIFY(ran.err.endsWith(u'\n'));
    }
}

void TestCommandLine::displayMissing_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("platform");  // QT_QPA_PLATFORM; "-" leaves it unset
    QTest::addColumn<bool>("missing");

    const QStringList none;
    QTest::newRow("nothing set: Qt would try xcb") << none << ""
                                                   << ""
                                                   << "-" << true;
    QTest::newRow("an X display") << none << ":0"
                                  << ""
                                  << "-" << false;
    QTest::newRow("a Wayland display") << none << ""
                                       << "wayland-0"
                                       << "-" << false;
    QTest::newRow("xcb, no display") << none << ""
                                     << ""
                                     << "xcb" << true;
    QTest::newRow("xcb with options") << none << ""
                                      << ""
                                      << "xcb:nograb" << true;
    QTest::newRow("wayland then xcb") << none << ""
                                      << ""
                                      << "wayland;xcb" << true;
    QTest::newRow("wayland-egl") << none << ""
                                 << ""
                                 << "wayland-egl" << true;
    QTest::newRow("offscreen needs none") << none << ""
                                          << ""
                                          << "offscreen" << false;
    QTest::newRow("xcb, else offscreen") << none << ""
                                         << ""
                                         << "xcb;offscreen" << false;
    QTest::newRow("vnc") << none << ""
                         << ""
                         << "vnc:size=800x600" << false;
    QTest::newRow("-platform offscreen wins") << QStringList{"-platform", "offscreen"} << ""
                                              << ""
                                              << "xcb" << false;
    QTest::newRow("-platform xcb wins") << QStringList{"-platform", "xcb"} << ""
                                        << ""
                                        << "offscreen" << true;
    QTest::newRow("an empty DISPLAY is none") << none << ""
                                              << ""
                                              << "-" << true;
}

void TestCommandLine::displayMissing() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, display);
    QFETCH(QString, wayland);
    QFETCH(QString, platform);
    QFETCH(bool, missing);

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), display);
    if (!wayland.isEmpty()) {
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), wayland);
    }
    if (platform != QLatin1String("-")) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    }
    const CommandLine line =
        CommandLine::parse(QStringList{QStringLiteral("kelvomark")} + arguments);
    QCOMPARE(int(line.outcome), int(Outcome::Run));
    const QString text = line.displayMissing(environment);
    QCOMPARE(!text.isEmpty(), missing);
    QVERIFY(!text.contains(u'\n'));
}

void TestCommandLine::filesOpenEachInItsList() {
    DesktopRig rig;
    const QString a =
        rig.recording(QStringLiteral("a.Kmk"), QStringLiteral("40mOhm\t4Voltage"), 10);
    const QString b = rig.recording(QStringLiteral("b.Kmk"), QStringLiteral("4Ohm\t40Voltage"), 5);
    const QString missing = rig.dir.filePath(QStringLiteral("missing.Kmk"));
    const CommandLine line =
        CommandLine::parse({QStringLiteral("kelvomark"), QStringLiteral("--port"),
                            QStringLiteral("COM2"), a, missing, b});
    QCOMPARE(int(line.outcome), int(Outcome::Run));
    StartProgram(rig.app, line);

    // The port dialog first, with the chosen port; the files wait for it.
    Port* port = rig.port();
    QVERIFY(port && port->isVisible());
    QCOMPARE(port->findChild<QComboBox*>(QStringLiteral("TxtCOM"))->currentText(),
             QStringLiteral("COM  2"));
    QVERIFY(shownFileLists().isEmpty());

    QTest::mouseClick(rig.noMeter(), Qt::LeftButton);
    QVERIFY(rig.panel() && rig.panel()->isVisible());
    const QMap<QString, FileList*> lists = shownFileLists();
    QCOMPARE(lists.keys(), (QStringList{QStringLiteral("a.Kmk"), QStringLiteral("b.Kmk")}));
    FileList* listA = lists.value(QStringLiteral("a.Kmk"));
    FileList* listB = lists.value(QStringLiteral("b.Kmk"));
    QCOMPARE(listA->grid().model().Rows(), 11);
    QCOMPARE(listB->grid().model().Rows(), 6);
    QVERIFY(listA->pos() != listB->pos());
    // The file that cannot be read is named; the others open all the same.
    QCOMPARE(rig.dialogs.messages.size(), 1);
    QCOMPARE(rig.dialogs.messages.first().icon, Dialogs::Icon::Critical);
    QVERIFY(rig.dialogs.messages.first().text.contains(QDir::toNativeSeparators(missing)));
    rig.dialogs.messages.clear();

    // Each list plots in its own file's ranges, though b was read last, and the plot's range
    // window finds that list again.
    ToolbarAction(*listA, QStringLiteral("Plot"))->trigger();
    QCOMPARE(rig.app.transfer.PlotOhmLimitMax, 40.0f);
    QCOMPARE(rig.app.transfer.PlotVoltLimitMax, 4.0f);
    QCOMPARE(rig.app.plotSource(int(PlotSource::FileList)), &listA->grid().model());
    ToolbarAction(*listB, QStringLiteral("Plot"))->trigger();
    QCOMPARE(rig.app.transfer.PlotOhmLimitMax, 4.0f);
    QCOMPARE(rig.app.transfer.PlotVoltLimitMax, 40.0f);
    QCOMPARE(rig.app.plotSource(int(PlotSource::FileList)), &listB->grid().model());

    // A list closed by the person goes; a plot made again then finds no list.
    QPointer<FileList> closed = listB;
    listB->close();
    QTRY_VERIFY(!closed);
    QVERIFY(!rig.app.plotSource(int(PlotSource::FileList)));
    QCOMPARE(shownFileLists().keys(), QStringList{QStringLiteral("a.Kmk")});

    // "Open" uses a list of its own and replaces only that one.
    const QString c = rig.recording(QStringLiteral("c.Kmk"), QStringLiteral("40mOhm\t4Voltage"), 3);
    const QString d = rig.recording(QStringLiteral("d.Kmk"), QStringLiteral("40mOhm\t4Voltage"), 3);
    rig.dialogs.files.append({c, d});
    rig.click(QStringLiteral("Open"));
    rig.click(QStringLiteral("Open"));
    QCOMPARE(shownFileLists().keys(),
             (QStringList{QStringLiteral("a.Kmk"), QStringLiteral("d.Kmk")}));
    QVERIFY(rig.dialogs.messages.isEmpty());

    // Closing the main window takes every list with it.
    rig.panel()->close();
    QVERIFY(shownFileLists().isEmpty());
}

// A file given to the program that it cannot read gets its message and no window, not even
// for the moment the message is on screen; the readable one beside it opens.
void TestCommandLine::unreadableFileGetsNoWindow_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folder");
    QTest::newRow("missing") << "missing.Kmk" << false;
    QTest::newRow("a folder") << "folder.Kmk" << true;
}

void TestCommandLine::unreadableFileGetsNoWindow() {
    QFETCH(QString, name);
    QFETCH(bool, folder);
    DesktopRig rig;
    const QString bad = rig.dir.filePath(name);
    if (folder) {
        QVERIFY(QDir(rig.dir.path()).mkdir(name));
    }
    const QString good =
        rig.recording(QStringLiteral("good.Kmk"), QStringLiteral("40mOhm\t4Voltage"), 4);
    QStringList listsAtMessage;
    QWidget* parentAtMessage = nullptr;
    rig.dialogs.whileShown = [&](ScriptedDialogs::Kind, QWidget* parent) {
        listsAtMessage = shownFileLists().keys();
        parentAtMessage = parent;
    };
    StartProgram(rig.app, CommandLine::parse({QStringLiteral("kelvomark"), bad, good}));
    QTest::mouseClick(rig.noMeter(), Qt::LeftButton);

    QCOMPARE(rig.dialogs.messages.size(), 1);
    QVERIFY(rig.dialogs.messages.first().text.contains(QDir::toNativeSeparators(bad)));
    QVERIFY2(listsAtMessage.isEmpty(), qPrintable(listsAtMessage.join(u',')));
    QCOMPARE(parentAtMessage, static_cast<QWidget*>(rig.panel()));
    QCOMPARE(shownFileLists().keys(), QStringList{QStringLiteral("good.Kmk")});
}

void TestCommandLine::portPathIsChosen() {
    ComEnvironment com;
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("meter"));
    QFile file(device);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const CommandLine line =
        CommandLine::parse({QStringLiteral("kelvomark"), QStringLiteral("--port"), device});
    QCOMPARE(int(line.outcome), int(Outcome::Run));
    QVERIFY(line.port.pin);

    ScriptedDialogs dialogs;
    SystemClock clock;
    RecordingShell shell;
    App app(dialogs, clock, shell);
    StartProgram(app, line);
    const int number = line.port.number;
    QCOMPARE(qEnvironmentVariable(ComMap::variableName(number).toLatin1().constData()), device);
    auto* choice = app.windows().get<Port>().findChild<QComboBox*>(QStringLiteral("TxtCOM"));
    QCOMPARE(choice->currentText(), PortChoice::entryText(number));
    QCOMPARE(ComMap::pathFor(number), device);
}

void TestCommandLine::programOpensFiles() {
#ifdef KELVOMARK_SANITIZED
    QSKIP("the hook cannot be preloaded before the sanitizer's runtime");
#endif
    DesktopRig rig;
    rig.recording(QStringLiteral("a.Kmk"), QStringLiteral("40mOhm\t4Voltage"), 10);
    rig.recording(QStringLiteral("b.Kmk"), QStringLiteral("4Ohm\t40Voltage"), 5);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(KELVOMARK_PROGRAM_HOOK));
    // As a file manager starts it: names relative to where it runs.
    const Ran ran =
        runProgram(QStringLiteral(KELVOMARK_PROGRAM),
                   {QStringLiteral("a.Kmk"), QStringLiteral("b.Kmk")}, environment, rig.dir.path());
    QVERIFY2(ran.status == 0, qPrintable(ran.err));
    const QStringList lines = ran.out.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.contains(QStringLiteral("LblCom\tNo COM\t-1")), qPrintable(ran.out));
    QVERIFY2(lines.contains(QStringLiteral("FileList\ta.Kmk\t10")), qPrintable(ran.out));
    QVERIFY2(lines.contains(QStringLiteral("FileList\tb.Kmk\t5")), qPrintable(ran.out));
    QVERIFY2(!ran.out.contains(QLatin1String("Port\t")), qPrintable(ran.out));
}
