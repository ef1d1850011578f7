// kelvomark-cli pack as a person runs it: real files, a real inventory, the JSON read back.
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "PackCases.h"
#include "RunTests.h"
#include "core/cells/Inventory.h"

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QString err;
};

Run Cli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(KELVOMARK_CLI), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError()).trimmed()};
}

// 150 cells with their columns in an unusual order and one column the matcher ignores.
QByteArray CellsCsv(int count) {
    const PackProblem cells = RandomCells(count, 9);
    QByteArray csv = "note,ir_mohm,capacity_mah,id\r\n";
    for (const PackCell& cell : cells.cells) {
        csv += "\"a, b\"," + QByteArray::number(cell.irMohm) + ',' +
               QByteArray::number(cell.capacityMah) + ',' + cell.id.toUtf8() + "\r\n";
    }
    return csv;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The JSON of a pack, checked as a builder would check the paper: S groups of P distinct IDs,
// each cell once, the figures adding up.
void CheckPack(const QJsonObject& pack, int series, int parallel, int cells) {
    QCOMPARE(pack.value(QStringLiteral("series")).toInt(), series);
    QCOMPARE(pack.value(QStringLiteral("parallel")).toInt(), parallel);
    const QJsonArray groups = pack.value(QStringLiteral("groups")).toArray();
    QCOMPARE(groups.size(), series);
    std::set<QString> seen;
    double lo = 1e300, hi = 0;
    for (const QJsonValue& value : groups) {
        const QJsonObject group = value.toObject();
        const QJsonArray ids = group.value(QStringLiteral("cells")).toArray();
        QCOMPARE(ids.size(), parallel);
        for (const QJsonValue& id : ids) {
            QVERIFY(seen.insert(id.toString()).second);
        }
        const double capacity = group.value(QStringLiteral("capacity_mah")).toDouble();
        lo = std::min(lo, capacity);
        hi = std::max(hi, capacity);
        QVERIFY(group.value(QStringLiteral("ir_mohm")).toDouble() > 0);
    }
    for (const QJsonValue& id : pack.value(QStringLiteral("unused")).toArray()) {
        QVERIFY(seen.insert(id.toString()).second);
    }
    QCOMPARE(int(seen.size()), cells);
    QCOMPARE(pack.value(QStringLiteral("min_group_mah")).toDouble(), lo);
    QCOMPARE(pack.value(QStringLiteral("spread_mah")).toDouble(), hi - lo);
    QVERIFY(lo <= pack.value(QStringLiteral("bound_mah")).toDouble());
    QVERIFY(pack.value(QStringLiteral("seconds")).isDouble());
}

}  // namespace

class CommandTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void fromCsv();
    void refusals_data();
    void refusals();
    void fromInventory();
    void assemblyMap();

  private:
    QTemporaryDir dir_;
};

