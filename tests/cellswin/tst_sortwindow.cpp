#include <QBuffer>
#include <QFile>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include "SortRig.h"
#include "core/cells/Csv.h"
#include "shell/MeterFace.h"
#include "tst_cellswin.h"

namespace {

// Three cells, one for each verdict under the test profile, touched in turn.
const QByteArray ThreeCells = "38.2 3.912 A\n52.0 3.900 B\n72.4 3.874 C\n";
// Quick touches: two readings of bounce, then a hold long enough for the settling and a little.
const QStringList Quick = {"--bounce", "2", "--hold-ms", "1800", "--open-ms", "700"};

Verdict Expected(double milliohms) {
    return milliohms <= 45 ? Verdict::Pass : milliohms <= 60 ? Verdict::Warn : Verdict::Fail;
}

QString ExpectedBin(double milliohms) {
    return milliohms <= 40   ? QStringLiteral("Low")
           : milliohms <= 55 ? QStringLiteral("Mid")
                             : QStringLiteral("High");
}

// The mark's ink: full when lit, faint when not.
int MarkAlpha(Panel& panel, const char* name) {
    auto* mark = panel.findChild<QLabel*>(QString::fromLatin1(name));
    return mark ? mark->palette().color(QPalette::WindowText).alpha() : -1;
}

QStringList Uuids(SortRig& rig) {
    QStringList uuids;
    for (const SessionRow& row : rig.table().all()) {
        uuids.append(row.uuid);
    }
    return uuids;
}

}  // namespace

