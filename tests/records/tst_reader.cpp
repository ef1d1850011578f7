#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "platform/GridModel.h"
#include "records/GridFile.h"
#include "records/ListLayout.h"
#include "records/RecordReader.h"
#include "tst_records.h"

namespace {

struct Read {
    GridModel grid;
    QString ohm = QStringLiteral("before");
    QString volt = QStringLiteral("before");
    RecordReader::Result result;
};

void readBytes(const QByteArray& bytes, Read& read) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    read.result = RecordReader::read(buffer, read.grid, read.ohm, read.volt);
}

// Each data row as its five cells joined by '|'.
QStringList rowTexts(const GridModel& grid) {
    QStringList rows;
    for (int r = 1; r < grid.Rows(); ++r) {
        rows.append(grid.row(r).join(u'|'));
    }
    return rows;
}

const QByteArray H = "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n";

}  // namespace

void TestRecordReader::texts_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("recording") << H + "1\t2021/07/01\t10:20:32\t12.34\t4.012\r\n"
                                      "2\t2021/07/01\t10:20:34\tOL\t-OL\r\n"
                               << QStringList{"1|2021/07/01|10:20:32|12.34|4.012",
                                              "2|2021/07/01|10:20:34|OL|-OL"};
    QTest::newRow("saved list, TAB before each line end")
        << QByteArray(
               "No.s\t   Date\t   Time\t40mOhm\t4Voltage\t\r\n"
               "1\t2021/07/01\t10:20:32\t----\t4.012\t\r\n")
        << QStringList{"1|2021/07/01|10:20:32|----|4.012"};
    QTest::newRow("LF line ends") << H + "1\ta\n2\tb\n" << QStringList{"1|a|||", "2|b|||"};
    QTest::newRow("CR line ends") << QByteArray("H\r1\ta\r2\tb\r")
                                  << QStringList{"1|a|||", "2|b|||"};
    QTest::newRow("mixed, none at the end")
        << QByteArray("H\r\n1\n2\r3") << QStringList{"1||||", "2||||", "3||||"};
    QTest::newRow("leading blanks of a line skipped, of a cell kept")
        << QByteArray("H\r\n   1\t  a\r\n") << QStringList{"1|  a|||"};
    QTest::newRow("comma ends a text")
        << QByteArray("H\r\n1\ta,2\tb\r\n") << QStringList{"1|a|||", "2|b|||"};
    QTest::newRow("blanks after a comma skipped")
        << QByteArray("H\r\n1, 2,3\r\n") << QStringList{"1||||", "2||||", "3||||"};
    QTest::newRow("comma at the line end")
        << QByteArray("H\r\n1,\r\n2\r\n") << QStringList{"1||||", "||||", "2||||"};
    QTest::newRow("quoted text keeps commas")
        << QByteArray("H\r\n\"1\ta,b\"\r\n2\r\n") << QStringList{"1|a,b|||", "2||||"};
    QTest::newRow("quoted text runs over a line end")
        << QByteArray("H\r\n\"1\r\n2\"\r\n3\r\n") << QStringList{"1\r\n2||||", "3||||"};
    QTest::newRow("after the closing quote, to the comma, dropped")
        << QByteArray("H\r\n\"1\"x\ty,2\r\n") << QStringList{"1||||", "2||||"};
    QTest::newRow("quote inside a text")
        << QByteArray("H\r\n1\ta\"b\r\n") << QStringList{"1|a\"b|||"};
    QTest::newRow("unclosed quote runs to the end")
        << QByteArray("H\r\n\"1\t2\r\n3") << QStringList{"1|2\r\n3|||"};
    QTest::newRow("blank lines give no row")
        << QByteArray("H\r\n\r\n1\r\n   \r\n\n2\r\n\r\n") << QStringList{"1||||", "2||||"};
    QTest::newRow("cells beyond the fifth dropped")
        << QByteArray("H\r\n1\t2\t3\t4\t5\t6\t7\r\n") << QStringList{"1|2|3|4|5"};
    QTest::newRow("header after a comma")
        << QByteArray("No.s,Date\r\n1\r\n") << QStringList{"Date||||", "1||||"};
    QTest::newRow("Latin-1") << QByteArray("H\r\n1\t\xe9\xff\r\n")
                             << QStringList{QString::fromUtf8("1|éÿ|||")};
    QTest::newRow("header only") << H << QStringList{};
}

void TestRecordReader::texts() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);

    Read read;
    readBytes(bytes, read);
    QVERIFY(read.result.ok);
    QCOMPARE(rowTexts(read.grid), rows);
    QCOMPARE(read.result.texts, rows.size() + 1);
    QCOMPARE(read.grid.row(0).join(u'|'), QStringLiteral("No.s|Date|Time|Ohm|Voltage"));
}

