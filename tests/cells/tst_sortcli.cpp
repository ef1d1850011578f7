#include <signal.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "CliProcess.h"
#include "SimProcess.h"
#include "core/cells/Inventory.h"
#include "tst_cells.h"

namespace {

// Three touches as a person makes them, in the 40 mOhm and 4 V ranges: open probes ("----" or
// "OL") between them, a bounce at the start of the first. The meter sends four readings a
// second, so each two-second touch settles after about 0.75 s.
const char* const ThreeTouches =
    "0    status 3\n"
    "0    noreading on\n"
    "0    counts 3820 3912\n"
    "1    noreading off\n"
    "1    counts 4150 3700\n"
    "1.3  counts 3820 3912\n"
    "3    overload ohm\n"
    "4    counts 7240 3905\n"
    "4    overload off\n"
    "6    noreading on\n"
    "7    counts 6500 3300\n"
    "7    noreading off\n"
    "9    overload ohm\n";

// Touches without end: two seconds on, one off.
QString EndlessTouches(int touches) {
    QString script = QStringLiteral("0 status 3\n0 counts 3820 3912\n0 overload ohm\n");
    for (int i = 0; i < touches; ++i) {
        script +=
            QStringLiteral("%1 overload off\n%2 overload ohm\n").arg(1 + 3 * i).arg(3 + 3 * i);
    }
    return script;
}

QString WriteScenario(const QTemporaryDir& dir, const QString& name, const QString& text) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.toUtf8());
    }
    return path;
}

QJsonObject Json(const QString& line) {
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

const QStringList Limits = {"--ir-pass",   "60",      "--ir-fail",   "70",
                            "--volt-pass", "3.5,4.2", "--volt-warn", "3.0,4.25"};

}  // namespace

void TestSortCli::sortsAgainstTheSimulator() {
    QTemporaryDir dir;
    SimProcess sim({"--scenario", WriteScenario(dir, "touches.txt", ThreeTouches)});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    const QString db = dir.filePath("cells.sqlite");
    CliProcess cli(QStringList{"sort", "--port", sim.path(), "--db", db, "--count", "3", "--format",
                               "json", "--prefix", "Q"} +
                   Limits);
    QVERIFY(cli.waitFor([&] { return cli.outLines().size() >= 1; }, 20000));
    const QStringList lines = cli.outLines();
    QCOMPARE(cli.finish(), 0);
    QCOMPARE(cli.outLines().size(), 3);
    const QJsonObject first = Json(cli.outLines().at(0));
    for (const char* key : {"id", "time", "ir_mohm", "volt", "ohm_text", "ohm_unit", "volt_text",
                            "verdict", "reasons", "bin", "remeasure"}) {
        QVERIFY2(first.contains(QLatin1String(key)), key);
    }
    QCOMPARE(first.value("id").toString(), QStringLiteral("Q0001"));
    QCOMPARE(first.value("ir_mohm").toDouble(), 38.2);
    QCOMPARE(first.value("volt").toDouble(), 3.912);
    QCOMPARE(first.value("ohm_text").toString(), QStringLiteral("38.20"));
    QCOMPARE(first.value("ohm_unit").toString(), QStringLiteral("mOhm"));
    QCOMPARE(first.value("volt_text").toString(), QStringLiteral("3.912"));
    QCOMPARE(first.value("verdict").toString(), QStringLiteral("PASS"));
    QCOMPARE(first.value("reasons").toArray(), QJsonArray());
    QVERIFY(first.value("bin").isNull());
    QCOMPARE(first.value("remeasure").toBool(), false);
    QVERIFY(QDateTime::fromString(first.value("time").toString(), Qt::ISODateWithMs).isValid());
    QVERIFY(first.value("time").toString().contains(QRegularExpression("[+-]\\d\\d:\\d\\d$")));

    const QJsonObject second = Json(cli.outLines().at(1));
    QCOMPARE(second.value("id").toString(), QStringLiteral("Q0002"));
    QCOMPARE(second.value("verdict").toString(), QStringLiteral("FAIL"));
    QCOMPARE(second.value("reasons").toArray(), QJsonArray{"IR 72.4 mOhm above 70"});
    const QJsonObject third = Json(cli.outLines().at(2));
    QCOMPARE(third.value("verdict").toString(), QStringLiteral("WARN"));
    QCOMPARE(third.value("reasons").toArray(),
             (QJsonArray{"IR 65 mOhm above 60", "Voltage 3.3 V below 3.5"}));

    Inventory inventory;
    QVERIFY(inventory.open(db));
    QCOMPARE(inventory.listCells().size(), 3);
    for (const QString& line : cli.outLines()) {
        const QJsonObject object = Json(line);
        const auto stored = inventory.measurement(object.value("uuid").toString());
        QVERIFY(stored);
        QCOMPARE(stored->cellId, object.value("id").toString());
        QCOMPARE(stored->milliohms, object.value("ir_mohm").toDouble());
        QCOMPARE(stored->port, sim.path());
        QVERIFY(!stored->host.isEmpty());
    }
    Q_UNUSED(lines);
}

