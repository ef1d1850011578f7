#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ProgramRig.h"
#include "core/cells/Inventory.h"
#include "tst_cellswin.h"
#include "windows/cells/Pack.h"

namespace {

struct Stock {
    const char* id;
    double capacityMah;  // 0: unknown
    double milliohms;
    Verdict verdict;
};

// Ten PASS cells, two WARN, one FAIL and one whose capacity was never measured.
const Stock Cells[] = {
    {"K01", 3000, 20, Verdict::Pass}, {"K02", 2950, 21, Verdict::Pass},
    {"K03", 3100, 22, Verdict::Pass}, {"K04", 2900, 23, Verdict::Pass},
    {"K05", 3050, 24, Verdict::Pass}, {"K06", 2980, 25, Verdict::Pass},
    {"K07", 3020, 26, Verdict::Pass}, {"K08", 2990, 27, Verdict::Pass},
    {"K09", 3010, 28, Verdict::Pass}, {"K10", 2970, 29, Verdict::Pass},
    {"W01", 3200, 40, Verdict::Warn}, {"W02", 3150, 41, Verdict::Warn},
    {"F01", 3500, 90, Verdict::Fail}, {"N01", 0, 22, Verdict::Pass},
};

// The window over a real SQLite inventory in a folder of the test's own.
class PackRig {
  public:
    PackRig() : path(dir.filePath(QStringLiteral("cells.sqlite"))) {
        Inventory inventory;
        filled = inventory.open(path);
        for (const Stock& s : Cells) {
            NewMeasurement m;
            m.cellId = QString::fromLatin1(s.id);
            m.time = QDateTime::currentDateTimeUtc();
            m.milliohms = s.milliohms;
            m.volts = 3.9;
            m.ohmText = QString::number(s.milliohms);
            m.ohmUnit = QStringLiteral("mOhm");
            m.voltText = QStringLiteral("3.900");
            m.verdict = s.verdict;
            m.session = QStringLiteral("stock");
            filled = filled && !inventory.add(m).isEmpty();
            if (s.capacityMah > 0) {
                filled = filled && inventory.setCapacity(m.cellId, s.capacityMah);
            }
        }
        window = &rig.app.windows().get<Pack>();
        window->show();
        filled = filled && window->openInventory(path);
        window->timeChoice()->setValue(1);
    }

    bool run(int series, int parallel) {
        window->seriesChoice()->setValue(series);
        window->parallelChoice()->setValue(parallel);
        QSignalSpy done(window, &Pack::finished);
        QTest::mouseClick(window->runButton(), Qt::LeftButton);
        // A choice refused before the search starts ends the run at once, with no signal.
        return !done.isEmpty() || (window->running() && done.wait(30000));
    }

    // The IDs the map shows, group by group.
    QVector<QStringList> shown() const {
        QVector<QStringList> groups;
        for (const auto& group : window->mapView()->map().groups) {
            QStringList ids;
            for (const PackMap::Cell& cell : group) {
                ids << cell.id;
            }
            groups << ids;
        }
        return groups;
    }

    QString pdfText(const QString& pdf) const {
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        return text.waitForFinished(60000) ? QString::fromUtf8(text.readAllStandardOutput())
                                           : QString();
    }

    QTemporaryDir dir;
    QString path;
    ProgramRig rig;
    Pack* window = nullptr;
    bool filled = false;
};

double capacityOf(const QString& id) {
    for (const Stock& s : Cells) {
        if (id == QLatin1String(s.id)) {
            return s.capacityMah;
        }
    }
    return -1;
}

}  // namespace

void TestPackWindow::runShowsAValidPack_data() {
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("parallel");
    QTest::addColumn<bool>("warnToo");
    QTest::addColumn<bool>("spread");
    QTest::addColumn<bool>("solved");
    QTest::newRow("4S2P capacity") << 4 << 2 << false << false << true;
    QTest::newRow("5S2P spread, every PASS cell") << 5 << 2 << false << true << true;
    QTest::newRow("1S1P") << 1 << 1 << false << false << true;
    QTest::newRow("4S3P needs the WARN cells") << 4 << 3 << true << false << true;
    QTest::newRow("4S3P refused on PASS alone") << 4 << 3 << false << false << false;
    QTest::newRow("13S1P: the FAIL cell and the unknown capacity never count")
        << 13 << 1 << true << false << false;
}