void CommandTest::fromCsv() {
    const QString csv = dir_.filePath(QStringLiteral("cells.csv"));
    Write(csv, CellsCsv(150));
    const QStringList args{
        QStringLiteral("pack"),     QStringLiteral("--cells"),  csv,
        QStringLiteral("--series"), QStringLiteral("14"),       QStringLiteral("--parallel"),
        QStringLiteral("10"),       QStringLiteral("--format"), QStringLiteral("json"),
        QStringLiteral("--seed"),   QStringLiteral("5")};
    const Run run = Cli(args);
    QCOMPARE(run.status, 0);
    const QJsonObject pack = QJsonDocument::fromJson(run.out).object();
    CheckPack(pack, 14, 10, 150);
    QCOMPARE(pack.value(QStringLiteral("unused")).toArray().size(), 10);
    QVERIFY(pack.value(QStringLiteral("bound_reached")).toBool());

    // The same seed, the same pack.
    const QJsonObject again = QJsonDocument::fromJson(Cli(args).out).object();
    QCOMPARE(again.value(QStringLiteral("groups")), pack.value(QStringLiteral("groups")));

    const Run ratio = Cli(args + QStringList{QStringLiteral("--ir-ratio"), QStringLiteral("1.2"),
                                             QStringLiteral("--time-limit"), QStringLiteral("1")});
    QCOMPARE(ratio.status, 0);
    const QJsonObject limited = QJsonDocument::fromJson(ratio.out).object();
    CheckPack(limited, 14, 10, 150);
    for (const QJsonValue& group : limited.value(QStringLiteral("groups")).toArray()) {
        QVERIFY(group.toObject().value(QStringLiteral("ir_ratio")).toDouble() <= 1.2);
    }

    // Locked cells stay in their groups, whatever else moves.
    const QJsonObject pinned =
        QJsonDocument::fromJson(
            Cli(args + QStringList{QStringLiteral("--lock"), QStringLiteral("C0005=3"),
                                   QStringLiteral("--lock"), QStringLiteral("C0006=3"),
                                   QStringLiteral("--lock"), QStringLiteral("C0140=14")})
                .out)
            .object();
    CheckPack(pinned, 14, 10, 150);
    const QJsonArray groups = pinned.value(QStringLiteral("groups")).toArray();
    const auto inGroup = [&](int g, const QString& id) {
        return groups.at(g - 1).toObject().value(QStringLiteral("cells")).toArray().contains(id);
    };
    QVERIFY(inGroup(3, QStringLiteral("C0005")) && inGroup(3, QStringLiteral("C0006")) &&
            inGroup(14, QStringLiteral("C0140")));

    // CSV out: a header and one row a cell, the unused ones with no group.
    QStringList csvArgs = args;
    csvArgs[csvArgs.indexOf(QStringLiteral("json"))] = QStringLiteral("csv");
    const QList<QByteArray> rows = Cli(csvArgs).out.split('\n');
    QCOMPARE(rows.value(0), QByteArray("id,group,slot,capacity_mah,ir_mohm,volt\r"));
    QCOMPARE(rows.size(), 1 + 150 + 1);
    QVERIFY(rows.value(141).contains(",,,"));
}

void CommandTest::refusals_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QStringList layout{QStringLiteral("--series"), QStringLiteral("2"),
                             QStringLiteral("--parallel"), QStringLiteral("2")};
    const QByteArray four = "id,capacity_mah,ir_mohm\nA,2000,50\nB,2000,51\nC,2100,70\nD,1900,52\n";
    QTest::newRow("no header") << QByteArray() << layout << 1
                               << "the file is empty: a header row with id and capacity_mah is "
                                  "missing";
    QTest::newRow("no capacity column")
        << QByteArray("id,ir_mohm\nA,50\n") << layout << 1
        << "row 1: the header row has no column capacity_mah (it needs id and capacity_mah)";
    QTest::newRow("a column twice") << QByteArray("id,capacity_mah,ID\nA,1,B\n") << layout << 1
                                    << "row 1, column 3: the header names id twice (columns 1 "
                                       "and 3)";
    QTest::newRow("not a number") << QByteArray("id,capacity_mah\nA,2000\nB,2k\n") << layout << 1
                                  << "row 3, column 2 (capacity_mah): \"2k\" is not a number";
    QTest::newRow("comma decimal") << QByteArray("capacity_mah,id\n\"2000,5\",A\n") << layout << 1
                                   << "row 2, column 1 (capacity_mah): \"2000,5\" is not a number";
    QTest::newRow("capacity missing") << QByteArray("id,capacity_mah\nA,\n") << layout << 1
                                      << "row 2, column 2 (capacity_mah): the value is missing";
    QTest::newRow("negative resistance")
        << QByteArray("id,capacity_mah,ir_mohm\nA,2000,-4\n") << layout << 1
        << "row 2, column 3 (ir_mohm): -4 is not above 0";
    QTest::newRow("ID missing") << QByteArray("id,capacity_mah\n,2000\n") << layout << 1
                                << "row 2, column 1 (id): the ID is missing";
    QTest::newRow("ID twice") << QByteArray("id,capacity_mah\nA,2000\nB,2000\nA,2100\n") << layout
                              << 1 << "row 4, column 1 (id): the ID A is already in row 2";
    QTest::newRow("quote never closed")
        << QByteArray("id,capacity_mah\n\"A,2000\n") << layout << 1 << "";
    QTest::newRow("layout too large")
        << four
        << QStringList{QStringLiteral("--series"), QStringLiteral("3"),
                       QStringLiteral("--parallel"), QStringLiteral("2")}
        << 1 << "a 3S2P pack needs 6 cells; 4 given";
    QTest::newRow("ratio no pack meets")
        << four << layout + QStringList{QStringLiteral("--ir-ratio"), QStringLiteral("1.02")} << 1
        << "no 2S2P pack keeps every group's resistance ratio within 1.02: at most 1 group of 2 "
           "cells can";
    QTest::newRow("bad objective")
        << four << layout + QStringList{QStringLiteral("--objective"), QStringLiteral("cost")} << 2
        << "--objective: \"cost\" is not capacity or spread";
    const auto lock = [&](const QStringList& locks) {
        QStringList options = layout;
        for (const QString& l : locks) {
            options << QStringLiteral("--lock") << l;
        }
        return options;
    };
    QTest::newRow("lock without a group")
        << four << lock({QStringLiteral("A")}) << 2
        << "--lock: \"A\" is not a cell's ID, \"=\" and a group from 1 (C0042=3)";
    QTest::newRow("lock to group 0") << four << lock({QStringLiteral("A=0")}) << 2
                                     << "--lock: \"A=0\" is not a cell's ID, \"=\" and a group "
                                        "from 1 (C0042=3)";
    QTest::newRow("lock a cell twice")
        << four << lock({QStringLiteral("A=1"), QStringLiteral("A=2")}) << 2
        << "--lock: A is locked twice";
    QTest::newRow("lock an unknown cell") << four << lock({QStringLiteral("Z=1")}) << 1
                                          << "--lock Z=1: no cell Z among the cells offered";
    QTest::newRow("lock beyond the groups")
        << four << lock({QStringLiteral("A=3")}) << 1
        << "cell A is locked to group 3, but a 2S2P pack has 2 groups";
    QTest::newRow("lock too many into a group")
        << four << lock({QStringLiteral("A=1"), QStringLiteral("B=1"), QStringLiteral("C=1")}) << 1
        << "more than 2 cells are locked to group 1";
    QTest::newRow("no parallel") << four << layout.mid(0, 2) << 2
                                 << "--parallel is missing: the pack's layout needs --series S and "
                                    "--parallel P";
}

