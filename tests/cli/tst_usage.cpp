#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "CliProcess.h"
#include "tst_cli.h"

namespace {

const QStringList Commands = {"ports", "read", "record", "logger", "print", "plot"};

}  // namespace

void TestCliUsage::usage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");  // on stderr, or on stdout for status 0

    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: kelvomark-cli COMMAND";
    QTest::newRow("help command") << QStringList{"help", "logger"} << 0
                                  << "Usage: kelvomark-cli logger";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "kelvomark-cli 10.4";
    // As the desktop program takes it.
    QTest::newRow("version short") << QStringList{"-v"} << 0 << "kelvomark-cli 10.4";
    QTest::newRow("nothing") << QStringList{} << 2 << "a command is missing";
    QTest::newRow("unknown command") << QStringList{"download"} << 2 << "unknown command";
    // Qt's parser's own texts in the words of every other refusal.
    QTest::newRow("unknown option")
        << QStringList{"read", "--fast"} << 2
        << "read: unknown option \"--fast\" (kelvomark-cli read --help tells more)";
    QTest::newRow("unknown option of the program")
        << QStringList{"--colour"} << 2
        << "unknown option \"--colour\" (kelvomark-cli --help tells more)";
    QTest::newRow("unknown short option")
        << QStringList{"plot", "a.Kmk", "-x"} << 2 << "plot: unknown option \"-x\"";
    QTest::newRow("option without value")
        << QStringList{"read", "--count"} << 2 << "read: --count needs its value (--count N)";
    QTest::newRow("timeout letters") << QStringList{"read", "--timeout", "soon"} << 2
                                     << "read: --timeout: \"soon\" is not a whole number";
    QTest::newRow("help of nothing") << QStringList{"help", "nothing"} << 2 << "help: no command";

    QTest::newRow("count zero") << QStringList{"read", "--count", "0"} << 2 << "--count: \"0\"";
    QTest::newRow("count letters") << QStringList{"read", "--count", "many"} << 2 << "--count";
    QTest::newRow("format") << QStringList{"read", "--format", "xml"} << 2 << "text, tsv or json";
    QTest::newRow("port 17") << QStringList{"read", "--port", "COM17"} << 2 << "--port: \"COM17\"";
    QTest::newRow("port word") << QStringList{"read", "--port", "meter"} << 2 << "--port";
    QTest::newRow("port of nothing") << QStringList{"read", "--port", "2", "--count", "1"} << 1
                                     << "COM2 (/nonexistent/kelvomark-com2): no such device";
    QTest::newRow("device missing") << QStringList{"read", "--port", "/dev/kelvomark-none"} << 1
                                    << "/dev/kelvomark-none: no such device";

    QTest::newRow("record no file")
        << QStringList{"record", "--interval", "1"} << 2 << "record: the file to record into";
    QTest::newRow("record no interval") << QStringList{"record", "a.Kmk"} << 2 << "--interval S";
    QTest::newRow("interval 0") << QStringList{"record", "--interval", "0", "a.Kmk"} << 2
                                << "--interval: \"0\"";
    QTest::newRow("interval too long")
        << QStringList{"record", "--interval", "86401", "a.Kmk"} << 2 << "1 to 86400";
    QTest::newRow("interval fraction")
        << QStringList{"record", "--interval", "2.5", "a.Kmk"} << 2 << "--interval";
    QTest::newRow("duration") << QStringList{"record",     "--interval", "1",
                                             "--duration", "7w",         "a.Kmk"}
                              << 2 << "--duration: \"7w\"";
    QTest::newRow("max records") << QStringList{"record",        "--interval", "1",
                                                "--max-records", "-3",         "a.Kmk"}
                                 << 2 << "--max-records";
    QTest::newRow("two files") << QStringList{"record", "--interval", "1", "a.Kmk", "b.Kmk"} << 2
                               << "one file only";
    QTest::newRow("record folder missing")
        << QStringList{"record", "--interval", "1", "/nonexistent/dir/a.Kmk"} << 1
        << "cannot write /nonexistent/dir/a.Kmk";

    QTest::newRow("set without start")
        << QStringList{"logger", "--set", "1"} << 2 << "--start \"yyyy/mm/dd hh:nn:ss\" is missing";
    QTest::newRow("start without set") << QStringList{"logger", "--start", "2021/07/01 10:00:00"}
                                       << 2 << "--start goes with --set or --all";
    QTest::newRow("bad start") << QStringList{"logger", "--set", "1", "--start",
                                              "2021-07-01 10:00:00"}
                               << 2 << "Invalid, comply with the data format properly";
    QTest::newRow("set 0") << QStringList{"logger", "--set", "0", "--start", "2021/07/01 10:0:0"}
                           << 2 << "--set: \"0\"";
    QTest::newRow("set and all") << QStringList{"logger", "--set", "1", "--all"} << 2
                                 << "do not go together";
    QTest::newRow("all without dir")
        << QStringList{"logger", "--all", "--start", "2021/07/01 10:00:00", "--same-start"} << 2
        << "--out-dir DIR is missing";
    QTest::newRow("all with one plain start")
        << QStringList{"logger", "--all", "--start", "2021/07/01 10:00:00", "--out-dir", "."} << 2
        << "--start N=TIME for every set, or one --start TIME with --same-start";
    QTest::newRow("same start without all")
        << QStringList{"logger", "--set", "1", "--start", "2021/07/01 10:00:00", "--same-start"}
        << 2 << "--same-start goes with --all";
    QTest::newRow("same start with numbered starts")
        << QStringList{"logger",    "--all", "--same-start", "--start", "1=2021/07/01 10:00:00",
                       "--out-dir", "."}
        << 2 << "--same-start takes one --start TIME";
    QTest::newRow("start twice for a set") << QStringList{"logger",    "--all",
                                                          "--start",   "2=2021/07/01 10:00:00",
                                                          "--start",   "2=2021/07/02 10:00:00",
                                                          "--out-dir", "."}
                                           << 2 << "--start is given twice for set 2";
    QTest::newRow("plain start among numbered")
        << QStringList{"logger",    "--all",
                       "--start",   "1=2021/07/01 10:00:00",
                       "--start",   "2021/07/02 10:00:00",
                       "--out-dir", "."}
        << 2 << "--start \"2021/07/02 10:00:00\" names no set";
    QTest::newRow("start for set 0")
        << QStringList{"logger", "--all", "--start", "0=2021/07/01 10:00:00", "--out-dir", "."} << 2
        << "N=TIME with a set number from 1 to 512";
    QTest::newRow("start of another set")
        << QStringList{"logger", "--set", "2", "--start", "3=2021/07/01 10:00:00"} << 2
        << "--start \"3=2021/07/01 10:00:00\" is for set 3, but --set is 2";
    QTest::newRow("numbered start badly typed")
        << QStringList{"logger", "--all", "--start", "1=2021-07-01", "--out-dir", "."} << 2
        << "--start: \"1=2021-07-01\" is not a starting time";
    QTest::newRow("dump both ways") << QStringList{"logger", "--from-dump", "a", "--save-dump", "b"}
                                    << 2 << "--from-dump reads no meter";
    QTest::newRow("dump missing") << QStringList{"logger", "--from-dump", "/nonexistent/d.bin"} << 1
                                  << "cannot read /nonexistent/d.bin";

    QTest::newRow("print no pdf") << QStringList{"print", "a.Kmk"} << 2 << "--pdf OUT.pdf";
    QTest::newRow("print no file")
        << QStringList{"print", "--pdf", "a.pdf"} << 2 << "the .Kmk file to read is missing";
    QTest::newRow("paper") << QStringList{"print", "a.Kmk", "--pdf", "a.pdf", "--paper", "A3"} << 2
                           << "A4 or Letter";
    QTest::newRow("print unreadable")
        << QStringList{"print", "/nonexistent/a.Kmk", "--pdf", QDir::tempPath() + "/cli-x.pdf"} << 1
        << "cannot read /nonexistent/a.Kmk";
    QTest::newRow("print a folder") << QStringList{"print", QDir::tempPath(), "--pdf", "a.pdf"} << 1
                                    << "cannot read " + QDir::tempPath() + ": it is a folder";
    QTest::newRow("plot no output") << QStringList{"plot", "a.Kmk"} << 2 << "--png OUT.png";
    QTest::newRow("plot scale") << QStringList{"plot", "a.Kmk", "--png", "a.png", "--ohm", "40"}
                                << 2 << "--ohm: \"40\" is not two numbers";
    QTest::newRow("plot middle") << QStringList{"plot",  "a.Kmk",  "--png",
                                                "a.png", "--volt", "0,1,4"}
                                 << 2 << "mean of the other two (2)";
    QTest::newRow("plot rows") << QStringList{"plot", "a.Kmk", "--png", "a.png", "--rows", "1"} << 2
                               << "--rows: \"1\"";
}