void TestPackWindow::runShowsAValidPack() {
    QFETCH(int, series);
    QFETCH(int, parallel);
    QFETCH(bool, warnToo);
    QFETCH(bool, spread);
    QFETCH(bool, solved);
    PackRig rig;
    QVERIFY(rig.filled);
    rig.window->verdictChoice()->setCurrentIndex(warnToo ? 1 : 0);
    rig.window->objectiveChoice()->setCurrentIndex(spread ? 1 : 0);
    QVERIFY(rig.run(series, parallel));
    const QVector<QStringList> groups = rig.shown();
    if (!solved) {
        QVERIFY(groups.isEmpty());
        QVERIFY2(rig.window->statusLabel()->text().startsWith(QStringLiteral("No pack: ")),
                 qPrintable(rig.window->statusLabel()->text()));
        QVERIFY(!rig.window->result().message.isEmpty());
        QVERIFY(rig.window->statusLabel()->text().contains(rig.window->result().message));
        QVERIFY(!rig.window->findChild<QPushButton*>(QStringLiteral("BtnSavePack"))->isEnabled());
        return;
    }
    QCOMPARE(groups.size(), series);
    QSet<QString> seen;
    double weakest = 1e300;
    for (const QStringList& group : groups) {
        QCOMPARE(group.size(), parallel);
        double sum = 0;
        for (const QString& id : group) {
            QVERIFY2(!seen.contains(id), qPrintable(id));
            seen.insert(id);
            QVERIFY2(id.startsWith(u'K') || (warnToo && id.startsWith(u'W')), qPrintable(id));
            sum += capacityOf(id);
        }
        weakest = std::min(weakest, sum);
    }
    QCOMPARE(rig.window->result().minGroupMah, weakest);
    // Each cell's verdict is on the map in words.
    for (const auto& group : rig.window->mapView()->map().groups) {
        for (const PackMap::Cell& cell : group) {
            QCOMPARE(cell.verdict,
                     cell.id.startsWith(u'W') ? QStringLiteral("WARN") : QStringLiteral("PASS"));
        }
    }
    QVERIFY2(rig.window->figuresLabel()->text().contains(
                 QStringLiteral("Pack capacity (smallest group) %1 mAh").arg(weakest)),
             qPrintable(rig.window->figuresLabel()->text()));
}

void TestPackWindow::savedPackIsNotOfferedAgain() {
    PackRig rig;
    QVERIFY(rig.filled);
    QVERIFY(rig.run(2, 2));
    const QVector<QStringList> first = rig.shown();
    QCOMPARE(first.size(), 2);
    rig.rig.dialogs.inputs.enqueue(QStringLiteral("Bike A"));
    QTest::mouseClick(rig.window->findChild<QPushButton*>(QStringLiteral("BtnSavePack")),
                      Qt::LeftButton);
    {
        Inventory check;
        QVERIFY(check.open(rig.path));
        for (int g = 0; g < first.size(); ++g) {
            for (int k = 0; k < first[g].size(); ++k) {
                const auto cell = check.cell(first[g][k]);
                QVERIFY(cell);
                QCOMPARE(cell->cell.pack, QStringLiteral("Bike A"));
                QCOMPARE(cell->cell.group.value_or(0), g + 1);
                QCOMPARE(cell->cell.slot.value_or(0), k + 1);
            }
        }
    }
    QVERIFY(rig.run(2, 3));
    const QVector<QStringList> second = rig.shown();
    QCOMPARE(second.size(), 2);
    for (const QStringList& group : second) {
        for (const QString& id : group) {
            for (const QStringList& taken : first) {
                QVERIFY2(!taken.contains(id), qPrintable(id));
            }
        }
    }
    // Six PASS cells are left: a pack of eight is refused.
    QVERIFY(rig.run(4, 2));
    QVERIFY(rig.shown().isEmpty());
    QVERIFY(rig.window->statusLabel()->text().startsWith(QStringLiteral("No pack: ")));
}

void TestPackWindow::mapReadsBack_data() {
    QTest::addColumn<bool>("printed");
    QTest::newRow("Save PDF") << false;
    QTest::newRow("Print to a PDF printer") << true;
}