void TestSortCli::sortsTheSimulatorsCellList() {
    // The simulator's own sorting session: bounces, flicker, both resistance ranges and both
    // voltage ranges. One capture per cell, with the cell's values.
    const QString cells = QStringLiteral(KELVOMARK_SOURCE "/tools/meter-sim/cells/example.txt");
    SimProcess sim({"--sort", cells, "--cells", "6", "--open-ms", "500", "--hold-ms", "1500"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const QString db = dir.filePath("cells.sqlite");
    CliProcess cli({"sort", "--port", sim.path(), "--db", db, "--count", "6", "--format", "json",
                    "--profile", "Example 18650 Li-ion"});
    QVERIFY2(cli.finish(60000) == 0, qPrintable(cli.err()));
    const QVector<QPair<double, double>> expected = {{38.2, 3.912}, {41.7, 3.905}, {35.9, 3.921},
                                                     {72.4, 3.874}, {36.8, 3.918}, {29.4, 4.185}};
    QCOMPARE(cli.outLines().size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QJsonObject object = Json(cli.outLines().at(i));
        QCOMPARE(object.value("id").toString(),
                 QStringLiteral("C%1").arg(i + 1, 4, 10, QLatin1Char('0')));
        const double ir = object.value("ir_mohm").toDouble();
        const double volt = object.value("volt").toDouble();
        QVERIFY2(qAbs(ir - expected.at(i).first) <= expected.at(i).first * 0.003 + 0.1,
                 qPrintable(cli.outLines().at(i)));
        QVERIFY2(qAbs(volt - expected.at(i).second) <= 0.011, qPrintable(cli.outLines().at(i)));
    }
    QCOMPARE(Json(cli.outLines().at(3)).value("verdict").toString(), QStringLiteral("WARN"));
    QCOMPARE(Json(cli.outLines().at(0)).value("bin").toString(), QStringLiteral("A"));
}

void TestSortCli::captureSurvivesKill9() {
    QTemporaryDir dir;
    SimProcess sim({"--scenario", WriteScenario(dir, "touches.txt", EndlessTouches(5))});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    const QString db = dir.filePath("cells.sqlite");
    CliProcess cli({"sort", "--port", sim.path(), "--db", db, "--format", "json"});
    QVERIFY(cli.waitFor([&] { return !cli.outLines().isEmpty(); }, 20000));
    cli.signal(SIGKILL);
    QCOMPARE(cli.finish(), -1);
    const QString uuid = Json(cli.outLines().first()).value("uuid").toString();
    Inventory inventory;
    QVERIFY2(inventory.open(db), qPrintable(inventory.error()));
    const auto stored = inventory.measurement(uuid);
    QVERIFY(stored);
    QCOMPARE(stored->cellId, QStringLiteral("C0001"));
}

void TestSortCli::sigtermEndsWithSuccess() {
    QTemporaryDir dir;
    SimProcess sim({"--scenario", WriteScenario(dir, "touches.txt", EndlessTouches(5))});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    const QString db = dir.filePath("cells.sqlite");
    CliProcess cli({"sort", "--port", sim.path(), "--db", db, "--format", "tsv"});
    QVERIFY(cli.waitFor([&] { return !cli.outLines().isEmpty(); }, 20000));
    cli.signal(SIGTERM);
    QCOMPARE(cli.finish(), 0);
    const QStringList fields = cli.outLines().first().split(u'\t');
    QCOMPARE(fields.size(), 11);
    QCOMPARE(fields.at(0), QStringLiteral("C0001"));
    QCOMPARE(fields.at(2), QStringLiteral("38.2"));
    QCOMPARE(fields.at(7), QStringLiteral("PASS"));
    QCOMPARE(fields.at(10), QStringLiteral("false"));
    QCOMPARE(cli.err(), QString());  // not a terminal: no states
    Inventory inventory;
    QVERIFY(inventory.open(db));
    QCOMPARE(inventory.listCells().size(), cli.outLines().size());
}

void TestSortCli::twoSortersOnOneFile() {
    QTemporaryDir dir;
    const QString scenario = WriteScenario(dir, "touches.txt", EndlessTouches(6));
    SimProcess simA({"--scenario", scenario});
    SimProcess simB({"--scenario", scenario});
    QVERIFY(simA.isReady() && simB.isReady());
    const QString db = dir.filePath("shared.sqlite");
    CliProcess a({"sort", "--port", simA.path(), "--db", db, "--count", "3", "--format", "json"});
    CliProcess b({"sort", "--port", simB.path(), "--db", db, "--count", "3", "--format", "json"});
    QVERIFY2(a.finish(60000) == 0, qPrintable(a.err()));
    QVERIFY2(b.finish(60000) == 0, qPrintable(b.err()));
    QSet<QString> ids;
    for (const QString& line : a.outLines() + b.outLines()) {
        ids.insert(Json(line).value("id").toString());
    }
    QCOMPARE(ids.size(), 6);
    Inventory inventory;
    QVERIFY(inventory.open(db));
    QCOMPARE(inventory.listCells().size(), 6);
}

void TestSortCli::usage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("settle 0") << QStringList{"sort", "--settle", "0"} << 2
                              << "--settle: \"0\" is not a whole number from 1 to 40";
    QTest::newRow("volt window backwards")
        << QStringList{"sort", "--volt-pass", "4.2,3.5"} << 2 << "--volt-pass: \"4.2,3.5\"";
    QTest::newRow("volt window of one number")
        << QStringList{"sort", "--volt-warn", "3"} << 2 << "--volt-warn: \"3\"";
    QTest::newRow("resistance not a number")
        << QStringList{"sort", "--ir-pass", "6O"} << 2 << "--ir-pass: \"6O\"";
    QTest::newRow("pass above fail") << QStringList{"sort", "--ir-pass", "80", "--ir-fail", "70"}
                                     << 2 << "the pass resistance is above the fail resistance";
    QTest::newRow("warn inside pass")
        << QStringList{"sort", "--volt-pass", "3,4", "--volt-warn", "3.2,4"} << 2
        << "the warn voltage window does not hold the pass window";
    QTest::newRow("format") << QStringList{"sort", "--format", "xml"} << 2 << "--format";
    QTest::newRow("empty prefix") << QStringList{"sort", "--prefix", " "} << 2 << "--prefix";
    QTest::newRow("argument") << QStringList{"sort", "C0001"} << 2 << "unexpected argument";
    QTest::newRow("unknown profile")
        << QStringList{"sort", "--profile", "Nobody"} << 1 << "has no profile \"Nobody\"";
    QTest::newRow("no port") << QStringList{"sort"} << 1 << "COM1";
    QTest::newRow("cells without action") << QStringList{"cells"} << 2 << "say what to do";
    QTest::newRow("cells unknown action")
        << QStringList{"cells", "drop"} << 2 << "unknown action \"drop\"";
    QTest::newRow("show without ID") << QStringList{"cells", "show"} << 2 << "ID is missing";
    QTest::newRow("import without file")
        << QStringList{"cells", "import-capacity"} << 2 << "CSV file is missing";
    QTest::newRow("list with more")
        << QStringList{"cells", "list", "x"} << 2 << "unexpected argument \"x\"";
    QTest::newRow("out with list")
        << QStringList{"cells", "--out", "a.csv", "list"} << 2 << "--out is for export only";
    QTest::newRow("show unknown") << QStringList{"cells", "show", "Z1"} << 1 << "no cell \"Z1\"";
    QTest::newRow("import missing file")
        << QStringList{"cells", "import-capacity", "/nonexistent.csv"} << 1
        << "cannot read /nonexistent.csv";
}

void TestSortCli::usage() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir dir;
    CliProcess cli(arguments + QStringList{"--db", dir.filePath("cells.sqlite")});
    QCOMPARE(cli.finish(), status);
    QVERIFY2(cli.err().contains(message), qPrintable(cli.err()));
    QCOMPARE(cli.out(), QByteArray());
}