void CommandTest::refusals() {
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QString path = dir_.filePath(QStringLiteral("bad.csv"));
    Write(path, csv);
    const Run run =
        Cli(QStringList{QStringLiteral("pack"), QStringLiteral("--cells"), path} + options);
    QCOMPARE(run.status, status);
    QVERIFY(run.out.isEmpty());
    // One line, naming the file when the file is at fault.
    QVERIFY2(!run.err.contains(u'\n'), qPrintable(run.err));
    if (!message.isEmpty()) {
        const QString prefix = status == 1 && message.startsWith(QStringLiteral("row"))
                                   ? path + QStringLiteral(": ")
                               : status == 1 && message.startsWith(QStringLiteral("the file"))
                                   ? path + QStringLiteral(": ")
                                   : QString();
        QCOMPARE(run.err, QStringLiteral("kelvomark-cli: pack: ") + prefix + message);
    } else {
        QVERIFY2(run.err.contains(QStringLiteral("row 2")), qPrintable(run.err));
    }
}

// Passed cells with a capacity and in no pack are offered; a saved pack's cells are not
// offered again.
namespace {

QString PdfText(const QString& pdf) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    return text.waitForFinished(30000) ? QString::fromUtf8(text.readAllStandardOutput())
                                       : QString();
}

}  // namespace

