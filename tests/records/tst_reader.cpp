#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "core/records/GridFile.h"
#include "core/records/RecordFormat.h"
#include "core/records/RecordReader.h"
#include "platform/GridModel.h"

namespace {

struct Read {
    explicit Read(const QByteArray& bytes) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        result = RecordReader::read(buffer, grid, ohm, volt);
    }
    // Each data row as its five cells joined by '|'.
    QStringList rows() const {
        QStringList out;
        for (int r = 1; r < grid.Rows(); ++r) {
            out.append(grid.row(r).join(u'|'));
        }
        return out;
    }
    GridModel grid;
    QString ohm = QStringLiteral("before");
    QString volt = QStringLiteral("before");
    RecordReader::Result result;
};

const QByteArray H = "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n";

}  // namespace

class TestRecordReader : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void texts_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("recording")
            << H + "1\t2021/07/01\t10:20:32\t12.34\t4.012\r\n"
                   "2\t2021/07/01\t10:20:34\tOL\t-OL\r\n"
            << QStringList{"1|2021/07/01|10:20:32|12.34|4.012", "2|2021/07/01|10:20:34|OL|-OL"};
        QTest::newRow("saved list: TAB before the line end")
            << QByteArray("No.s\t   Date\t   Time\t40mOhm\t4Voltage\t\r\n1\t2\t3\t----\t5\t\r\n")
            << QStringList{"1|2|3|----|5"};
        QTest::newRow("LF") << QByteArray("H\n1\ta\n2\tb\n") << QStringList{"1|a|||", "2|b|||"};
        QTest::newRow("CR") << QByteArray("H\r1\ta\r2\tb\r") << QStringList{"1|a|||", "2|b|||"};
        QTest::newRow("mixed, none at the end")
            << QByteArray("H\r\n1\n2\r3") << QStringList{"1||||", "2||||", "3||||"};
        QTest::newRow("leading blanks: of a line skipped, of a cell kept")
            << QByteArray("H\r\n   1\t  a\r\n") << QStringList{"1|  a|||"};
        QTest::newRow("comma: the rest is the next row")
            << QByteArray("H\r\n1\ta, 2\tb,\r\n3\r\n")
            << QStringList{"1|a|||", "2|b|||", "||||", "3||||"};
        QTest::newRow("quoted: commas and line ends kept")
            << QByteArray("H\r\n\"1\ta,b\r\nc\"\r\n2\r\n") << QStringList{"1|a,b\r\nc|||", "2||||"};
        QTest::newRow("quoted: to the comma after it dropped")
            << QByteArray("H\r\n\"1\"x\ty,2\r\n") << QStringList{"1||||", "2||||"};
        QTest::newRow("quote inside a text")
            << QByteArray("H\r\n1\ta\"b\r\n") << QStringList{"1|a\"b|||"};
        QTest::newRow("unclosed quote: to the end")
            << QByteArray("H\r\n\"1\t2\r\n3") << QStringList{"1|2\r\n3|||"};
        QTest::newRow("empty and blank lines: empty rows")
            << QByteArray("H\r\n\r\n1\r\n   \r\n\n2\r\n\r\n")
            << QStringList{"||||", "1||||", "||||", "||||", "2||||", "||||"};
        QTest::newRow("last line empty") << H + "1\r\n\r\n" << QStringList{"1||||", "||||"};
        QTest::newRow("last line blanks, no line end")
            << H + "1\r\n  " << QStringList{"1||||", "||||"};
        QTest::newRow("line end last: no row after it") << H + "1\n" << QStringList{"1||||"};
        QTest::newRow("comma, then blanks") << H + "1,  \r\n" << QStringList{"1||||", "||||"};
        QTest::newRow("empty header line") << QByteArray("\r\n1\r\n") << QStringList{"1||||"};
        QTest::newRow("sixth cell on dropped")
            << QByteArray("H\r\n1\t2\t3\t4\t5\t6\r\n") << QStringList{"1|2|3|4|5"};
        QTest::newRow("header ended by a comma")
            << QByteArray("No.s,Date\r\n1\r\n") << QStringList{"Date||||", "1||||"};
        QTest::newRow("Latin-1, NUL") << QByteArray("H\r\n1\t\xe9\0\xff\r\n", 10)
                                      << QStringList{QString::fromUtf8("1|é\0ÿ|||", 10)};
        QTest::newRow("header only") << H << QStringList{};
    }

    void texts() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);

        const Read read(bytes);
        QVERIFY(read.result.ok);
        QCOMPARE(read.rows(), rows);
        QCOMPARE(read.result.texts, rows.size() + 1);
        QCOMPARE(read.grid.row(0).join(u'|'), QStringLiteral("No.s|Date|Time|Ohm|Voltage"));
    }

    void headerRanges_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("ohm");
        QTest::addColumn<QString>("volt");

        QTest::newRow("recording") << "No.s\tDate\tTime\t40mOhm\t4Voltage"
                                   << "40m"
                                   << "4";
        QTest::newRow("live list") << "No.s\t   Date\t   Time\t400mOhm\t40Voltage\t"
                                   << "400m"
                                   << "40";
        QTest::newRow("logger set") << "No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t"
                                    << "400m"
                                    << "40";
        QTest::newRow("40m Ohm, 4 Voltage") << "\t40m Ohm\t4 Voltage"
                                            << "40m"
                                            << "4";
        QTest::newRow("4 Ohm, 4Voltage") << "\t4 Ohm\t4Voltage"
                                         << "4"
                                         << "4";
        QTest::newRow("4Ohm, 40 Voltage") << "\t4Ohm\t40 Voltage"
                                          << "4"
                                          << "40";
        QTest::newRow("40 Ohm") << "\t40 Ohm"
                                << "40"
                                << "kept";
        QTest::newRow("40Ohm") << "\t40Ohm"
                               << "40"
                               << "kept";
        QTest::newRow("first pattern wins") << "4Ohm 40mOhm 4Voltage 40Voltage"
                                            << "40m"
                                            << "40";
        QTest::newRow("no range: kept") << "No.s\tDate\tTime\tOhm\tVoltage"
                                        << "kept"
                                        << "kept";
        QTest::newRow("case matters") << "40mohm\t4voltage"
                                      << "kept"
                                      << "kept";
    }

    void headerRanges() {
        QFETCH(QString, header);
        QFETCH(QString, ohm);
        QFETCH(QString, volt);

        QString ohmRange = QStringLiteral("kept");
        QString voltRange = QStringLiteral("kept");
        RecordReader::headerRanges(header, ohmRange, voltRange);
        QCOMPARE(ohmRange, ohm);
        QCOMPARE(voltRange, volt);
    }

    void badInput_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rows");  // -1: any
        QTest::addColumn<int>("longestCell");

        QByteArray binary(256 * 1024, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char& c : binary) {
            c = char(random.bounded(256));
        }
        QByteArray many = H;
        for (int i = 1; i <= 200000; ++i) {
            many += QByteArray::number(i) + "\t2021/07/01\t10:20:32\t12.34\t4.012\n";
        }
        QTest::newRow("empty file") << QByteArray() << 0 << 0;
        QTest::newRow("binary") << binary << -1 << -1;
        QTest::newRow("10 MB line") << H + QByteArray(10'000'000, 'x') + "\r\n2\r\n"
                                    << 2 << int(RecordReader::MaxText);
        QTest::newRow("no line end") << QByteArray(3'000'000, '7') << 0 << 0;
        QTest::newRow("only line ends") << QByteArray(100'000, '\n') << 99'999 << 0;
        QTest::newRow("only quotes") << QByteArray(100'001, '"') << 0 << 0;
        QTest::newRow("200,000 lines") << many << 200000 << 10;
    }

    void badInput() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rows);
        QFETCH(int, longestCell);

        const Read read(bytes);
        QVERIFY(read.result.ok);
        if (rows >= 0) {
            QCOMPARE(read.grid.Rows() - 1, rows);
            qsizetype longest = 0;
            for (int r = 1; r < read.grid.Rows(); ++r) {
                for (const QString& cell : read.grid.row(r)) {
                    longest = qMax(longest, cell.size());
                }
            }
            QCOMPARE(longest, qsizetype(longestCell));
        }
        if (read.result.texts == 0) {
            // Nothing read: header row and ranges as they were.
            QCOMPARE(read.grid.row(0).join(u'|'), QStringLiteral("||||"));
            QCOMPARE(read.ohm + read.volt, QStringLiteral("beforebefore"));
        }
    }

    // What Latin-1 cannot hold is written as '?', one for each UTF-16 unit, as toLatin1() does.
    void gridLine_data() {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << QStringList{"1", "12.34"} << QByteArray("1\t12.34\t\r\n");
        QTest::newRow("empty cells") << QStringList{"", ""} << QByteArray("\t\t\r\n");
        QTest::newRow("no cells") << QStringList{} << QByteArray("\r\n");
        QTest::newRow("latin-1") << QStringList{QString::fromUtf8("Prüf ÿ")}
                                 << QByteArray(
                                        "Pr\xfc"
                                        "f \xff\t\r\n");
        QTest::newRow("beyond latin-1")
            << QStringList{QString::fromUtf8("Ω€"), "x"} << QByteArray("??\tx\t\r\n");
        QTest::newRow("surrogate pair")
            << QStringList{QString::fromUtf8("a\U0001F600b")} << QByteArray("a??b\t\r\n");
    }

    void gridLine() {
        QFETCH(QStringList, cells);
        QFETCH(QByteArray, line);
        QCOMPARE(RecordFormat::gridLine(cells), line);
        QByteArray appended("before");
        RecordFormat::appendGridLine(appended, cells);
        QCOMPARE(appended, "before" + line);
    }

    // What the program writes is a header; a header is nothing else.
    void headerLine_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("header");
        QTest::newRow("recording") << RecordFormat::headerLine(40, true, 4) << true;
        QTest::newRow("recording, Ohm") << RecordFormat::headerLine(40, false, 40) << true;
        QTest::newRow("logger set saved")
            << QByteArray("No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t\r\n") << true;
        QTest::newRow("list saved")
            << RecordFormat::gridLine({"No.s", "Date", "Time", "Ohm", "Voltage"}) << true;
        QTest::newRow("no line end") << QByteArray("No.s\tDate\tTime\t4Ohm\t4Voltage") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("line end only") << QByteArray("\r\n") << false;
        QTest::newRow("text") << QByteArray("# Kelvomark\n") << false;
        QTest::newRow("data line")
            << QByteArray("1\t2021/07/01\t10:20:32\t12.34\t3.912\r\n") << false;
        QTest::newRow("four fields") << QByteArray("No.s\tDate\tTime\t40mOhm\r\n") << false;
        QTest::newRow("a sixth field")
            << QByteArray("No.s\tDate\tTime\t40mOhm\t4Voltage\tx\r\n") << false;
        QTest::newRow("two TABs at the end")
            << QByteArray("No.s\tDate\tTime\t40mOhm\t4Voltage\t\t\r\n") << false;
        QTest::newRow("ranges swapped")
            << QByteArray("No.s\tDate\tTime\t4Voltage\t40mOhm\r\n") << false;
        QTest::newRow("commas") << QByteArray("No.s,Date,Time,40mOhm,4Voltage\r\n") << false;
        QTest::newRow("lower case")
            << QByteArray("no.s\tdate\ttime\t40mohm\t4voltage\r\n") << false;
    }

    void headerLine() {
        QFETCH(QByteArray, line);
        QFETCH(bool, header);
        QCOMPARE(RecordFormat::isHeaderLine(line), header);
    }

    // A list far longer than one write: every line once, in order.
    void longSave() {
        GridModel grid;
        QByteArray expected = RecordFormat::gridLine(grid.row(0));
        for (int i = 1; i <= 30000; ++i) {
            const QStringList cells{QString::number(i), "2021/07/01", "23:59:59",
                                    QString::number(i % 400), "4.012"};
            grid.appendRow(cells);
            expected += RecordFormat::gridLine(cells);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.Kmk"));
        QString error;
        QVERIFY(GridFile::save(path, grid, {}, error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);
    }

    // A list saved and read back gives the same cells.
    void roundTrip() {
        GridModel grid;
        const QStringList header{"No.s", "   Date", "   Time", "400m Ohm", "40 Voltage"};
        for (int col = 0; col < header.size(); ++col) {
            grid.setText(0, col, header.at(col));
        }
        grid.appendRow({"1", "2021/07/01", "23:59:59", "123.4", "12.34"});
        grid.appendRow({"2", "2021/07/02", "00:00:01", "OL", "-OL"});
        grid.appendRow({"3", "2021/07/02", "00:00:03", "----", ""});

        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromUtf8("Prüfung ohne Endung"));
        QString error;
        QVERIFY(GridFile::save(path, grid, {}, error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t\r\n"
                                            "1\t2021/07/01\t23:59:59\t123.4\t12.34\t\r\n"
                                            "2\t2021/07/02\t00:00:01\tOL\t-OL\t\r\n"
                                            "3\t2021/07/02\t00:00:03\t----\t\t\r\n"));
        file.seek(0);
        GridModel back;
        QString ohm;
        QString volt;
        QVERIFY(RecordReader::read(file, back, ohm, volt).ok);
        QCOMPARE(back.Rows(), grid.Rows());
        for (int r = 1; r < grid.Rows(); ++r) {
            QCOMPARE(back.row(r), grid.row(r));
        }
        QCOMPARE(ohm + u'|' + volt, QStringLiteral("400m|40"));
    }
};

int runReaderTests(int argc, char* argv[]) {
    TestRecordReader t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_reader.moc"
