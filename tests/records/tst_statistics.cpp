#include <QFile>
#include <QLabel>
#include <QTest>

#include "RecordsRig.h"
#include "core/records/ListStatistics.h"
#include "platform/GridModel.h"
#include "platform/widgets/Grid.h"
#include "shell/ToolbarCommands.h"
#include "windows/records/FileList.h"
#include "windows/records/List.h"

namespace {

QString StatisticsText(QWidget& window) {
    const auto* line = window.findChild<QLabel*>(QStringLiteral("LblStatistics"));
    return line ? line->text() : QStringLiteral("<no statistics line>");
}

}  // namespace

class TestStatistics : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void line_data() {
        QTest::addColumn<QStringList>("ohms");
        QTest::addColumn<QStringList>("volts");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("line");

        QTest::newRow("two readings")
            << QStringList{"18.10", "18.90"} << QStringList{"3.700", "3.712"} << "mOhm"
            << "2 rows   Resistance (mOhm): min 18.10, max 18.90, mean 18.5   "
               "Voltage (V): min 3.700, max 3.712, mean 3.706";
        QTest::newRow("one reading")
            << QStringList{"1.234"} << QStringList{"39.99"} << "Ohm"
            << "1 row   Resistance (Ohm): min 1.234, max 1.234, "
               "mean 1.234   Voltage (V): min 39.99, max 39.99, mean 39.99";
        QTest::newRow("overloads and no reading left out")
            << QStringList{"OL", "12.00", "----"} << QStringList{"-OL", "4.000", "3.000"} << "mOhm"
            << "3 rows   Resistance (mOhm): min 12.00, max 12.00, mean 12 of 1   "
               "Voltage (V): min 3.000, max 4.000, mean 3.5 of 2";
        QTest::newRow("nothing but overloads")
            << QStringList{"OL"} << QStringList{"-OL"} << "Ohm"
            << "1 row   Resistance (Ohm): no readings   Voltage (V): no readings";
        QTest::newRow("no rows") << QStringList{} << QStringList{} << "mOhm"
                                 << "0 rows   Resistance (mOhm): no readings   "
                                    "Voltage (V): no readings";
        // A negative voltage is a reading: the leads the wrong way round.
        QTest::newRow("negative voltage")
            << QStringList{"20.00", "30.00"} << QStringList{"-3.700", "3.600"} << "mOhm"
            << "2 rows   Resistance (mOhm): min 20.00, max 30.00, mean 25   "
               "Voltage (V): min -3.700, max 3.600, mean -0.05";
        // Blanks around a text, and a cell a short row left empty.
        QTest::newRow("blanks and an empty cell")
            << QStringList{" 18.50 ", "18.40"} << QStringList{"3.900", ""} << "mOhm"
            << "2 rows   Resistance (mOhm): min 18.40, max 18.50, mean 18.45   "
               "Voltage (V): min 3.900, max 3.900, mean 3.9 of 1";
        QTest::newRow("a long mean, one decimal more than the readings")
            << QStringList{"1.00", "1.00", "1.01"} << QStringList{"3.7", "3.7", "3.8"} << "Ohm"
            << "3 rows   Resistance (Ohm): min 1.00, max 1.01, mean 1.003   "
               "Voltage (V): min 3.7, max 3.8, mean 3.73";
    }

    void line() {
        QFETCH(QStringList, ohms);
        QFETCH(QStringList, volts);
        QFETCH(QString, unit);
        QFETCH(QString, line);
        ListStatistics stats;
        for (qsizetype i = 0; i < ohms.size(); ++i) {
            stats.addRow(ohms.at(i), volts.at(i));
        }
        QCOMPARE(stats.line(unit), line);

        // The same figures from a grid, added in two goes, and counted again from scratch.
        GridModel grid;
        for (qsizetype i = 0; i < ohms.size(); ++i) {
            grid.addItem(QStringLiteral("%1\t2021/07/01\t10:00:00\t%2\t%3")
                             .arg(i + 1)
                             .arg(ohms.at(i), volts.at(i)));
        }
        ListStatistics byGrid;
        const int half = grid.Rows() / 2;
        byGrid.addRows(grid, 1, half);
        byGrid.addRows(grid, half + 1, grid.Rows() - 1);
        QCOMPARE(byGrid.line(unit), line);
        byGrid.clear();
        byGrid.addRows(grid, 1, grid.Rows() + 10);
        QCOMPARE(byGrid.line(unit), line);
    }

    void ohmUnit_data() {
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("unit");
        QTest::newRow("a recording's header") << "40mOhm"
                                              << "mOhm";
        QTest::newRow("a logger set's range") << "400m Ohm"
                                              << "mOhm";
        QTest::newRow("the reader's milliohm range") << "400m"
                                                     << "mOhm";
        QTest::newRow("the reader's ohm range") << "40"
                                                << "Ohm";
        QTest::newRow("ohms") << "4Ohm"
                              << "Ohm";
        QTest::newRow("ohms with a blank") << "40 Ohm"
                                           << "Ohm";
        QTest::newRow("the live list's bare header") << "Ohm"
                                                     << "Ohm";
        QTest::newRow("nothing") << ""
                                 << "Ohm";
    }

    void ohmUnit() {
        QFETCH(QString, range);
        QFETCH(QString, unit);
        QCOMPARE(ListStatistics::ohmUnit(range), unit);
    }

    // The live list's line follows the samples as they come, overloads left out.
    void liveListLine() {
        RecordsRig rig;
        QVERIFY(rig.loaded);
        rig.app.transfer.SamplingTime = 1;
        ToolbarClick(rig.app, QStringLiteral("List"));
        List& list = rig.app.windows().get<List>();
        QTRY_COMPARE(StatisticsText(list), QStringLiteral("0 rows   Resistance (mOhm): no "
                                                          "readings   Voltage (V): no readings"));
        rig.tick(3);
        QTRY_COMPARE(StatisticsText(list),
                     QStringLiteral("3 rows   Resistance (mOhm): min 12.34, max 12.34, mean "
                                    "12.34   Voltage (V): min 4.012, max 4.012, mean 4.012"));
        rig.app.meter.OhmText = QStringLiteral("OL");
        rig.app.meter.VoltText = QStringLiteral("3.012");
        rig.tick();
        QTRY_COMPARE(StatisticsText(list),
                     QStringLiteral("4 rows   Resistance (mOhm): min 12.34, max 12.34, mean "
                                    "12.34 of 3   Voltage (V): min 3.012, max 4.012, mean 3.762"));
        // Saving puts the ranges into the header for a moment; the line stays.
        const QString path = rig.path(QStringLiteral("live.Kmk"));
        rig.dialogs.files.enqueue(path);
        list.toolbarClick(QStringLiteral("Save"));
        QVERIFY(QFile::exists(path));
        QTRY_VERIFY(StatisticsText(list).startsWith(QStringLiteral("4 rows   Resistance (mOhm)")));
    }

    // An opened file of 70,000 rows: its line counts them all, in the file's own unit.
    void fileListLine_data() {
        QTest::addColumn<QString>("ranges");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("line");
        QTest::newRow("ohms, a few rows")
            << "4Ohm\t40Voltage" << 4
            << "4 rows   Resistance (Ohm): min 1.000, max 1.003, mean 1.0015   "
               "Voltage (V): min 12.50, max 12.50, mean 12.5 of 3";
        QTest::newRow("milliohms, 70000 rows")
            << "40mOhm\t4Voltage" << 70000
            << "70000 rows   Resistance (mOhm): min 1.000, max 1.003, mean 1.0015   "
               "Voltage (V): min 12.50, max 12.50, mean 12.5 of 52500";
    }

    void fileListLine() {
        QFETCH(QString, ranges);
        QFETCH(int, rows);
        QFETCH(QString, line);
        RecordsRig rig;
        const QString path = rig.path(QStringLiteral("big.Kmk"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QByteArray text = "No.s\tDate\tTime\t" + ranges.toLatin1() + "\r\n";
            for (int r = 1; r <= rows; ++r) {
                // Every fourth voltage an overload.
                text += QByteArray::number(r) + "\t2021/07/01\t10:20:00\t1.00" +
                        QByteArray::number((r - 1) % 4) + (r % 4 == 0 ? "\t-OL" : "\t12.50") +
                        "\r\n";
            }
            QVERIFY(file.write(text) == text.size());
        }
        rig.dialogs.files.enqueue(path);
        ToolbarClick(rig.app, QStringLiteral("Open"));
        FileList* list = rig.app.windows().find<FileList>();
        QVERIFY(list && list->isVisible());
        QCOMPARE(list->grid().model().Rows(), rows + 1);
        QTRY_COMPARE(StatisticsText(*list), line);
    }
};

int runStatisticsTests(int argc, char* argv[]) {
    TestStatistics t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_statistics.moc"