// One clear line for each mistake, never a crash, and the status that says what kind it was.
void TestCliUsage::usage() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    CliProcess cli(arguments);
    QCOMPARE(cli.finish(), status);
    if (status == 0) {
        QVERIFY2(QString::fromUtf8(cli.out()).contains(says), cli.out().constData());
        QVERIFY2(cli.err().isEmpty(), qPrintable(cli.err()));
        return;
    }
    QVERIFY2(cli.out().isEmpty(), cli.out().constData());
    QVERIFY2(cli.err().contains(says), qPrintable(cli.err()));
    QVERIFY2(cli.err().startsWith(QLatin1String("kelvomark-cli: ")), qPrintable(cli.err()));
    QCOMPARE(cli.err().count(u'\n'), 1);
}

void TestCliUsage::helpOfEveryCommand() {
    for (const QString& command : Commands) {
        for (const QStringList& arguments :
             {QStringList{command, "--help"}, QStringList{command, "-h"},
              QStringList{"help", command}}) {
            CliProcess cli(arguments);
            QCOMPARE(cli.finish(), 0);
            const QString text = QString::fromUtf8(cli.out());
            QVERIFY2(text.startsWith(QStringLiteral("Usage: kelvomark-cli ") + command),
                     qPrintable(text));
            QVERIFY(text.contains(QLatin1String("-h, --help")));
        }
    }
}

