#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "platform/GridModel.h"
#include "tst_cellswin.h"
#include "windows/cells/SessionTable.h"

namespace {

SessionRow Row(const QString& uuid, const QString& cellId, Verdict verdict,
               const QStringList& reasons = {}, const QString& bin = QString()) {
    SessionRow row;
    row.uuid = uuid;
    row.cellId = cellId;
    row.time = QDateTime(QDate(2021, 7, 1), QTime(10, 20, 30));
    row.milliohms = 38.2;
    row.volts = 3.912;
    row.ohmText = QStringLiteral("38.20 mOhm");
    row.voltText = QStringLiteral("3.912 V");
    row.judgement.verdict = verdict;
    row.judgement.reasons = reasons;
    row.judgement.bin = bin;
    return row;
}

QStringList Column(const SessionTable& table, int column) {
    QStringList texts;
    for (int r = 0; r < table.rowCount(); ++r) {
        texts.append(table.index(r, column).data().toString());
    }
    return texts;
}

}  // namespace

void TestSessionTable::capacityTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<double>("mah");  // NaN: cleared

    const double cleared = std::nan("");
    QTest::newRow("whole") << "2500" << true << 2500.0;
    QTest::newRow("decimals") << "2512.5" << true << 2512.5;
    QTest::newRow("blanks around") << "  3000 " << true << 3000.0;
    QTest::newRow("empty clears") << "" << true << cleared;
    QTest::newRow("blanks clear") << "   " << true << cleared;
    QTest::newRow("comma decimal") << "2512,5" << false << 0.0;
    QTest::newRow("unit typed") << "2500mAh" << false << 0.0;
    QTest::newRow("zero") << "0" << false << 0.0;
    QTest::newRow("negative") << "-2500" << false << 0.0;
    QTest::newRow("not a number") << "nan" << false << 0.0;
    QTest::newRow("infinite") << "inf" << false << 0.0;
    QTest::newRow("a digit too many") << "25000000" << false << 0.0;
    QTest::newRow("largest") << "1000000" << true << 1e6;
}

void TestSessionTable::capacityTyped() {
    QFETCH(QString, typed);
    QFETCH(bool, readable);
    QFETCH(double, mah);
    const auto parsed = SessionTable::ParseCapacity(typed);
    QCOMPARE(parsed.has_value(), readable);
    if (readable) {
        QCOMPARE(parsed->has_value(), !std::isnan(mah));
        if (!std::isnan(mah)) {
            QCOMPARE(**parsed, mah);
        }
    }
}

void TestSessionTable::verdictInWords_data() {
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QStringList>("reasons");
    QTest::addColumn<QString>("text");

    QTest::newRow("pass") << int(Verdict::Pass) << QStringList() << "PASS";
    QTest::newRow("warn, one reason")
        << int(Verdict::Warn) << QStringList{"IR 52 mOhm above 45"} << "WARN: IR 52 mOhm above 45";
    QTest::newRow("fail, two reasons")
        << int(Verdict::Fail) << QStringList{"IR 72.4 mOhm above 60", "Voltage 2.512 V below 3.4"}
        << "FAIL: IR 72.4 mOhm above 60; Voltage 2.512 V below 3.4";
}

// The verdict is written out in its cell, whatever its colour.
void TestSessionTable::verdictInWords() {
    QFETCH(int, verdict);
    QFETCH(QStringList, reasons);
    QFETCH(QString, text);
    SessionTable table;
    table.append(Row(QStringLiteral("u1"), QStringLiteral("C0001"), Verdict(verdict), reasons));
    const QModelIndex cell = table.index(0, SessionTable::VerdictColumn);
    QCOMPARE(cell.data().toString(), text);
    QCOMPARE(cell.data(Qt::AccessibleTextRole).toString(), text);
    QVERIFY(cell.data(Qt::BackgroundRole).isValid());
}

// An undone capture leaves the table and the counts, and comes back in its place.
void TestSessionTable::deletedRowsHideAndReturn() {
    SessionTable table;
    for (const char* id : {"C0001", "C0002", "C0003"}) {
        table.append(
            Row(QString::fromLatin1(id).toLower(), QString::fromLatin1(id), Verdict::Pass));
    }
    QSignalSpy removed(&table, &QAbstractItemModel::rowsRemoved);
    QVERIFY(table.setDeleted(QStringLiteral("c0002"), true));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(Column(table, SessionTable::Id), (QStringList{"C0001", "C0003"}));
    QCOMPARE(table.all().size(), 3);
    QVERIFY(table.liveMeasurements(QStringLiteral("C0002")).isEmpty());
    QCOMPARE(table.lastLive()->cellId, QStringLiteral("C0003"));

    QVERIFY(table.setDeleted(QStringLiteral("c0003"), true));
    QCOMPARE(table.lastLive()->cellId, QStringLiteral("C0001"));
    QVERIFY(table.setDeleted(QStringLiteral("c0002"), false));
    QCOMPARE(Column(table, SessionTable::Id), (QStringList{"C0001", "C0002"}));
    QVERIFY(table.setDeleted(QStringLiteral("c0003"), false));
    QCOMPARE(Column(table, SessionTable::Id), (QStringList{"C0001", "C0002", "C0003"}));
    // Twice the same is no change; an unknown measurement is refused.
    QVERIFY(table.setDeleted(QStringLiteral("c0003"), false));
    QCOMPARE(table.rowCount(), 3);
    QVERIFY(!table.setDeleted(QStringLiteral("nowhere"), true));

    QVERIFY(table.setDeleted(QStringLiteral("c0001"), true));
    QVERIFY(table.setDeleted(QStringLiteral("c0002"), true));
    QVERIFY(table.setDeleted(QStringLiteral("c0003"), true));
    QVERIFY(!table.lastLive());
    QCOMPARE(table.rowCount(), 0);
}