void CommandTest::fromInventory() {
    const QString db = dir_.filePath(QStringLiteral("cells.sqlite"));
    {
        Inventory inventory;
        QVERIFY2(inventory.open(db), qPrintable(inventory.error()));
        const PackProblem cells = RandomCells(30, 4);
        for (int i = 0; i < 30; ++i) {
            NewMeasurement m;
            m.cellId = cells.cells[size_t(i)].id;
            m.time = QDateTime::currentDateTime();
            m.milliohms = cells.cells[size_t(i)].irMohm;
            m.volts = 3.9;
            m.ohmText = QString::number(m.milliohms);
            m.ohmUnit = QStringLiteral("mOhm");
            m.voltText = QStringLiteral("3.900");
            m.verdict = i == 0 ? Verdict::Fail : Verdict::Pass;
            m.session = QStringLiteral("s1");
            QVERIFY2(!inventory.add(m).isEmpty(), qPrintable(inventory.error()));
            // One cell without a capacity is not offered.
            if (i != 1) {
                QVERIFY(inventory.setCapacity(m.cellId, cells.cells[size_t(i)].capacityMah));
            }
        }
    }
    const QStringList base{
        QStringLiteral("pack"),     QStringLiteral("--db"),     db,
        QStringLiteral("--series"), QStringLiteral("4"),        QStringLiteral("--parallel"),
        QStringLiteral("3"),        QStringLiteral("--format"), QStringLiteral("json")};
    const Run first = Cli(base + QStringList{QStringLiteral("--save"), QStringLiteral("P1")});
    QCOMPARE(first.status, 0);
    const QJsonObject one = QJsonDocument::fromJson(first.out).object();
    CheckPack(one, 4, 3, 28);
    const Run second = Cli(base);
    QCOMPARE(second.status, 0);
    CheckPack(QJsonDocument::fromJson(second.out).object(), 4, 3, 28 - 12);
    // The map of cells from the inventory gives each one's verdict in words.
    const QString pdf = dir_.filePath(QStringLiteral("inventory-map.pdf"));
    QCOMPARE(Cli(base + QStringList{QStringLiteral("--map"), pdf}).status, 0);
    const QString page = PdfText(pdf);
    QVERIFY2(page.count(QStringLiteral("PASS")) == 12, qPrintable(page));
    {
        Inventory inventory;
        QVERIFY(inventory.open(db));
        const QString id = one.value(QStringLiteral("groups"))
                               .toArray()
                               .at(2)
                               .toObject()
                               .value(QStringLiteral("cells"))
                               .toArray()
                               .at(1)
                               .toString();
        const auto cell = inventory.cell(id);
        QVERIFY(cell);
        QCOMPARE(cell->cell.pack, QStringLiteral("P1"));
        QCOMPARE(cell->cell.group.value_or(0), 3);
        QCOMPARE(cell->cell.slot.value_or(0), 2);
    }
    const Run none = Cli(base + QStringList{QStringLiteral("--profile"), QStringLiteral("LFP")});
    QCOMPARE(none.status, 1);
    QVERIFY2(none.err.contains(QStringLiteral("no profile \"LFP\"")), qPrintable(none.err));
}

// The map as PDF, its text read back by a PDF reader, and as PNG: every cell's ID is on it.
void CommandTest::assemblyMap() {
    const QString csv = dir_.filePath(QStringLiteral("map-cells.csv"));
    Write(csv, CellsCsv(24));
    const QString pdf = dir_.filePath(QStringLiteral("map.pdf"));
    const QString png = dir_.filePath(QStringLiteral("map.png"));
    const QStringList args{
        QStringLiteral("pack"),     QStringLiteral("--cells"),  csv,
        QStringLiteral("--series"), QStringLiteral("4"),        QStringLiteral("--parallel"),
        QStringLiteral("6"),        QStringLiteral("--format"), QStringLiteral("json")};
    const Run run = Cli(args + QStringList{QStringLiteral("--map"), pdf});
    QCOMPARE(run.status, 0);
    const QString page = PdfText(pdf);
    QVERIFY2(page.contains(QStringLiteral("4S6P: weakest group")), qPrintable(page));
    // A CSV's cells have no verdict to show.
    QVERIFY(!page.contains(QStringLiteral("PASS")));
    const QJsonObject pack = QJsonDocument::fromJson(run.out).object();
    for (const QJsonValue& group : pack.value(QStringLiteral("groups")).toArray()) {
        for (const QJsonValue& id : group.toObject().value(QStringLiteral("cells")).toArray()) {
            QVERIFY2(page.contains(id.toString()), qPrintable(id.toString()));
        }
    }
    QVERIFY(page.contains(QStringLiteral("Group 4")));
    QVERIFY(page.contains(QStringLiteral("mOhm high")) &&
            page.contains(QStringLiteral("mOhm low")));

    QCOMPARE(Cli(args + QStringList{QStringLiteral("--map"), png}).status, 0);
    const QImage picture(png);
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() >= 640);

    const Run wrong = Cli(args + QStringList{QStringLiteral("--map"), dir_.filePath("map.svg")});
    QCOMPARE(wrong.status, 2);
    QVERIFY(wrong.out.isEmpty());
}

int runCommandTests(int argc, char* argv[]) {
    CommandTest test;
    return RunTestObject(test, argc, argv);
}

#include "tst_command.moc"