// The commands that talk to the meter need no desktop libraries at all.
void TestCliUsage::linksNoWidgets() {
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), CliProcess::Binary()});
    QVERIFY(readelf.waitForFinished(10000));
    const QString needed = QString::fromUtf8(readelf.readAllStandardOutput());
    QVERIFY2(needed.contains(QLatin1String("libQt6Core")), qPrintable(needed));
    QVERIFY2(needed.contains(QLatin1String("libQt6SerialPort")), qPrintable(needed));
    for (const char* library : {"libQt6Widgets", "libQt6Gui", "libQt6PrintSupport"}) {
        QVERIFY2(!needed.contains(QLatin1String(library)), library);
    }
    // The drawing half is found beside it.
    QCOMPARE(QFileInfo(QStringLiteral(KELVOMARK_RENDER)).absolutePath(),
             QFileInfo(CliProcess::Binary()).absolutePath());
}

// The usage lines name every option that --help lists, so none is found only by reading on.
void TestCliUsage::usageNamesEveryOption() {
    const QRegularExpression option(QStringLiteral("^  (?:-\\w, )?(--[a-z-]+)"),
                                    QRegularExpression::MultilineOption);
    for (const QString& command : Commands) {
        CliProcess cli({command, "--help"});
        QCOMPARE(cli.finish(), 0);
        const QString help = QString::fromUtf8(cli.out());
        const QString usage = help.left(help.indexOf(QLatin1String("\n\n")));
        for (const QRegularExpressionMatch& match : option.globalMatch(help)) {
            const QString name = match.captured(1);
            if (name != u"--help") {
                QVERIFY2(usage.contains(name), qPrintable(command + u' ' + name + u'\n' + usage));
            }
        }
    }
}

// --help and the man page come from one table: every option of every command is in both.
void TestCliUsage::manPageHasEveryOption() {
    QFile man(QStringLiteral(KELVOMARK_CLI_MAN));
    QVERIFY2(man.open(QIODevice::ReadOnly), qPrintable(man.fileName()));
    const QString page = QString::fromUtf8(man.readAll());
    QVERIFY(page.startsWith(QLatin1String(".TH KELVOMARK\\-CLI 1")));
    QVERIFY(page.contains(QLatin1String(".SH EXIT STATUS")));
    const QRegularExpression option(QStringLiteral("^  (-h, )?--([a-z-]+)"),
                                    QRegularExpression::MultilineOption);
    for (const QString& command : Commands) {
        CliProcess cli({command, "--help"});
        QCOMPARE(cli.finish(), 0);
        const QString help = QString::fromUtf8(cli.out());
        QVERIFY(page.contains(QStringLiteral(".SS ") + command));
        int options = 0;
        for (const QRegularExpressionMatch& match : option.globalMatch(help)) {
            ++options;
            const QString name =
                QStringLiteral("\\-\\-") + match.captured(2).replace(u'-', QStringLiteral("\\-"));
            QVERIFY2(page.contains(name), qPrintable(command + u' ' + name));
        }
        QVERIFY2(options >= 1, qPrintable(help));
    }
}
