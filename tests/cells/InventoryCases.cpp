#include "InventoryCases.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>
#include <limits>
#include <memory>

#include "core/cells/Csv.h"
#include "core/cells/DatabaseLocation.h"
#include "core/cells/Inventory.h"

Q_DECLARE_METATYPE(InventoryCases::Case)

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

NewMeasurement Capture(const QString& id = QString(), double milliohms = 38.2,
                       double volts = 3.912) {
    NewMeasurement m;
    m.cellId = id;
    m.time = QDateTime::currentDateTime();
    m.milliohms = milliohms;
    m.volts = volts;
    m.ohmText = QString::number(milliohms, 'f', 2);
    m.ohmUnit = QStringLiteral("mOhm");
    m.voltText = QString::number(volts, 'f', 3);
    m.session = QStringLiteral("session-1");
    m.host = QStringLiteral("bench");
    m.port = QStringLiteral("COM1");
    return m;
}

QString Add(Inventory& inventory, const NewMeasurement& m, const QString& replaces = QString()) {
    const QString id = inventory.add(m, replaces);
    if (id.isEmpty()) {
        qWarning() << "add failed:" << inventory.error();
    }
    return id;
}

QString LastUuid(Inventory& inventory, const QString& id) {
    const auto detail = inventory.cell(id);
    return detail && !detail->measurements.isEmpty() ? detail->measurements.constLast().uuid
                                                     : QString();
}

void AutoIdsCountUpPerPrefix(Inventory& inventory) {
    QCOMPARE(inventory.nextFreeId(QStringLiteral("C")), QStringLiteral("C0001"));
    QCOMPARE(Add(inventory, Capture()), QStringLiteral("C0001"));
    QCOMPARE(Add(inventory, Capture()), QStringLiteral("C0002"));
    NewMeasurement other = Capture();
    other.prefix = QStringLiteral("B-");
    QCOMPARE(Add(inventory, other), QStringLiteral("B-0001"));
    QCOMPARE(Add(inventory, Capture()), QStringLiteral("C0003"));
    QCOMPARE(inventory.nextFreeId(QStringLiteral("C")), QStringLiteral("C0004"));
    QCOMPARE(inventory.listCells().size(), 4);
}

void TypedIdsAreSkipped(Inventory& inventory) {
    QCOMPARE(Add(inventory, Capture(QStringLiteral("C0002"))), QStringLiteral("C0002"));
    QCOMPARE(Add(inventory, Capture()), QStringLiteral("C0003"));  // after the highest there
    QCOMPARE(Add(inventory, Capture(QStringLiteral("C0004"))), QStringLiteral("C0004"));
    QCOMPARE(inventory.nextFreeId(QStringLiteral("C")), QStringLiteral("C0005"));
    QCOMPARE(Add(inventory, Capture()), QStringLiteral("C0005"));
    QCOMPARE(Add(inventory, Capture(QStringLiteral("  C0006  "))), QStringLiteral("C0006"));
    QCOMPARE(Add(inventory, Capture()), QStringLiteral("C0007"));
    QCOMPARE(Add(inventory, Capture(QStringLiteral("C9999"))), QStringLiteral("C9999"));
}

void PrefixIsNotAPattern(Inventory& inventory) {
    QCOMPARE(Add(inventory, Capture(QStringLiteral("AB0010"))), QStringLiteral("AB0010"));
    QCOMPARE(Add(inventory, Capture(QStringLiteral("A_0009"))), QStringLiteral("A_0009"));
    QCOMPARE(Add(inventory, Capture(QStringLiteral("A%0030"))), QStringLiteral("A%0030"));
    NewMeasurement m = Capture();
    m.prefix = QStringLiteral("A_");
    QCOMPARE(Add(inventory, m), QStringLiteral("A_0010"));
    m.prefix = QStringLiteral("A%");
    QCOMPARE(Add(inventory, m), QStringLiteral("A%0031"));
    m.prefix = QStringLiteral("x'); DROP TABLE cells; --");
    QCOMPARE(Add(inventory, m), m.prefix + QStringLiteral("0001"));
    QCOMPARE(inventory.listCells().size(), 6);
}

void SameUuidIsStoredOnce(Inventory& inventory) {
    NewMeasurement m = Capture();
    m.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString id = Add(inventory, m);
    QCOMPARE(id, QStringLiteral("C0001"));
    QCOMPARE(Add(inventory, m), id);  // tried again: nothing new
    QCOMPARE(inventory.cell(id)->measurements.size(), 1);
    QCOMPARE(inventory.nextFreeId(QStringLiteral("C")), QStringLiteral("C0002"));
    QVERIFY(inventory.measurement(m.uuid));
}