void TestPackWindow::mapReadsBack() {
    QFETCH(bool, printed);
    PackRig rig;
    QVERIFY(rig.filled);
    QVERIFY(rig.run(3, 2));
    const QString pdf = rig.dir.filePath(QStringLiteral("map.pdf"));
    if (printed) {
        rig.rig.dialogs.printerAnswers.enqueue(true);
        rig.rig.dialogs.printerSetup = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
        };
        QTest::mouseClick(rig.window->findChild<QPushButton*>(QStringLiteral("BtnPrint")),
                          Qt::LeftButton);
    } else {
        rig.rig.dialogs.files.enqueue(pdf);
        QTest::mouseClick(rig.window->findChild<QPushButton*>(QStringLiteral("BtnPdf")),
                          Qt::LeftButton);
    }
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QSKIP("pdftotext is not installed");
    }
    const QString words = rig.pdfText(pdf);
    for (const QStringList& group : rig.shown()) {
        for (const QString& id : group) {
            QVERIFY2(words.contains(id), qPrintable(id + u'\n' + words));
        }
    }
    QVERIFY2(words.contains(QStringLiteral("Group 3")), qPrintable(words));
    QVERIFY2(words.contains(QStringLiteral("PASS")), qPrintable(words));
}

void TestPackWindow::stopKeepsTheBestSoFar() {
    PackRig rig;
    QVERIFY(rig.filled);
    rig.window->timeChoice()->setValue(600);
    rig.window->seriesChoice()->setValue(3);
    rig.window->parallelChoice()->setValue(3);
    QSignalSpy done(rig.window, &Pack::finished);
    QTest::mouseClick(rig.window->runButton(), Qt::LeftButton);
    QVERIFY(rig.window->running() || !done.isEmpty());
    QTest::mouseClick(rig.window->stopButton(), Qt::LeftButton);
    QVERIFY(!done.isEmpty() || done.wait(10000));
    QVERIFY(!rig.window->running());
    QCOMPARE(rig.shown().size(), 3);
    QVERIFY(rig.window->runButton()->isEnabled());
}

// Enter in a field runs, as a dialog's default button does; the typed layout is the one run.
void TestPackWindow::enterRuns() {
    PackRig rig;
    QVERIFY(rig.filled);
    rig.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.window));
    QSpinBox* series = rig.window->seriesChoice();
    series->setFocus();
    series->selectAll();
    QTest::keyClicks(series, QStringLiteral("3"));
    QSignalSpy done(rig.window, &Pack::finished);
    QTest::keyClick(series, Qt::Key_Return);
    QVERIFY(done.wait(30000));
    QCOMPARE(rig.shown().size(), 3);
}

void TestPackWindow::locks_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("group2");  // the second group's cells, or empty: refused
    QTest::addColumn<QString>("said");    // the start of the status line when refused
    QTest::newRow("two cells into group 2") << "K01=2, K10=2"
                                            << "K01 K10"
                                            << "";
    QTest::newRow("blanks between the commas") << " , K03 = 2,,"
                                               << "K03"
                                               << "";
    QTest::newRow("not ID=GROUP") << "K01"
                                  << ""
                                  << "Locks: \"K01\" is not a cell's ID";
    QTest::newRow("a cell locked twice") << "K01=1, K01=2"
                                         << ""
                                         << "Locks: K01 is locked twice";
    QTest::newRow("a cell not offered (FAIL)")
        << "F01=1"
        << ""
        << "Locks: F01=1: no cell F01 among the cells offered";
    QTest::newRow("a group the layout does not have")
        << "K01=5"
        << ""
        << "No pack: cell K01 is locked to group 5, but a 4S2P pack has 4 groups";
}

// Typed locks put their cells into their groups; a lock that cannot be is said in the status line.
void TestPackWindow::locks() {
    QFETCH(QString, typed);
    QFETCH(QString, group2);
    QFETCH(QString, said);
    PackRig rig;
    QVERIFY(rig.filled);
    rig.window->locksEdit()->setText(typed);
    const bool matched = rig.run(4, 2);
    if (!said.isEmpty()) {
        QVERIFY2(rig.window->statusLabel()->text().startsWith(said),
                 qPrintable(rig.window->statusLabel()->text()));
        QVERIFY(rig.shown().isEmpty());
        return;
    }
    QVERIFY(matched);
    const QVector<QStringList> groups = rig.shown();
    QCOMPARE(groups.size(), 4);
    for (const QString& id : group2.split(u' ')) {
        QVERIFY2(groups.at(1).contains(id), qPrintable(groups.at(1).join(u' ')));
    }
}