void TestSortCli::cellsCommands() {
    QTemporaryDir dir;
    const QString db = dir.filePath("cells.sqlite");
    {
        Inventory inventory;
        QVERIFY(inventory.open(db));
        NewMeasurement m;
        m.time = QDateTime::currentDateTime().addDays(-2);
        m.milliohms = 38.2;
        m.volts = 4.0;
        m.ohmText = "38.20";
        m.ohmUnit = "mOhm";
        m.voltText = "4.000";
        m.session = "s1";
        m.reasons = {"a, \"tricky\" reason"};
        QCOMPARE(inventory.add(m), QStringLiteral("C0001"));
        m.cellId = "C0001";
        m.time = QDateTime::currentDateTime();
        m.volts = 3.98;
        m.voltText = "3.980";
        m.session = "s2";
        QCOMPARE(inventory.add(m), QStringLiteral("C0001"));
        m.cellId.clear();
        QCOMPARE(inventory.add(m), QStringLiteral("C0002"));
    }
    CliProcess list({"cells", "--db", db, "list"});
    QCOMPARE(list.finish(), 0);
    QCOMPARE(list.outLines().size(), 2);
    QVERIFY(list.outLines().at(0).startsWith("C0001\t-\t-\t"));
    // No bin, and no bench named for a capture stored without one.
    QVERIFY2(list.outLines().at(0).endsWith("\t38.2\t3.98\tPASS\t-\t-"),
             qPrintable(list.outLines().at(0)));

    CliProcess show({"cells", "--db", db, "show", "C0001"});
    QCOMPARE(show.finish(), 0);
    QVERIFY(show.outLines().contains("self_discharge_mv_per_day\t10"));
    QVERIFY(show.outLines().contains("measurements\t2"));

    const QString capacities = dir.filePath("cap.csv");
    {
        QFile file(capacities);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("id,capacity_mah\r\nC0001,2500\r\nC0009,1\r\n");
    }
    CliProcess import({"cells", "--db", db, "import-capacity", capacities});
    QCOMPARE(import.finish(), 1);  // one ID is unknown
    QVERIFY2(import.err().contains("no cell \"C0009\""), qPrintable(import.err()));
    QVERIFY(import.err().contains("1 capacities set"));

    CliProcess exportOut({"cells", "--db", db, "export"});
    QCOMPARE(exportOut.finish(), 0);
    const QString exported = dir.filePath("out.csv");
    CliProcess exportFile({"cells", "--db", db, "export", "--out", exported});
    QCOMPARE(exportFile.finish(), 0);
    QFile file(exported);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), exportOut.out());
    QProcess python;
    python.start("python3", {"-c",
                             "import csv, sys\n"
                             "rows = list(csv.DictReader(open(sys.argv[1], newline='', "
                             "encoding='utf-8'), strict=True))\n"
                             "print(len(rows), rows[0]['id'], rows[0]['ir_mohm'], rows[1]['volt'], "
                             "rows[0]['reasons'], rows[2]['deleted'], sep='|')\n",
                             exported});
    QVERIFY(python.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
             QStringLiteral("3|C0001|38.2|3.98|a, \"tricky\" reason|false"));

    CliProcess profiles({"cells", "--db", db, "profiles"});
    QCOMPARE(profiles.finish(), 0);
    QCOMPARE(profiles.outLines().size(), 2);
    QVERIFY(profiles.outLines().at(0).startsWith("Example 18650 Li-ion\t60\t100\t3.5,4.2\t"));

    CliProcess help({"cells", "--help"});
    QCOMPARE(help.finish(), 0);
    QVERIFY(help.out().contains("import-capacity"));
}

