#include <QAbstractItemView>
#include <QPushButton>
#include <QSpinBox>

#include "SortRig.h"
#include "tst_cellswin.h"

namespace {

// One cell held on the probes for a minute, settling slower than the test: only the capture
// key takes it.
const QStringList LongHold = {"--bounce",  "2",   "--hold-ms", "60000",
                              "--open-ms", "700", "--cells",   "1"};
const QStringList Quick = {"--bounce", "2", "--hold-ms", "1800", "--open-ms", "700"};

// Past the touch's bounce, the meter showing the cell.
bool WaitHolding(SortRig& rig) {
    rig.window->settleChoice()->setValue(40);
    return QTest::qWaitFor(
        [&] {
            return rig.state() == u"Hold still" && std::abs(rig.rig.ohm().toDouble() - 38.2) < 0.5;
        },
        15000);
}

}  // namespace

// Space takes the reading at once wherever the focus is, as a foot pedal that types it, except
// in a field being typed in.
void TestSortKeys::spaceCaptures() {
    SortRig rig("38.2 3.912\n", LongHold);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QVERIFY(WaitHolding(rig));
    QWidget* const places[] = {rig.window->table(), rig.window->idField(),
                               rig.window->profileChoice(),
                               rig.window->findChild<QPushButton*>(QStringLiteral("BtnInventory"))};
    int expected = 0;
    for (QWidget* place : places) {
        place->setFocus();
        QCOMPARE(QApplication::focusWidget(), place);
        rig.key(Qt::Key_Space);
        ++expected;
        QVERIFY2(rig.rows() == expected, qPrintable(place->objectName()));
    }
    // The button was not pressed: no file was asked for.
    QVERIFY(rig.rig.dialogs.lastFilter.isEmpty());
    const SessionRow& row = rig.table().all().first();
    QVERIFY(std::abs(row.milliohms - 38.2) < 1);
    QCOMPARE(row.judgement.verdict, Verdict::Pass);
    QVERIFY(Stored(rig.inventoryPath(), row.uuid));
}

// In an ID field with text in it, Space is a character and Ctrl+Z undoes the typing.
void TestSortKeys::spaceTypesInTheIdField() {
    SortRig rig("38.2 3.912\n", LongHold);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QVERIFY(WaitHolding(rig));
    QLineEdit* id = rig.window->idField();
    id->setFocus();
    QTest::keyClicks(id, QStringLiteral("AB"));
    rig.key(Qt::Key_Space);
    QTest::keyClicks(id, QStringLiteral("7"));
    QCOMPARE(id->text(), QStringLiteral("AB 7"));
    QCOMPARE(rig.rows(), 0);
    rig.keys(QKeySequence::Undo);
    QVERIFY(id->text() != u"AB 7");
    QCOMPARE(rig.rows(), 0);
    // The pedal still works from the next place the focus goes.
    id->setText(QStringLiteral("AB 7"));
    rig.window->table()->setFocus();
    rig.key(Qt::Key_Space);
    QCOMPARE(rig.rows(), 1);
    QCOMPARE(rig.table().all().first().cellId, QStringLiteral("AB 7"));
    QVERIFY(id->text().isEmpty());
}

// A keyboard barcode scanner types its code and Enter wherever the focus is: the code names the
// next capture, and a second code before the touch replaces the first.
void TestSortKeys::scannedCodeNamesTheNextCell() {
    SortRig rig("38.2 3.912\n", Quick + QStringList{"--cells", "4"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QVERIFY(rig.waitOpen());
    QAbstractItemView* table = rig.window->table();
    QLineEdit* id = rig.window->idField();
    auto* next = rig.window->findChild<QLabel*>(QStringLiteral("LblNextId"));
    table->setFocus();
    QTest::keyClicks(table, QStringLiteral("X123"));
    QCOMPARE(id->text(), QStringLiteral("X123"));
    QCOMPARE(QApplication::focusWidget(), id);
    QTest::keyClick(id, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), table);
    QCOMPARE(next->text(), QStringLiteral("Next: X123"));
    QTest::keyClicks(table, QStringLiteral("Y9"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(id->text(), QStringLiteral("Y9"));
    const qsizetype before = rig.table().all().size();
    QVERIFY(QTest::qWaitFor([&] { return rig.table().all().size() > before; }, 20000));
    QCOMPARE(rig.table().all().last().cellId, QStringLiteral("Y9"));
    QVERIFY(id->text().isEmpty());
    QVERIFY2(next->text().startsWith(u"Next: C"), qPrintable(next->text()));
    // The auto number goes on where the inventory stands.
    QVERIFY(QTest::qWaitFor([&] { return rig.table().all().size() > before + 1; }, 20000));
    QVERIFY(rig.table().all().last().cellId.startsWith(u'C'));
}

void TestSortKeys::typedIdWithoutEnter() {
    SortRig rig("38.2 3.912\n", Quick + QStringList{"--cells", "4"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QVERIFY(rig.waitOpen());
    rig.window->idField()->setFocus();
    QTest::keyClicks(rig.window->idField(), QStringLiteral("  T-1 "));
    const qsizetype before = rig.table().all().size();
    QVERIFY(QTest::qWaitFor([&] { return rig.table().all().size() > before; }, 20000));
    QCOMPARE(rig.table().all().last().cellId, QStringLiteral("T-1"));
    QVERIFY(Inventory().open(rig.inventoryPath()));
}

// Capacity and note typed in the table, from the keyboard, go into the inventory; a capacity
// that is no number is said so and changes nothing.
void TestSortKeys::capacityAndNoteEdited() {
    SortRig rig("38.2 3.912\n", LongHold);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QVERIFY(WaitHolding(rig));
    rig.window->table()->setFocus();
    rig.key(Qt::Key_Space);
    QCOMPARE(rig.rows(), 1);
    const QString cellId = rig.table().all().first().cellId;
    QTableView* table = rig.window->table();

    const auto type = [&](int column, const QString& text) {
        table->setCurrentIndex(rig.table().index(0, column));
        rig.key(Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != table);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The view takes the text in and closes the editor once back in the event loop.
        QTRY_COMPARE(QApplication::focusWidget(), table);
    };
    type(SessionTable::Capacity, QStringLiteral("2500"));
    type(SessionTable::Note, QStringLiteral("dented wrap"));
    type(SessionTable::Capacity, QStringLiteral("lots"));

    QCOMPARE(rig.rig.dialogs.messages.size(), 1);
    QVERIFY2(rig.rig.dialogs.messages.first().text.startsWith(u"\"lots\" is not a capacity"),
             qPrintable(rig.rig.dialogs.messages.first().text));
    QCOMPARE(rig.cell(0, SessionTable::Capacity), QStringLiteral("2500"));
    QCOMPARE(rig.cell(0, SessionTable::Note), QStringLiteral("dented wrap"));
    Inventory other;
    QVERIFY(other.open(rig.inventoryPath()));
    const std::optional<CellDetail> cell = other.cell(cellId);
    QVERIFY(cell);
    QCOMPARE(cell->cell.capacityMah.value_or(0), 2500.0);
    QCOMPARE(cell->cell.notes, QStringLiteral("dented wrap"));
}