// Each touch gives one capture with its ID, verdict in words and bin; the counts follow, and
// the inventory holds every capture as the window shows it.
void TestSortWindow::capturesAreJudgedAndStored() {
    SortRig rig(ThreeCells, Quick + QStringList{"--cells", "9"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    // The first touch may have begun before the window opened: three more are each cell once.
    QVERIFY(rig.waitRows(4, 40000));

    const QVector<SessionRow>& all = rig.table().all();
    QSet<int> seen;
    for (qsizetype i = all.size() - 3; i < all.size(); ++i) {
        const SessionRow& row = all.at(i);
        QCOMPARE(row.judgement.verdict, Expected(row.milliohms));
        QCOMPARE(row.judgement.bin, ExpectedBin(row.milliohms));
        seen.insert(int(row.judgement.verdict));
    }
    QCOMPARE(seen.size(), 3);
    for (int r = 0; r < rig.rows(); ++r) {
        const SessionRow& row = all.at(r);
        QCOMPARE(rig.cell(r, SessionTable::Id),
                 QStringLiteral("C%1").arg(r + 1, 4, 10, QChar(u'0')));
        const QString verdict = rig.cell(r, SessionTable::VerdictColumn);
        QVERIFY2(verdict.startsWith(VerdictName(row.judgement.verdict)), qPrintable(verdict));
        if (row.judgement.verdict == Verdict::Warn) {
            QVERIFY2(verdict.contains(u"mOhm above 45"), qPrintable(verdict));
        }
        QVERIFY(rig.cell(r, SessionTable::Resistance).endsWith(u"Ohm"));
        QVERIFY(rig.cell(r, SessionTable::Voltage).endsWith(u" V"));

        const std::optional<Measurement> stored = Stored(rig.inventoryPath(), row.uuid);
        QVERIFY(stored);
        QCOMPARE(stored->cellId, row.cellId);
        QCOMPARE(stored->verdict, row.judgement.verdict);
        QCOMPARE(stored->milliohms, row.milliohms);
        QCOMPARE(stored->volts, row.volts);
        QCOMPARE(stored->session, rig.window->sessionId());
        QVERIFY(!stored->deleted);
        QVERIFY(!stored->remeasure);
    }
    int counts[3] = {0, 0, 0};
    for (const SessionRow& row : all) {
        ++counts[int(row.judgement.verdict)];
    }
    QCOMPARE(
        rig.window->countsLabel()->text(),
        QStringLiteral("PASS %1   WARN %2   FAIL %3").arg(counts[0]).arg(counts[1]).arg(counts[2]));
    QVERIFY2(rig.window->binsLabel()->text().startsWith(u"Bins: Low "),
             qPrintable(rig.window->binsLabel()->text()));
    // The last result in large words, its verdict spelt out beside the colour.
    const SessionRow& last = all.last();
    const QString result = rig.window->resultLabel()->text();
    QVERIFY2(result.startsWith(last.cellId + u' ' + VerdictName(last.judgement.verdict) + u' '),
             qPrintable(result));
    QVERIFY2(result.contains(u" mOhm ") && result.endsWith(u" V"), qPrintable(result));
    QVERIFY(rig.window->stateLabel()->font().pixelSize() >= 40);
    QCOMPARE(rig.window->findChild<QLabel*>(QStringLiteral("LblLimits"))->text(),
             QStringLiteral("PASS at or below 45 mOhm, FAIL above 60; PASS 3.6 to 4.2 V; WARN 3.4 "
                            "to 4.25 V; bins by resistance: Low to 40, Mid to 55, High above 55"));
    QVERIFY(rig.rig.dialogs.messages.isEmpty());
}

// The sound and the flash come after the commit: at that moment another program already finds
// the capture in the file.
void TestSortWindow::committedBeforeAnnounced() {
    SortRig rig(ThreeCells, Quick + QStringList{"--cells", "4"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    int announced = 0;
    QStringList missing;
    QObject::connect(rig.window, &SortCells::announced, rig.window, [&](const QString& uuid) {
        ++announced;
        if (!Stored(rig.inventoryPath(), uuid)) {
            missing.append(uuid);
        }
    });
    QVERIFY(QTest::qWaitFor([&] { return announced >= 2; }, 30000));
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
}

// The main window's PASS, WARN and FAIL marks are decoration until the sorting window captures;
// then the last capture's mark is lit, and closing the window puts them out.
void TestSortWindow::marksLightOnlyWhileOpen() {
    SortRig rig(ThreeCells, Quick + QStringList{"--cells", "9"});
    QVERIFY(rig.sim->isReady());
    QVERIFY(rig.rig.start(rig.sim->path()));
    Panel& panel = *rig.rig.panel;
    const char* const marks[3] = {"Label6", "Label5", "Label4"};  // in the order of Verdict
    for (const char* mark : marks) {
        QCOMPARE(MarkAlpha(panel, mark), 110);
    }
    QVERIFY(!panel.face()->shownVerdict());

    rig.window = nullptr;
    rig.rig.click(QStringLiteral("Sort"));
    rig.window = rig.rig.app.windows().find<SortCells>();
    QVERIFY(rig.window);
    QVERIFY(rig.waitRows(3, 40000));
    for (int n = 0; n < 2; ++n) {
        const Verdict verdict = rig.table().lastLive()->judgement.verdict;
        QCOMPARE(panel.face()->shownVerdict(), std::optional<Verdict>(verdict));
        for (int v = 0; v < 3; ++v) {
            QCOMPARE(MarkAlpha(panel, marks[v]), v == int(verdict) ? 255 : 110);
        }
        auto* lit = panel.findChild<QLabel*>(QString::fromLatin1(marks[int(verdict)]));
        QVERIFY(lit->accessibleDescription().startsWith(u"Lit"));
        QCOMPARE(lit->text(), VerdictName(verdict));
        // The next capture moves the light.
        const int before = rig.rows();
        QVERIFY(rig.waitRows(before + 1, 20000));
    }

    rig.window->close();
    QTRY_VERIFY(!rig.rig.app.windows().find<SortCells>());
    QVERIFY(!panel.face()->shownVerdict());
    for (const char* mark : marks) {
        QCOMPARE(MarkAlpha(panel, mark), 110);
    }
}

// Ctrl+Z marks the last capture deleted in the inventory (nothing is erased) and takes it out
// of the table, the counts and the marks; Ctrl+Shift+Z brings it back.
void TestSortWindow::undoMarksDeleted() {
    SortRig rig(ThreeCells, Quick + QStringList{"--cells", "4"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QVERIFY(rig.waitRows(2, 30000));
    const QStringList uuids = Uuids(rig);
    const int shown = rig.rows();
    const QString last = rig.table().all().last().uuid;
    const QString counts = rig.window->countsLabel()->text();

    rig.window->table()->setFocus();
    rig.keys(QKeySequence::Undo);
    QCOMPARE(rig.rows(), shown - 1);
    std::optional<Measurement> stored = Stored(rig.inventoryPath(), last);
    QVERIFY(stored && stored->deleted);
    QVERIFY(rig.window->countsLabel()->text() != counts);
    const SessionRow* now = rig.table().lastLive();
    QVERIFY(now);
    QCOMPARE(rig.rig.panel->face()->shownVerdict(), std::optional<Verdict>(now->judgement.verdict));
    QVERIFY(rig.window->resultLabel()->text().startsWith(now->cellId + u' '));

    // Undo again, from the empty ID field: it is not being typed in.
    rig.window->idField()->setFocus();
    rig.keys(QKeySequence::Undo);
    QCOMPARE(rig.rows(), shown - 2);

    rig.window->table()->setFocus();
    rig.keys(QKeySequence::Redo);
    rig.keys(QKeySequence::Redo);
    QCOMPARE(rig.rows(), shown);
    for (const QString& uuid : uuids) {
        stored = Stored(rig.inventoryPath(), uuid);
        QVERIFY(stored && !stored->deleted);
    }
    QCOMPARE(rig.window->countsLabel()->text(), counts);
}

void TestSortWindow::remeasureAsks_data() {
    QTest::addColumn<QList<int>>("answers");  // none: the question is closed with Escape
    QTest::addColumn<bool>("replaced");

    QTest::newRow("replace") << QList<int>{0} << true;
    QTest::newRow("keep both") << QList<int>{1} << false;
    QTest::newRow("closed") << QList<int>{} << false;
}

// The same ID measured twice in a session: the second capture is stored and announced, then the
// window asks whether it replaces the first (marked deleted) or both are kept.
void TestSortWindow::remeasureAsks() {
    QFETCH(QList<int>, answers);
    QFETCH(bool, replaced);
    SortRig rig("38.2 3.912\n", Quick + QStringList{"--cells", "6"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    for (const int answer : answers) {
        rig.rig.dialogs.answers.enqueue(answer);
    }
    QStringList measured;
    for (int touch = 0; touch < 2; ++touch) {
        QVERIFY(rig.waitOpen());
        QTest::keyClicks(rig.window->idField(), QStringLiteral("B-7"));
        QTest::keyClick(rig.window->idField(), Qt::Key_Return);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return rig.table().all().size() > 0 && rig.table().all().last().cellId == u"B-7" &&
                       !measured.contains(rig.table().all().last().uuid);
            },
            20000));
        measured.append(rig.table().all().last().uuid);
    }
    QCOMPARE(rig.rig.dialogs.questions.size(), 1);
    const ScriptedDialogs::Question question = rig.rig.dialogs.questions.first();
    QCOMPARE(question.answers, (QStringList{"&Replace", "&Keep Both"}));
    QVERIFY2(question.text.contains(u"B-7 was measured before in this session"),
             qPrintable(question.text));
    QCOMPARE(question.escapeAnswer, 1);

    const std::optional<Measurement> first = Stored(rig.inventoryPath(), measured.at(0));
    const std::optional<Measurement> second = Stored(rig.inventoryPath(), measured.at(1));
    QVERIFY(first && second);
    QCOMPARE(first->deleted, replaced);
    QVERIFY(!second->deleted);
    QVERIFY(!first->remeasure);
    QVERIFY(second->remeasure);
    QCOMPARE(rig.table().liveMeasurements(QStringLiteral("B-7")).size(), replaced ? 1 : 2);
    QStringList ids;
    for (int r = 0; r < rig.rows(); ++r) {
        if (rig.cell(r, SessionTable::Id).startsWith(u"B-7")) {
            ids.append(rig.cell(r, SessionTable::Id));
        }
    }
    const QStringList expectedIds =
        replaced ? QStringList{"B-7 (again)"} : QStringList{"B-7", "B-7 (again)"};
    QCOMPARE(ids, expectedIds);

    // Undoing the replacing capture brings back the one it replaced.
    rig.window->table()->setFocus();
    rig.keys(QKeySequence::Undo);
    QVERIFY(!Stored(rig.inventoryPath(), measured.at(0))->deleted);
    QVERIFY(Stored(rig.inventoryPath(), measured.at(1))->deleted);
    QCOMPARE(rig.table().liveMeasurements(QStringLiteral("B-7")), QStringList{measured.at(0)});
}

// The program closes the window while its question is on screen: the question stays until it
// is answered, the answer is carried out, and the window goes only then.
void TestSortWindow::closedUnderTheQuestion() {
    SortRig rig("38.2 3.912\n", Quick + QStringList{"--cells", "6"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QPointer<SortCells> window = rig.window;
    const QString session = window->sessionId();
    bool stillThere = false;
    rig.rig.dialogs.whileShown = [&](ScriptedDialogs::Kind kind, QWidget* parent) {
        if (kind == ScriptedDialogs::Kind::Question) {
            rig.rig.app.windows().unload<SortCells>();
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            stillThere = window && parent == window;
        }
    };
    rig.rig.dialogs.answers.enqueue(0);
    QStringList measured;
    for (int touch = 0; touch < 2; ++touch) {
        QVERIFY(rig.waitOpen());
        QTest::keyClicks(window->idField(), QStringLiteral("B-7"));
        QTest::keyClick(window->idField(), Qt::Key_Return);
        const qsizetype before = window->session().all().size();
        QVERIFY(QTest::qWaitFor([&] { return !window || window->session().all().size() > before; },
                                20000));
        if (window) {
            measured.append(window->session().all().last().uuid);
        }
    }
    QCOMPARE(rig.rig.dialogs.questions.size(), 1);
    QVERIFY(stillThere);
    QTRY_VERIFY(!window);
    // Nothing more is captured once the window has gone, though the touches go on.
    QTest::qWait(3000);
    Inventory other;
    QVERIFY(other.open(rig.inventoryPath()));
    int stored = 0;
    QVERIFY(other.forEachMeasurement([&](const Measurement& m) {
        stored += m.session == session ? 1 : 0;
        return true;
    }));
    QCOMPARE(stored, 2);
    QVERIFY(Stored(rig.inventoryPath(), measured.at(0))->deleted);
    QVERIFY(!rig.rig.panel->face()->shownVerdict());
}

// The session exported as CSV reads back, one record per measurement, undone ones flagged.
void TestSortWindow::exportReadsBack() {
    SortRig rig(ThreeCells, Quick + QStringList{"--cells", "4"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QVERIFY(rig.waitRows(2, 30000));
    rig.window->table()->setFocus();
    rig.keys(QKeySequence::Undo);
    const QVector<SessionRow> rows = rig.table().all();

    const QString path = rig.dir.filePath(QStringLiteral("session.csv"));
    rig.rig.dialogs.files.enqueue(path);
    rig.keys(QKeySequence::Save);
    QCOMPARE(rig.rig.dialogs.lastFilter, SortCells::csvFilter());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    Csv::Reader reader(file);
    QStringList header;
    QVERIFY(reader.next(header));
    for (const char* name : {"id", "time", "ir_mohm", "volt", "verdict", "remeasure", "deleted"}) {
        QVERIFY2(header.contains(QString::fromLatin1(name)), name);
    }
    const auto at = [&header](const char* name) {
        return header.indexOf(QString::fromLatin1(name));
    };
    QStringList fields;
    int read = 0;
    QSet<QString> deletedTexts;
    while (reader.next(fields)) {
        QCOMPARE(fields.size(), header.size());
        const SessionRow& row = rows.at(read);
        QCOMPARE(fields.at(at("id")), row.cellId);
        QCOMPARE(fields.at(at("verdict")), VerdictName(row.judgement.verdict));
        double value = 0;
        QVERIFY(Csv::ParseNumber(fields.at(at("ir_mohm")), value));
        QCOMPARE(value, row.milliohms);
        QVERIFY(Csv::ParseNumber(fields.at(at("volt")), value));
        QCOMPARE(value, row.volts);
        deletedTexts.insert(fields.at(at("deleted")) + QChar(row.deleted ? u'+' : u'-'));
        ++read;
    }
    QVERIFY2(reader.error().isEmpty(), qPrintable(reader.error()));
    QCOMPARE(read, rows.size());
    // The undone one reads otherwise than the rest in the deleted column.
    QCOMPARE(deletedTexts.size(), 2);
}

// Print: the session's table on a real PDF, as the lists print theirs.
void TestSortWindow::printsThePdf() {
    SortRig rig(ThreeCells, Quick + QStringList{"--cells", "3"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QVERIFY(rig.waitRows(1, 30000));
    const QString pdf = rig.dir.filePath(QStringLiteral("session.pdf"));
    rig.rig.dialogs.printerAnswers.enqueue(true);
    rig.rig.dialogs.printerSetup = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    rig.window->table()->setFocus();
    rig.keys(QKeySequence::Print);
    QFile printed(pdf);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.read(5) == "%PDF-");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        return;
    }
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    const SessionRow& first = rig.table().all().first();
    for (const QString& expected :
         {QStringLiteral("Verdict / Bin"), first.cellId,
          SessionTable::printedVerdict(first.judgement), first.ohmText, QStringLiteral("P-1")}) {
        QVERIFY2(words.contains(expected), qPrintable(expected + u'\n' + words));
    }
}

// Another inventory file, chosen in the window: the session starts afresh there.
void TestSortWindow::anotherInventory() {
    SortRig rig(ThreeCells, Quick + QStringList{"--cells", "6"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    const QString before = rig.window->sessionId();
    const QString other = rig.dir.filePath(QStringLiteral("bench/other.sqlite"));
    QVERIFY(QDir().mkpath(rig.dir.filePath(QStringLiteral("bench"))));
    rig.rig.dialogs.files.enqueue(other);
    rig.window->findChild<QPushButton*>(QStringLiteral("BtnInventory"))->click();
    QCOMPARE(rig.rig.dialogs.lastFilter, SortCells::fileFilter());
    QCOMPARE(rig.window->inventory().location(), other);
    QCOMPARE(rig.window->findChild<QLabel*>(QStringLiteral("LblInventory"))->text(),
             QDir::toNativeSeparators(other));
    QVERIFY(rig.window->sessionId() != before);
    QCOMPARE(rig.rows(), 0);
    QVERIFY(rig.waitRows(1, 30000));
    const QString uuid = rig.table().all().first().uuid;
    QVERIFY(Stored(other, uuid));
    QVERIFY(!Stored(rig.inventoryPath(), uuid));
}

// A file that cannot be an inventory is said so; the one open before stays.
void TestSortWindow::refusesAnInventoryItCannotOpen() {
    SortRig rig(ThreeCells, Quick);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    const QString notADatabase = WriteText(rig.dir.filePath(QStringLiteral("notes.sqlite")),
                                           QByteArray("these are not cells\n").repeated(200));
    rig.rig.dialogs.files.enqueue(notADatabase);
    rig.window->findChild<QPushButton*>(QStringLiteral("BtnInventory"))->click();
    QCOMPARE(rig.rig.dialogs.messages.size(), 1);
    QCOMPARE(rig.rig.dialogs.messages.first().icon, Dialogs::Icon::Critical);
    QVERIFY2(rig.rig.dialogs.messages.first().text.startsWith(
                 QStringLiteral("The cell inventory could not be opened:\n") + notADatabase),
             qPrintable(rig.rig.dialogs.messages.first().text));
    QVERIFY(rig.window->inventory().isOpen());
    QCOMPARE(rig.window->inventory().location(), rig.inventoryPath());
    QCOMPARE(QFile(notADatabase).size(), qint64(20 * 200));
}