void UndoMarksDeletedAndBack(Inventory& inventory) {
    const QString id = Add(inventory, Capture(QString(), 30.0));
    const QString first = LastUuid(inventory, id);
    Add(inventory, Capture(id, 31.0));
    const QString second = LastUuid(inventory, id);
    QCOMPARE(inventory.listCells().first().latest->milliohms, 31.0);
    QVERIFY(inventory.setDeleted(second, true));
    QCOMPARE(inventory.listCells().first().latest->milliohms, 30.0);
    QVERIFY(inventory.setDeleted(first, true));
    QVERIFY(!inventory.listCells().first().latest);
    const auto detail = inventory.cell(id);
    QCOMPARE(detail->measurements.size(), 2);  // nothing erased
    QVERIFY(detail->measurements.at(0).deleted && detail->measurements.at(1).deleted);
    QVERIFY(inventory.setDeleted(second, false));
    QCOMPARE(inventory.listCells().first().latest->uuid, second);
    QVERIFY(!inventory.setDeleted(QStringLiteral("no-such-uuid"), true));
    QVERIFY(!inventory.error().isEmpty());
}

void ReplaceMarksTheEarlierDeleted(Inventory& inventory) {
    const QString id = Add(inventory, Capture(QString(), 50.0));
    const QString earlier = LastUuid(inventory, id);
    QCOMPARE(Add(inventory, Capture(id, 40.0), earlier), id);
    const auto detail = inventory.cell(id);
    QCOMPARE(detail->measurements.size(), 2);
    QVERIFY(detail->measurements.at(0).deleted);
    QVERIFY(!detail->measurements.at(1).deleted);
    QCOMPARE(inventory.listCells().first().latest->milliohms, 40.0);
}

// The list's latest is the newest by time and then by order in its session, whatever order the
// measurements were stored in (a bench that was away uploads older ones later), and follows a
// replace that marks another cell's measurement deleted.
void LatestIsTheNewestNotTheLastStored(Inventory& inventory) {
    const QDateTime noon(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC);
    NewMeasurement later = Capture(QStringLiteral("L1"), 41.0);
    later.time = noon;
    Add(inventory, later);
    NewMeasurement older = Capture(QStringLiteral("L1"), 42.0);
    older.time = noon.addSecs(-3600);
    Add(inventory, older);
    NewMeasurement sameMoment = Capture(QStringLiteral("L1"), 43.0);
    sameMoment.time = noon;  // the same millisecond, later in the session
    Add(inventory, sameMoment);
    QCOMPARE(inventory.listCells().first().latest->milliohms, 43.0);

    const QString wrong = LastUuid(inventory, Add(inventory, Capture(QStringLiteral("L2"), 50.0)));
    // The capture was meant for L3: stored there, L2's measurement marked deleted.
    QCOMPARE(Add(inventory, Capture(QStringLiteral("L3"), 51.0), wrong), QStringLiteral("L3"));
    const QVector<CellSummary> cells = inventory.listCells();
    QCOMPARE(cells.size(), 3);
    QCOMPARE(cells.at(1).cell.id, QStringLiteral("L2"));
    QVERIFY(!cells.at(1).latest);
    QCOMPARE(cells.at(2).latest->milliohms, 51.0);
    QVERIFY(inventory.setDeleted(wrong, false));
    QCOMPARE(inventory.listCells().at(1).latest->uuid, wrong);
    CellFilter any;
    any.capacityKnown = false;
    QCOMPARE(inventory.loadCells(any).size(), 3);
}

void StoredAsGiven(Inventory& inventory) {
    NewMeasurement m = Capture(QStringLiteral("K-7"), 1234.0, NaN);
    m.ohmUnit = QStringLiteral("Ohm");
    m.ohmText = QStringLiteral("1.234");
    m.voltText = QStringLiteral("OL");
    m.verdict = Verdict::Fail;
    m.reasons = {QStringLiteral("IR 1234 mOhm above 70"), QStringLiteral("Voltage not measured")};
    m.bin = QStringLiteral("C");
    m.remeasure = true;
    m.profile = QStringLiteral("Example 18650 Li-ion");
    m.time = QDateTime(QDate(2026, 3, 1), QTime(10, 20, 30, 250), Qt::OffsetFromUTC, 19800);
    Add(inventory, m);
    const Measurement got = inventory.cell(QStringLiteral("K-7"))->measurements.first();
    QCOMPARE(got.time.toMSecsSinceEpoch(), m.time.toMSecsSinceEpoch());
    QCOMPARE(got.time.offsetFromUtc(), 19800);
    QCOMPARE(got.milliohms, 1234.0);
    QVERIFY(std::isnan(got.volts));
    QCOMPARE(got.ohmText, m.ohmText);
    QCOMPARE(got.ohmUnit, m.ohmUnit);
    QCOMPARE(got.voltText, m.voltText);
    QCOMPARE(got.verdict, Verdict::Fail);
    QCOMPARE(got.reasons, m.reasons);
    QCOMPARE(got.bin, m.bin);
    QVERIFY(got.remeasure);
    QVERIFY(!got.deleted);
    QCOMPARE(got.session, m.session);
    QCOMPARE(got.host, m.host);
    QCOMPARE(got.port, m.port);
    QCOMPARE(got.sequence, 1);
    QCOMPARE(inventory.cell(QStringLiteral("K-7"))->cell.profile, m.profile);
    QVERIFY(inventory.measuredInSession(QStringLiteral("K-7"), m.session));
    QVERIFY(!inventory.measuredInSession(QStringLiteral("K-7"), QStringLiteral("other")));
    QVERIFY(!inventory.cell(QStringLiteral("nobody")));
}