void TestRecordReader::headerRanges_data() {
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("ohm");
    QTest::addColumn<QString>("volt");

    QTest::newRow("recording") << "No.s\tDate\tTime\t40mOhm\t4Voltage"
                               << "40m"
                               << "4";
    QTest::newRow("live list save") << "No.s\t   Date\t   Time\t400mOhm\t40Voltage\t"
                                    << "400m"
                                    << "40";
    QTest::newRow("logger set save") << "No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t"
                                     << "400m"
                                     << "40";
    QTest::newRow("40m Ohm") << "x\t40m Ohm\t4 Voltage"
                             << "40m"
                             << "4";
    QTest::newRow("4 Ohm") << "x\t4 Ohm\t4 Voltage"
                           << "4"
                           << "4";
    QTest::newRow("4Ohm") << "x\t4Ohm\t40Voltage"
                          << "4"
                          << "40";
    QTest::newRow("40 Ohm") << "x\t40 Ohm\t40 Voltage"
                            << "40"
                            << "40";
    QTest::newRow("40Ohm") << "x\t40Ohm\t4Voltage"
                           << "40"
                           << "4";
    QTest::newRow("first pattern wins") << "4Ohm 40mOhm 4Voltage 40Voltage"
                                        << "40m"
                                        << "40";
    QTest::newRow("resistance only") << "No.s\tDate\tTime\t40Ohm"
                                     << "40"
                                     << "previous";
    QTest::newRow("none: kept") << "No.s\tDate\tTime\tOhm\tVoltage"
                                << "previous"
                                << "previous";
    QTest::newRow("case matters") << "40mohm\t4voltage"
                                  << "previous"
                                  << "previous";
}

void TestRecordReader::headerRanges() {
    QFETCH(QString, header);
    QFETCH(QString, ohm);
    QFETCH(QString, volt);

    QString ohmRange = QStringLiteral("previous");
    QString voltRange = QStringLiteral("previous");
    RecordReader::headerRanges(header, ohmRange, voltRange);
    QCOMPARE(ohmRange, ohm);
    QCOMPARE(voltRange, volt);
}

void TestRecordReader::badInput_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("longestCell");

    QByteArray binary(256 * 1024, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char& c : binary) {
        c = char(random.bounded(256));
    }
    QTest::newRow("empty file") << QByteArray() << 0 << 0;
    QTest::newRow("binary") << binary << -1 << -1;
    QTest::newRow("NUL bytes") << QByteArray("H\r\n1\t\0\0\0\r\n", 10) << 1 << 3;
    QTest::newRow("10 MB line") << H + QByteArray(10 * 1024 * 1024, 'x') + "\r\n2\r\n"
                                << 2 << int(RecordReader::MaxText);
    QTest::newRow("no line end") << QByteArray(3 * 1024 * 1024, '7') << 0 << 0;
    QByteArray many = H;
    for (int i = 1; i <= 200000; ++i) {
        many += QByteArray::number(i) + "\t2021/07/01\t10:20:32\t12.34\t4.012\n";
    }
    QTest::newRow("200,000 lines") << many << 200000 << 10;
    QTest::newRow("only line ends") << QByteArray(100000, '\n') << 0 << 0;
    QTest::newRow("only quotes") << QByteArray(100001, '"') << 0 << 0;
}

void TestRecordReader::badInput() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    QFETCH(int, longestCell);

    Read read;
    readBytes(bytes, read);
    QVERIFY(read.result.ok);
    if (rows >= 0) {
        QCOMPARE(read.grid.Rows() - 1, rows);
    }
    if (longestCell >= 0) {
        qsizetype longest = 0;
        for (int r = 1; r < read.grid.Rows(); ++r) {
            for (const QString& cell : read.grid.row(r)) {
                longest = qMax(longest, cell.size());
            }
        }
        QCOMPARE(longest, qsizetype(longestCell));
    }
    if (read.result.texts == 0) {
        // Nothing read: the header row and the ranges are left as they were.
        QCOMPARE(read.grid.row(0).join(u'|'), QStringLiteral("||||"));
        QCOMPARE(read.ohm, QStringLiteral("before"));
        QCOMPARE(read.volt, QStringLiteral("before"));
    }
}

void TestRecordReader::roundTrip() {
    GridModel grid;
    const QStringList header{"No.s", "   Date", "   Time", "400m Ohm", "40 Voltage"};
    for (int col = 0; col < ListLayout::Columns; ++col) {
        grid.setText(0, col, header.at(col));
    }
    const QList<QStringList> rows{{"1", "2021/07/01", "23:59:59", "123.4", "12.34"},
                                  {"2", "2021/07/02", "00:00:01", "OL", "-OL"},
                                  {"3", "2021/07/02", "00:00:03", "----", "-0.056"},
                                  {"4", "2021/07/02", "00:00:05", "", ""}};
    for (const QStringList& row : rows) {
        grid.appendRow(row);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8("Überprüfung mit Leerzeichen"));
    QString error;
    QVERIFY(GridFile::save(path, grid, {}, error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(
        bytes.startsWith("No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t\r\n"
                         "1\t2021/07/01\t23:59:59\t123.4\t12.34\t\r\n"));
    QVERIFY(bytes.endsWith("4\t2021/07/02\t00:00:05\t\t\t\r\n"));

    file.seek(0);
    GridModel back;
    QString ohm;
    QString volt;
    QVERIFY(RecordReader::read(file, back, ohm, volt).ok);
    QCOMPARE(back.Rows(), grid.Rows());
    for (int r = 1; r < grid.Rows(); ++r) {
        QCOMPARE(back.row(r), grid.row(r));
    }
    QCOMPARE(ohm, QStringLiteral("400m"));
    QCOMPARE(volt, QStringLiteral("40"));
}