// The profiles lines without the examples a new inventory starts with.
static QStringList Made(QStringList lines) {
    lines.removeIf([](const QString& line) { return line.startsWith(u"Example "); });
    return lines;
}

// profile-set saves what the line says, through the inventory's own checks; a bad line saves
// nothing and says why.
void TestSortCli::profileSet_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("listed");  // the profiles line afterwards; empty: none saved

    QTest::newRow("every limit")
        << QStringList{"profile-set",      "Bench",
                       "--ir-pass",        "60",
                       "--ir-fail",        "100",
                       "--volt-pass",      "3.5,4.2",
                       "--volt-warn",      "3,4.25",
                       "--self-discharge", "10",
                       "--bins",           "ir:A<=40,B<=60,C"}
        << 0 << "is saved"
        << "Bench\t60\t100\t3.5,4.2\t3,4.25\t10\tresistance: A up to 40, B up to 60, C up to any";
    QTest::newRow("name only") << QStringList{"profile-set", "Plain"} << 0 << "is saved"
                               << "Plain\t-\t-\t-\t-\t-\t-";
    QTest::newRow("voltage bins") << QStringList{"profile-set", "LFP", "--bins",
                                                 "volt:Low<=3.28,High<=3.4"}
                                  << 0 << "is saved"
                                  << "LFP\t-\t-\t-\t-\t-\tvoltage: Low up to 3.28, High up to 3.4";
    QTest::newRow("pass above fail")
        << QStringList{"profile-set", "X", "--ir-pass", "80", "--ir-fail", "70"} << 2
        << "the pass resistance is above the fail resistance"
        << "";
    QTest::newRow("warn inside pass")
        << QStringList{"profile-set", "X", "--volt-pass", "3,4", "--volt-warn", "3.2,4"} << 2
        << "does not hold the pass window"
        << "";
    QTest::newRow("window backwards")
        << QStringList{"profile-set", "X", "--volt-pass", "4.2,3"} << 2 << "--volt-pass: \"4.2,3\""
        << "";
    QTest::newRow("negative self-discharge")
        << QStringList{"profile-set", "X", "--self-discharge", "-1"} << 2
        << "--self-discharge: \"-1\" is not a voltage loss in mV/day"
        << "";
    QTest::newRow("bins without what")
        << QStringList{"profile-set", "X", "--bins", "A<=40"} << 2 << "\"ir:\" or \"volt:\""
        << "";
    QTest::newRow("open bin not last") << QStringList{"profile-set", "X", "--bins", "ir:A,B<=60"}
                                       << 2 << "the bin \"A\" has no edge"
                                       << "";
    QTest::newRow("bins falling") << QStringList{"profile-set", "X", "--bins", "ir:A<=60,B<=40"}
                                  << 2 << "the bin edges are not in rising order"
                                  << "";
    QTest::newRow("bin edge not a number")
        << QStringList{"profile-set", "X", "--bins", "ir:A<=4O"} << 2
        << "the edge of the bin \"A\" is not a number: \"4O\""
        << "";
    QTest::newRow("bin twice") << QStringList{"profile-set", "X", "--bins", "ir:A<=4,A<=6"} << 2
                               << "the bin name \"A\" is used twice"
                               << "";
    QTest::newRow("blank name") << QStringList{"profile-set", " "} << 2 << "the profile has no name"
                                << "";
    QTest::newRow("no name") << QStringList{"profile-set"} << 2
                             << "profile-set: the profile's name is missing"
                             << "";
    QTest::newRow("limit for another action")
        << QStringList{"list", "--ir-pass", "60"} << 2 << "--ir-pass is for profile-set only"
        << "";
    QTest::newRow("remove unknown")
        << QStringList{"profile-remove", "Nobody"} << 1 << "has no profile \"Nobody\""
        << "";
    QTest::newRow("remove without name")
        << QStringList{"profile-remove"} << 2 << "profile-remove: the profile's name is missing"
        << "";
}