void SelfDischargeSinceTheFirst(Inventory& inventory) {
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-10);
    NewMeasurement m = Capture(QStringLiteral("S1"), 30.0, 4.100);
    m.time = start;
    Add(inventory, m);  // deleted below: the first that counts is the next one
    const QString mistaken = LastUuid(inventory, QStringLiteral("S1"));
    m.volts = 4.000;
    m.time = start.addSecs(3600);
    Add(inventory, m);
    QVERIFY(inventory.setDeleted(mistaken, true));
    m.volts = 3.990;
    m.time = start.addSecs(3600 + 12 * 3600);
    Add(inventory, m);
    QVERIFY(!inventory.cell(QStringLiteral("S1"))->selfDischarge);  // under a day
    m.volts = 3.980;
    m.time = start.addSecs(3600).addDays(2);
    Add(inventory, m);
    const auto rate = inventory.cell(QStringLiteral("S1"))->selfDischarge;
    QVERIFY(rate);
    QVERIFY(qAbs(*rate - 10.0) < 1e-9);
    QCOMPARE(inventory.firstMeasurement(QStringLiteral("S1"))->volts, 4.0);
}

void ExportsEveryMeasurement(Inventory& inventory) {
    const QString id = Add(inventory, Capture(QString(), 38.2, 3.912));
    NewMeasurement m = Capture(id, 72.4, 3.905);
    m.verdict = Verdict::Warn;
    m.reasons = {QStringLiteral("IR 72.4 mOhm above 60"), QStringLiteral("a, \"quoted\" one")};
    m.remeasure = true;
    Add(inventory, m);
    QVERIFY(inventory.setDeleted(LastUuid(inventory, id), true));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QVERIFY(inventory.exportCsv(out));
    out.close();
    out.open(QIODevice::ReadOnly);
    Csv::Reader reader(out);
    QStringList fields;
    QVERIFY(reader.next(fields));
    QCOMPARE(fields, Inventory::ExportHeader());
    for (const char* name : {"id", "time", "ir_mohm", "volt", "verdict", "remeasure", "deleted"}) {
        QVERIFY2(fields.contains(QLatin1String(name)), name);
    }
    const QStringList header = fields;
    const auto column = [&](const char* name) { return header.indexOf(QLatin1String(name)); };
    QVERIFY(reader.next(fields));
    QCOMPARE(fields.size(), header.size());
    QCOMPARE(fields.at(column("id")), id);
    QCOMPARE(fields.at(column("ir_mohm")), QStringLiteral("38.2"));
    QCOMPARE(fields.at(column("volt")), QStringLiteral("3.912"));
    QCOMPARE(fields.at(column("verdict")), QStringLiteral("PASS"));
    QCOMPARE(fields.at(column("remeasure")), QStringLiteral("false"));
    QCOMPARE(fields.at(column("deleted")), QStringLiteral("false"));
    QVERIFY(QDateTime::fromString(fields.at(column("time")), Qt::ISODateWithMs).isValid());
    QVERIFY(reader.next(fields));
    QCOMPARE(fields.at(column("ir_mohm")), QStringLiteral("72.4"));
    QCOMPARE(fields.at(column("reasons")),
             QStringLiteral("IR 72.4 mOhm above 60; a, \"quoted\" one"));
    QCOMPARE(fields.at(column("remeasure")), QStringLiteral("true"));
    QCOMPARE(fields.at(column("deleted")), QStringLiteral("true"));
    QVERIFY(!reader.next(fields));
    QCOMPARE(reader.error(), QString());
}

// Takes `room` bytes, then refuses every write: a disk that fills up.
class FullDevice : public QIODevice {
  public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        if (size > room_) {
            setErrorString(QStringLiteral("no space left"));
            return -1;
        }
        room_ -= size;
        return size;
    }

  private:
    qint64 room_;
};