// Capacity and note belong to the cell: typed in one row, they show in each row of that cell and
// are handed on once to be stored.
void TestSessionTable::editsReachEveryRowOfTheCell() {
    SessionTable table;
    table.append(Row(QStringLiteral("u1"), QStringLiteral("B-7"), Verdict::Pass));
    table.append(Row(QStringLiteral("u2"), QStringLiteral("C0002"), Verdict::Pass));
    SessionRow again = Row(QStringLiteral("u3"), QStringLiteral("B-7"), Verdict::Warn);
    again.remeasure = true;
    table.append(again);
    QList<SessionTable::Edit> stored;
    table.setEditHandler([&](const SessionTable::Edit& edit) {
        stored.append(edit);
        return true;
    });
    QVERIFY(table.flags(table.index(0, SessionTable::Capacity)) & Qt::ItemIsEditable);
    QVERIFY(!(table.flags(table.index(0, SessionTable::Resistance)) & Qt::ItemIsEditable));
    QVERIFY(!table.setData(table.index(0, SessionTable::Resistance), QStringLiteral("1"),
                           Qt::EditRole));

    QVERIFY(table.setData(table.index(2, SessionTable::Capacity), QStringLiteral("2600"),
                          Qt::EditRole));
    QVERIFY(table.setData(table.index(0, SessionTable::Note), QStringLiteral(" dented "),
                          Qt::EditRole));
    QCOMPARE(stored.size(), 2);
    QCOMPARE(stored.at(0).cellId, QStringLiteral("B-7"));
    QVERIFY(stored.at(0).isCapacity);
    QCOMPARE(stored.at(0).capacityMah.value_or(0), 2600.0);
    QVERIFY(!stored.at(1).isCapacity);
    QCOMPARE(stored.at(1).notes, QStringLiteral("dented"));
    QCOMPARE(Column(table, SessionTable::Capacity), (QStringList{"2600", "", "2600"}));
    QCOMPARE(Column(table, SessionTable::Note), (QStringList{"dented", "", "dented"}));
    QCOMPARE(Column(table, SessionTable::Id), (QStringList{"B-7", "C0002", "B-7 (again)"}));
    // The same text again stores nothing.
    QVERIFY(table.setData(table.index(0, SessionTable::Capacity), QStringLiteral("2600"),
                          Qt::EditRole));
    QCOMPARE(stored.size(), 2);
}

// What the inventory refused, or what cannot be read, stays as it was.
void TestSessionTable::refusedEditChangesNothing() {
    SessionTable table;
    table.append(Row(QStringLiteral("u1"), QStringLiteral("C0001"), Verdict::Pass));
    bool accept = false;
    int asked = 0;
    table.setEditHandler([&](const SessionTable::Edit&) {
        ++asked;
        return accept;
    });
    QVERIFY(!table.setData(table.index(0, SessionTable::Capacity), QStringLiteral("lots"),
                           Qt::EditRole));
    QCOMPARE(asked, 0);
    QVERIFY(!table.setData(table.index(0, SessionTable::Capacity), QStringLiteral("2500"),
                           Qt::EditRole));
    QCOMPARE(asked, 1);
    QCOMPARE(table.index(0, SessionTable::Capacity).data().toString(), QString());
    accept = true;
    QVERIFY(table.setData(table.index(0, SessionTable::Capacity), QStringLiteral("2500"),
                          Qt::EditRole));
    QVERIFY(table.setData(table.index(0, SessionTable::Capacity), QString(), Qt::EditRole));
    QCOMPARE(table.index(0, SessionTable::Capacity).data().toString(), QString());
    QCOMPARE(asked, 3);
}

// The printed table: the shown rows under a header, the verdict as its word.
void TestSessionTable::printedColumns() {
    SessionTable table;
    table.append(Row(QStringLiteral("u1"), QStringLiteral("C0001"), Verdict::Pass, {},
                     QStringLiteral("Low")));
    table.append(Row(QStringLiteral("u2"), QStringLiteral("C0002"), Verdict::Fail,
                     {QStringLiteral("IR 72.4 mOhm above 60")}, QStringLiteral("High")));
    table.append(Row(QStringLiteral("u3"), QStringLiteral("C0003"), Verdict::Warn));
    table.append(Row(QStringLiteral("u4"), QStringLiteral("C0004"), Verdict::Warn));
    QVERIFY(table.setDeleted(QStringLiteral("u3"), true));
    GridModel grid;
    table.fill(grid);
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.row(0), (QStringList{"ID", "Time", "Resistance", "Voltage", "Verdict / Bin"}));
    QCOMPARE(grid.row(1),
             (QStringList{"C0001", "10:20:30", "38.20 mOhm", "3.912 V", "PASS / Low"}));
    QCOMPARE(grid.row(2).at(4), QStringLiteral("FAIL / High"));
    QCOMPARE(grid.row(3).at(0), QStringLiteral("C0004"));
    QCOMPARE(grid.row(3).at(4), QStringLiteral("WARN"));
}