void TestSortCli::profileSet() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(QString, listed);
    QTemporaryDir dir;
    const QString db = dir.filePath("cells.sqlite");
    CliProcess cli(QStringList{"cells", "--db", db} + arguments);
    QCOMPARE(cli.finish(), status);
    QVERIFY2(cli.err().contains(message), qPrintable(cli.err()));
    QCOMPARE(cli.out(), QByteArray());
    CliProcess profiles({"cells", "--db", db, "profiles"});
    QCOMPARE(profiles.finish(), 0);
    QCOMPARE(Made(profiles.outLines()), listed.isEmpty() ? QStringList{} : QStringList{listed});
}

// A profile saved again is replaced whole, and a removed one is gone.
void TestSortCli::profileReplaceAndRemove() {
    QTemporaryDir dir;
    const QString db = dir.filePath("cells.sqlite");
    CliProcess first(
        {"cells", "--db", db, "profile-set", "Bench", "--ir-pass", "60", "--bins", "ir:A<=40,B"});
    QCOMPARE(first.finish(), 0);
    CliProcess again({"cells", "--db", db, "profile-set", "Bench", "--ir-fail", "90"});
    QCOMPARE(again.finish(), 0);
    CliProcess listed({"cells", "--db", db, "profiles"});
    QCOMPARE(listed.finish(), 0);
    QCOMPARE(Made(listed.outLines()), QStringList{"Bench\t-\t90\t-\t-\t-\t-"});
    CliProcess removed({"cells", "--db", db, "profile-remove", "Bench"});
    QCOMPARE(removed.finish(), 0);
    QVERIFY2(removed.err().contains("\"Bench\" is removed"), qPrintable(removed.err()));
    CliProcess empty({"cells", "--db", db, "profiles"});
    QCOMPARE(empty.finish(), 0);
    QCOMPARE(Made(empty.outLines()), QStringList{});
}