// Enough rows for several of the export's blocks and of its reader's batches, made by the
// database in one statement on either engine.
void ExportsManyRowsInOrderAndStopsAtAFullDisk(Inventory& inventory) {
    constexpr int Rows = 12000;
    const auto where = DatabaseLocation::Parse(inventory.location(), nullptr);
    QVERIFY(where);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(where->driver(), QStringLiteral("fill"));
        where->configure(db);
        QVERIFY(db.open());
        QSqlQuery q(db);
        const QString numbers =
            QStringLiteral(
                "WITH RECURSIVE g(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM g WHERE n < %1) ")
                .arg(Rows);
        QVERIFY2(q.exec(numbers + QStringLiteral("INSERT INTO cells (id, notes) SELECT 'M' || "
                                                 "(100000 + n), '' FROM g")),
                 qPrintable(q.lastError().text()));
        // Stored in the reverse of their time order, with a reason that must be quoted.
        QVERIFY2(q.exec(numbers +
                        QStringLiteral("INSERT INTO measurements (uuid, cell_id, time_ms, "
                                       "utc_offset, milliohms, volts, ohm_text, ohm_unit, "
                                       "volt_text, verdict, reasons, session, port, seq) SELECT "
                                       "'u' || n, 'M' || (100000 + n), 1700000000000 - n, 0, 45, "
                                       "3.6, '45.0', 'mOhm', '3.600', 'WARN', 'IR 45, high', 's', "
                                       "'COM1', n FROM g")),
                 qPrintable(q.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    QVERIFY(inventory.rebuildLatest());
    QCOMPARE(inventory.listCells().constFirst().latest->uuid, QStringLiteral("u1"));

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QVERIFY2(inventory.exportCsv(out), qPrintable(inventory.error()));
    const QList<QByteArray> lines = out.data().split('\n');
    QCOMPARE(lines.size(), Rows + 2);  // the header, the rows, and nothing after the last CR LF
    QVERIFY(lines.constLast().isEmpty());
    for (int i = 1; i <= Rows; i += 997) {
        QVERIFY2(lines.at(i).startsWith("M" + QByteArray::number(100000 + Rows + 1 - i) + ','),
                 lines.at(i).constData());
        QVERIFY(lines.at(i).contains(",\"IR 45, high\","));
    }

    // The device fails after a block: the export says so and stops, and nothing is held.
    FullDevice full(out.data().size() / 3);
    QVERIFY(!inventory.exportCsv(full));
    QCOMPARE(inventory.error(), QStringLiteral("no space left"));
    QVERIFY(inventory.setNotes(QStringLiteral("M100001"), QStringLiteral("still writable")));
}

std::optional<ImportReport> Import(Inventory& inventory, const QByteArray& csv) {
    QBuffer buffer;
    buffer.setData(csv);
    buffer.open(QIODevice::ReadOnly);
    return inventory.importCapacity(buffer);
}

void ImportsCapacities(Inventory& inventory) {
    for (const char* id : {"C1", "C2", "C3"}) {
        Add(inventory, Capture(QLatin1String(id)));
    }
    const auto report =
        Import(inventory, "id,capacity_mah\r\nC1,2500\r\n\"C2\",2450.5\r\nZ9,100\r\n");
    QVERIFY(report);
    QCOMPARE(report->updated, 2);
    QCOMPARE(report->unknownIds, QStringList{QStringLiteral("Z9")});
    QCOMPARE(inventory.cell(QStringLiteral("C2"))->cell.capacityMah, 2450.5);
    // A fault anywhere changes nothing.
    QVERIFY(!Import(inventory, "id,capacity_mah\nC1,1\nC3,12,5\n"));
    QCOMPARE(inventory.error(), QStringLiteral("row 3: 3 fields, expected 2"));
    QVERIFY(!Import(inventory, "id,capacity_mah\nC1,1\nC3,2500mAh\n"));
    QCOMPARE(inventory.error(),
             QStringLiteral("row 3, column 2: \"2500mAh\" is not a capacity in mAh"));
    QVERIFY(!Import(inventory, "id,capacity_mah\nC1,1\nC3,-5\n"));
    QVERIFY(!Import(inventory, "id,capacity_mah\nC1,1\nC3,\"25\n"));
    QVERIFY(inventory.error().startsWith(QStringLiteral("row 3, column 2: ")));
    QVERIFY(!Import(inventory, "id;capacity_mah\nC1;1\n"));
    QVERIFY(inventory.error().contains(QStringLiteral("id,capacity_mah")));
    QVERIFY(!Import(inventory, ""));
    QCOMPARE(inventory.cell(QStringLiteral("C1"))->cell.capacityMah, 2500.0);
    QVERIFY(!inventory.cell(QStringLiteral("C3"))->cell.capacityMah);
    // An empty capacity clears it.
    QVERIFY(Import(inventory, "id,capacity_mah\nC1,\n"));
    QVERIFY(!inventory.cell(QStringLiteral("C1"))->cell.capacityMah);
    QVERIFY(inventory.setCapacity(QStringLiteral("C3"), 3000));
    QCOMPARE(inventory.cell(QStringLiteral("C3"))->cell.capacityMah, 3000.0);
    QVERIFY(!inventory.setCapacity(QStringLiteral("nobody"), 1));
    QVERIFY(inventory.setNotes(QStringLiteral("C3"), QStringLiteral("dented")));
    QCOMPARE(inventory.cell(QStringLiteral("C3"))->cell.notes, QStringLiteral("dented"));
}

void ProfilesAddReplaceRemove(Inventory& inventory) {
    const QVector<Profile> examples = Profile::Examples();
    QCOMPARE(inventory.profiles(), examples);  // a new inventory starts with them
    Profile p;
    p.name = QStringLiteral("Samsung 25R, used");
    p.irPass = 25;
    p.irFail = 40;
    p.voltPass = Window{3.3, 4.2};
    p.selfDischargeMax = 8;
    p.binOn = Profile::BinOn::Voltage;
    p.bins = {{QStringLiteral("lo"), 3.5},
              {QStringLiteral("hi"), std::numeric_limits<double>::infinity()}};
    p.notes = QStringLiteral("from laptop packs");
    QVERIFY(inventory.saveProfile(p));
    QCOMPARE(inventory.profile(p.name), p);
    p.irFail = std::nullopt;
    p.voltWarn = Window{3.0, 4.25};
    p.bins.removeLast();
    QVERIFY(inventory.saveProfile(p));
    QCOMPARE(inventory.profile(p.name), p);
    QCOMPARE(inventory.profiles().size(), examples.size() + 1);
    Profile bad = p;
    bad.irPass = 50;
    bad.irFail = 40;
    QVERIFY(!inventory.saveProfile(bad));
    QCOMPARE(inventory.error(), QStringLiteral("the pass resistance is above the fail resistance"));
    QCOMPARE(inventory.profile(p.name), p);
    QVERIFY(inventory.removeProfile(p.name));
    QVERIFY(!inventory.profile(p.name));
    QVERIFY(!inventory.removeProfile(p.name));
    QCOMPARE(inventory.profiles(), examples);
}

void LoadsCellsAndSavesAPack(Inventory& inventory) {
    const auto add = [&](const char* id, double capacity, Verdict verdict, const char* profile) {
        NewMeasurement m = Capture(QLatin1String(id));
        m.verdict = verdict;
        m.profile = QLatin1String(profile);
        Add(inventory, m);
        if (capacity > 0) {
            inventory.setCapacity(QLatin1String(id), capacity);
        }
    };
    add("P1", 2500, Verdict::Pass, "a");
    add("P2", 2400, Verdict::Pass, "a");
    add("P3", 0, Verdict::Pass, "a");     // capacity unknown
    add("P4", 2450, Verdict::Fail, "a");  // failed
    add("P5", 2300, Verdict::Warn, "b");
    add("P6", 2600, Verdict::Pass, "b");
    const auto ids = [](const QVector<MatchCell>& cells) {
        QStringList list;
        for (const MatchCell& c : cells) {
            list.append(c.id);
        }
        return list;
    };
    QCOMPARE(ids(inventory.loadCells({})), (QStringList{"P1", "P2", "P6"}));
    CellFilter filter;
    filter.profile = QStringLiteral("a");
    QCOMPARE(ids(inventory.loadCells(filter)), (QStringList{"P1", "P2"}));
    filter.capacityKnown = false;
    filter.verdicts = {Verdict::Pass, Verdict::Fail};
    QCOMPARE(ids(inventory.loadCells(filter)), (QStringList{"P1", "P2", "P3", "P4"}));
    const MatchCell first = inventory.loadCells({}).first();
    QCOMPARE(first.capacityMah, 2500.0);
    QCOMPARE(first.milliohms, 38.2);
    QCOMPARE(first.volts, 3.912);
    QVERIFY(inventory.savePack(QStringLiteral("pack-1"), {{"P1", 1, 1}, {"P6", 2, 1}}));
    QCOMPARE(ids(inventory.loadCells({})), QStringList{"P2"});
    QCOMPARE(inventory.cell(QStringLiteral("P6"))->cell.pack, QStringLiteral("pack-1"));
    QCOMPARE(inventory.cell(QStringLiteral("P6"))->cell.group, 2);
    // A cell of another pack, or one not there, is refused and nothing changes.
    QVERIFY(!inventory.savePack(QStringLiteral("pack-2"), {{"P2", 1, 1}, {"P1", 2, 1}}));
    QVERIFY(!inventory.savePack(QStringLiteral("pack-2"), {{"P2", 1, 1}, {"nobody", 2, 1}}));
    QVERIFY(inventory.cell(QStringLiteral("P2"))->cell.pack.isEmpty());
    // Saved again under its name, a pack replaces its cells.
    QVERIFY(inventory.savePack(QStringLiteral("pack-1"), {{"P2", 1, 1}}));
    QCOMPARE(ids(inventory.loadCells({})), (QStringList{"P1", "P6"}));
}

// A fresh SQLite file for the cases that handle the file itself.
QString RawFile(const InventoryCases::Locations& fresh, const QString& name) {
    return fresh(name);
}

}  // namespace

InventoryCases::InventoryCases(Locations fresh, bool files)
    : fresh_(std::move(fresh)), files_(files) {}

InventoryCases::Locations InventoryCases::TemporaryFiles() {
    auto dir = std::make_shared<QTemporaryDir>();
    auto serial = std::make_shared<int>(0);
    return [dir, serial](const QString& name) {
        QString safe = name;
        safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
        return dir->filePath(QStringLiteral("%1-%2.sqlite").arg(++*serial).arg(safe));
    };
}

void InventoryCases::cases_data() {
    QTest::addColumn<Case>("run");
    QTest::newRow("new IDs count up per prefix") << Case(AutoIdsCountUpPerPrefix);
    QTest::newRow("typed IDs are skipped") << Case(TypedIdsAreSkipped);
    QTest::newRow("a prefix is not a pattern") << Case(PrefixIsNotAPattern);
    QTest::newRow("one UUID is stored once") << Case(SameUuidIsStoredOnce);
    QTest::newRow("undo marks deleted and back") << Case(UndoMarksDeletedAndBack);
    QTest::newRow("replace marks the earlier deleted") << Case(ReplaceMarksTheEarlierDeleted);
    QTest::newRow("latest is the newest, not the last stored")
        << Case(LatestIsTheNewestNotTheLastStored);
    QTest::newRow("stored as given") << Case(StoredAsGiven);
    QTest::newRow("self-discharge since the first") << Case(SelfDischargeSinceTheFirst);
    QTest::newRow("export of every measurement") << Case(ExportsEveryMeasurement);
    QTest::newRow("export of many rows, and at a full disk")
        << Case(ExportsManyRowsInOrderAndStopsAtAFullDisk);
    QTest::newRow("capacity import") << Case(ImportsCapacities);
    QTest::newRow("profiles") << Case(ProfilesAddReplaceRemove);
    QTest::newRow("cells for the matcher, and a pack") << Case(LoadsCellsAndSavesAPack);
}

void InventoryCases::cases() {
    QFETCH(Case, run);
    Inventory inventory;
    QVERIFY2(inventory.open(fresh_(QString::fromLatin1(QTest::currentDataTag()))),
             qPrintable(inventory.error()));
    QCOMPARE(inventory.schemaVersion(), Inventory::SchemaVersion);
    run(inventory);
}

void InventoryCases::migrationFromTheFirstSchema() {
    if (!files_) {
        QSKIP("builds an SQLite file by hand");
    }
    const QString path = RawFile(fresh_, QStringLiteral("first schema"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)")));
        for (const QString& statement : Inventory::MigrationStatements(1)) {
            QVERIFY2(q.exec(statement), qPrintable(q.lastError().text()));
        }
        QVERIFY(q.exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (1)")));
        QVERIFY(q.exec(QStringLiteral(
            "INSERT INTO profiles (name, ir_pass, ir_fail, volt_pass_min, volt_pass_max) VALUES "
            "('old', 60, 70, 3.5, 4.2)")));
        QVERIFY(q.exec(QStringLiteral(
            "INSERT INTO cells (id, profile, capacity_mah) VALUES ('C0007', 'old', 2500)")));
        QVERIFY(q.exec(QStringLiteral(
            "INSERT INTO measurements (uuid, cell_id, time_ms, utc_offset, milliohms, volts, "
            "ohm_text, ohm_unit, volt_text, verdict, reasons, bin, session, port) VALUES ('u-1', "
            "'C0007', 1700000000000, 3600, 38.2, 3.912, '38.20', 'mOhm', '3.912', 'PASS', '', "
            "NULL, 's-old', 'COM1')")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));

    Inventory inventory;
    QVERIFY2(inventory.open(path), qPrintable(inventory.error()));
    QCOMPARE(inventory.schemaVersion(), Inventory::SchemaVersion);
    const auto old = inventory.profile(QStringLiteral("old"));
    QVERIFY(old);
    QCOMPARE(old->irFail, 70.0);
    QCOMPARE(old->voltPass, (Window{3.5, 4.2}));
    QVERIFY(old->bins.isEmpty());
    QCOMPARE(old->binOn, Profile::BinOn::Resistance);
    // A migrated inventory is not a new one: no examples are added to it.
    QCOMPARE(inventory.profiles().size(), 1);
    const auto cell = inventory.cell(QStringLiteral("C0007"));
    QVERIFY(cell);
    QCOMPARE(cell->cell.capacityMah, 2500.0);
    QCOMPARE(cell->measurements.size(), 1);
    const Measurement& m = cell->measurements.first();
    QCOMPARE(m.time.toMSecsSinceEpoch(), Q_INT64_C(1700000000000));
    QCOMPARE(m.time.offsetFromUtc(), 3600);
    QVERIFY(!m.remeasure);
    QCOMPARE(m.host, QString());
    // The counter starts after the cells already there.
    QCOMPARE(inventory.add(Capture()), QStringLiteral("C0008"));
    inventory.close();
    QVERIFY(inventory.open(path));  // opened again: nothing left to do
    QCOMPARE(inventory.cell(QStringLiteral("C0008"))->measurements.size(), 1);
}

void InventoryCases::migrationFromTheSecondSchema() {
    const QString location = fresh_(QStringLiteral("second schema"));
    const auto where = DatabaseLocation::Parse(location, nullptr);
    QVERIFY(where);
    struct Row {
        const char* uuid;
        const char* cell;
        qint64 timeMs;
        int seq;
        int deleted;
    };
    // A: the newest is deleted, the one before it is at the same moment as an older, later in
    // its session. B: every one deleted. C: none at all.
    const Row rows[] = {
        {"a-1", "A", 1000, 1, 0}, {"a-2", "A", 2000, 1, 0}, {"a-3", "A", 2000, 2, 0},
        {"a-4", "A", 3000, 1, 1}, {"b-1", "B", 1000, 1, 1},
    };
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(where->driver(), QStringLiteral("raw"));
        where->configure(db);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)")));
        for (const int version : {1, 2}) {
            for (const QString& statement : Inventory::MigrationStatements(version)) {
                QVERIFY2(q.exec(statement), qPrintable(q.lastError().text()));
            }
        }
        QVERIFY(q.exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (2)")));
        QVERIFY(q.exec(QStringLiteral(
            "INSERT INTO cells (id, capacity_mah) VALUES ('A', 2500), ('B', 2600), ('C', 2700)")));
        QVERIFY(q.prepare(QStringLiteral(
            "INSERT INTO measurements (uuid, cell_id, time_ms, utc_offset, milliohms, volts, "
            "ohm_text, ohm_unit, volt_text, verdict, reasons, session, port, seq, deleted) "
            "VALUES (?, ?, ?, 0, 30, 3.9, '30', 'mOhm', '3.900', 'PASS', '', 's', 'COM1', ?, ?)")));
        for (const Row& row : rows) {
            q.addBindValue(QString::fromLatin1(row.uuid));
            q.addBindValue(QString::fromLatin1(row.cell));
            q.addBindValue(row.timeMs);
            q.addBindValue(row.seq);
            q.addBindValue(row.deleted);
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));

    Inventory inventory;
    QVERIFY2(inventory.open(location), qPrintable(inventory.error()));
    QCOMPARE(inventory.schemaVersion(), Inventory::SchemaVersion);
    const QVector<CellSummary> cells = inventory.listCells();
    QCOMPARE(cells.size(), 3);
    QCOMPARE(cells.at(0).latest->uuid, QStringLiteral("a-3"));
    QVERIFY(!cells.at(1).latest);
    QVERIFY(!cells.at(2).latest);
    CellFilter any;
    any.capacityKnown = false;
    QCOMPARE(inventory.loadCells(any).size(), 1);
    // Kept in step from here on.
    QVERIFY(inventory.setDeleted(QStringLiteral("a-4"), false));
    QCOMPARE(inventory.listCells().first().latest->uuid, QStringLiteral("a-4"));
    QVERIFY(inventory.setDeleted(QStringLiteral("b-1"), false));
    QCOMPARE(inventory.listCells().at(1).latest->uuid, QStringLiteral("b-1"));
    inventory.close();
    QVERIFY(inventory.open(location));  // opened again: nothing left to do
    QCOMPARE(inventory.listCells().at(1).latest->uuid, QStringLiteral("b-1"));
}

void InventoryCases::newerSchemaIsRefused() {
    const QString location = fresh_(QStringLiteral("newer schema"));
    {
        Inventory inventory;
        QVERIFY(inventory.open(location));
        QVERIFY(!inventory.add(Capture()).isEmpty());
    }
    {
        const auto where = DatabaseLocation::Parse(location, nullptr);
        QSqlDatabase db = QSqlDatabase::addDatabase(where->driver(), QStringLiteral("raw"));
        where->configure(db);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("UPDATE schema_version SET version = 99")));
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE from_the_future (x INTEGER)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    Inventory inventory;
    QVERIFY(!inventory.open(location));
    QCOMPARE(inventory.error(),
             QStringLiteral("the inventory %1 has schema version 99, newer than this program "
                            "knows (%2); it was left as it is: open it with a newer Kelvomark")
                 .arg(location, QString::number(Inventory::SchemaVersion)));
    QVERIFY(!inventory.isOpen());
    {
        const auto where = DatabaseLocation::Parse(location, nullptr);
        QSqlDatabase db = QSqlDatabase::addDatabase(where->driver(), QStringLiteral("raw"));
        where->configure(db);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT version FROM schema_version")) && q.next());
        QCOMPARE(q.value(0).toInt(), 99);
        QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM measurements")) && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QVERIFY(db.tables().contains(QStringLiteral("from_the_future")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

void InventoryCases::notAnInventory() {
    if (!files_) {
        QSKIP("files only");
    }
    const QString path = RawFile(fresh_, QStringLiteral("not an inventory"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("id\tohm\r\n1\t38.20\r\n");
    }
    Inventory inventory;
    QVERIFY(!inventory.open(path));
    QVERIFY2(inventory.error().contains(path), qPrintable(inventory.error()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("id\tohm\r\n1\t38.20\r\n"));  // left as it was

    const QString other = RawFile(fresh_, QStringLiteral("someone else's database"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(other);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE recipes (name TEXT)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    QVERIFY(!inventory.open(other));
    QVERIFY2(inventory.error().contains(QStringLiteral("other than a cell inventory")),
             qPrintable(inventory.error()));
    QVERIFY(!inventory.open(QStringLiteral("/proc/kelvomark-cannot/cells.sqlite")));
    QVERIFY(!inventory.error().isEmpty());
}

void InventoryCases::twoWritersOnOneInventory() {
    const QString location = fresh_(QStringLiteral("two writers"));
    {
        Inventory first;
        QVERIFY(first.open(location));
    }
    constexpr int PerWriter = 60;
    QStringList ids[2];
    QString errors[2];
    const auto writer = [&](int n) {
        Inventory inventory;
        if (!inventory.open(location)) {
            errors[n] = inventory.error();
            return;
        }
        for (int i = 0; i < PerWriter; ++i) {
            NewMeasurement m = Capture(i % 5 == 0 ? QStringLiteral("T%1").arg(i) : QString());
            m.session = QStringLiteral("writer-%1").arg(n);
            const QString id = inventory.add(m);
            if (id.isEmpty()) {
                errors[n] = inventory.error();
                return;
            }
            ids[n].append(id);
        }
    };
    std::unique_ptr<QThread> threads[2] = {std::unique_ptr<QThread>(QThread::create(writer, 0)),
                                           std::unique_ptr<QThread>(QThread::create(writer, 1))};
    for (auto& thread : threads) {
        thread->start();
    }
    for (auto& thread : threads) {
        QVERIFY(thread->wait(120000));
    }
    QCOMPARE(errors[0], QString());
    QCOMPARE(errors[1], QString());
    Inventory inventory;
    QVERIFY(inventory.open(location));
    int measurements = 0;
    QVERIFY(inventory.forEachMeasurement([&](const Measurement&) {
        ++measurements;
        return true;
    }));
    QCOMPARE(measurements, 2 * PerWriter);
    // The new numbers were never handed to both.
    QSet<QString> fresh;
    for (const QStringList& list : ids) {
        for (const QString& id : list) {
            if (!id.startsWith(u'T')) {
                QVERIFY2(!fresh.contains(id), qPrintable(id));
                fresh.insert(id);
            }
        }
    }
    QCOMPARE(fresh.size(), 2 * PerWriter - 2 * (PerWriter / 5));
    // Both wrote to the typed cells at once: each cell's latest is still its newest.
    for (const CellSummary& summary : inventory.listCells()) {
        const auto detail = inventory.cell(summary.cell.id);
        QVERIFY(detail && summary.latest);
        const Measurement& newest = detail->measurements.constLast();
        QCOMPARE(summary.latest->time, newest.time);
        QCOMPARE(summary.latest->sequence, newest.sequence);
    }
}
