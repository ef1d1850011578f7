#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "CliProcess.h"
#include "ProgramRig.h"
#include "core/records/RecordFormat.h"
#include "platform/TextRules.h"
#include "tst_cli.h"

namespace {

// A recording of `records` readings two seconds apart from 2021/07/01 10:20:30, 40 mOhm and 4 V,
// as the sampler writes it.
QString WriteRecording(const QString& path, int records) {
    QByteArray bytes = RecordFormat::headerLine(40, true, 4);
    for (int i = 1; i <= records; ++i) {
        const QString stamp = TextRules::AddSeconds(QStringLiteral("2021/07/01 10:20:30"), 2 * i);
        bytes += RecordFormat::dataLine(
            i, RecordFormat::sampleLine(stamp, QString::number(12 + (i % 10) / 10.0, 'f', 2),
                                        QString::number(3.9 - i / 100000.0, 'f', 3)));
    }
    return WriteText(path, bytes);
}

QString PdfText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool HavePdfToText() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

}  // namespace

// The ruled table of Print, read back from the PDF: every row, page numbers at the feet.
void TestCliRender::printPdf() {
    if (!HavePdfToText()) {
        QSKIP("pdftotext is not installed (tools/setup.sh installs poppler-utils)");
    }
    QTemporaryDir dir;
    const QString file = WriteRecording(dir.filePath(QStringLiteral("cell.Kmk")), 39);
    const QString pdf = dir.filePath(QStringLiteral("cell.pdf"));
    CliProcess cli({"print", file, "--pdf", pdf});
    QCOMPARE(cli.finish(60000), 0);
    QVERIFY2(cli.out().isEmpty() && cli.err().isEmpty(), qPrintable(cli.err()));
    const QStringList pages = PdfText(pdf).split(u'\f', Qt::SkipEmptyParts);
    // The header and 37 records fill page 1; the 38th and 39th records go on page 2.
    QVERIFY2(pages.size() >= 2, qPrintable(pages.join(u'|')));
    const QStringList header = pages.at(0).split(u'\n').value(0).split(u' ', Qt::SkipEmptyParts);
    QCOMPARE(header, QStringList({"No.s", "Date", "Time", "Ohm", "Voltage"}));
    QVERIFY(pages.at(0).contains(QLatin1String("37  ")));
    QVERIFY(pages.at(0).contains(QLatin1String("2021/07/01")));
    QVERIFY(pages.at(0).contains(QLatin1String("P-1")));
    QVERIFY(pages.at(1).contains(QLatin1String("39")));
    QVERIFY(pages.at(1).contains(QLatin1String("P-2")));
    // Nothing left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             QStringList({QStringLiteral("cell.Kmk"), QStringLiteral("cell.pdf")}));
}

// SIGTERM while a long list prints: nothing written, and the PDF that was there stays.
void TestCliRender::printCancelled() {
    QTemporaryDir dir;
    const QString file = WriteRecording(dir.filePath(QStringLiteral("long.Kmk")), 69998);
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    QVERIFY(!WriteText(pdf, "an older PDF").isEmpty());
    CliProcess cli({"print", file, "--pdf", pdf});
    // Printing has begun once the document is open beside its name.
    QVERIFY(cli.waitFor(
        [&] {
            return QDir(dir.path())
                       .entryList({QStringLiteral("long.pdf.*.part")}, QDir::Files)
                       .size() == 1;
        },
        60000));
    cli.signal(SIGTERM);
    QCOMPARE(cli.finish(60000), 1);
    QVERIFY2(cli.err().contains(QStringLiteral("cancelled; %1 was not written").arg(pdf)),
             qPrintable(cli.err()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             QStringList({QStringLiteral("long.Kmk"), QStringLiteral("long.pdf")}));
    QCOMPARE(FileLines(pdf), QList<QByteArray>{"an older PDF"});
}

// The plot window's picture, without its toolbar: 6690 x 7905 twips, 15 to a pixel.
void TestCliRender::plotPng() {
    QTemporaryDir dir;
    const QString file = WriteRecording(dir.filePath(QStringLiteral("cell.Kmk")), 29);
    const QString png = dir.filePath(QStringLiteral("cell.png"));
    CliProcess cli({"plot", file, "--png", png});
    QCOMPARE(cli.finish(60000), 0);
    QVERIFY2(cli.err().isEmpty(), qPrintable(cli.err()));
    const QImage picture(png);
    QCOMPARE(picture.size(), QSize(446, 527));
    int blue = 0;
    int green = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            blue += pixel == qRgb(0, 0, 255) ? 1 : 0;
            green += pixel == qRgb(0, 255, 0) ? 1 : 0;
        }
    }
    // Both curves run across the frame, 4000 twips: about 267 pixels.
    QVERIFY2(blue > 200 && green > 200, qPrintable(QStringLiteral("%1 %2").arg(blue).arg(green)));
}

// On a PDF page the picture keeps its texts: the scales, the times and "TIME".
void TestCliRender::plotPdf() {
    if (!HavePdfToText()) {
        QSKIP("pdftotext is not installed (tools/setup.sh installs poppler-utils)");
    }
    QTemporaryDir dir;
    const QString file = WriteRecording(dir.filePath(QStringLiteral("cell.Kmk")), 29);
    const QString pdf = dir.filePath(QStringLiteral("cell.pdf"));
    CliProcess cli({"plot", file, "--pdf", pdf, "--paper", "letter"});
    QCOMPARE(cli.finish(60000), 0);
    const QString text = PdfText(pdf);
    for (const char* shown : {"TIME", "10:20:32", "10:21:28", "Ohm", "Voltage", "20", "-4"}) {
        QVERIFY2(text.contains(QLatin1String(shown)), qPrintable(shown + (u'\n' + text)));
    }
}

void TestCliRender::plotRange_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");

    QTest::newRow("within the ranges")
        << QStringList{"--ohm", "10,30", "--volt", "0,4", "--rows", "2,20"} << 0 << "";
    QTest::newRow("with a middle value") << QStringList{"--ohm", "0,20,40"} << 0 << "";
    // Each refusal names the one rule broken, and only that one.
    QTest::newRow("resistance past its range")
        << QStringList{"--ohm", "0,400"} << 2
        << "plot: the resistance scale 0 to 400 is beyond the file's range, 0 to 40";
    QTest::newRow("resistance below its range")
        << QStringList{"--ohm", "-5,20"} << 2
        << "plot: the resistance scale -5 to 20 is beyond the file's range, 0 to 40";
    QTest::newRow("voltage without a span")
        << QStringList{"--volt", "2,2"} << 2
        << "plot: the voltage scale 2 to 2: the middle value must be below the top";
    QTest::newRow("voltage upside down")
        << QStringList{"--volt", "3,1"} << 2
        << "plot: the voltage scale 3 to 1: the middle value must be below the top";
    QTest::newRow("more rows than records")
        << QStringList{"--rows", "1,30"} << 2
        << "plot: rows 1 to 30 are 30 records, more than the file's 29";
    QTest::newRow("rows backwards") << QStringList{"--rows", "10,5"} << 2
                                    << "plot: rows 10 to 5: the first must be below the last";
    QTest::newRow("row 0") << QStringList{"--rows", "0,5"} << 2
                           << "plot: rows 0 to 5: records are numbered from 1";
    QTest::newRow("rows past the end") << QStringList{"--rows", "5,31"} << 1
                                       << "cell.Kmk: rows 5 to 31 are beyond the file's "
                                          "29 records";
    QTest::newRow("rows all beyond the file") << QStringList{"--rows", "50,60"} << 1
                                              << "cell.Kmk: rows 50 to 60 are beyond the file's "
                                                 "29 records";
}

// --ohm, --volt and --rows as the Plot Range dialog takes them, refused where it refuses.
void TestCliRender::plotRange() {
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString file = WriteRecording(dir.filePath(QStringLiteral("cell.Kmk")), 29);
    const QString png = dir.filePath(QStringLiteral("cell.png"));
    CliProcess cli(QStringList{"plot", file, "--png", png} + options);
    QCOMPARE(cli.finish(60000), status);
    QVERIFY2(cli.err().contains(says), qPrintable(cli.err()));
    QCOMPARE(cli.err().count(u'\n'), status == 0 ? 0 : 1);
    QCOMPARE(QFile::exists(png), status == 0);
}

void TestCliRender::notAList_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("says");

    const QString notHeader = QStringLiteral(
        "is not a recording or a saved list: its first line "
        "is not a header");
    QTest::newRow("text") << QByteArray("# Kelvomark\n\nReads the meter.\n") << notHeader;
    QTest::newRow("empty") << QByteArray()
                           << QStringLiteral("is not a recording or a saved list: it is empty");
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i) {
        binary[i] = char(i * 37 % 251);
    }
    QTest::newRow("binary") << QByteArray(
                                   "\x7f"
                                   "ELF\x02\x01\x01") +
                                   binary
                            << notHeader;
    QTest::newRow("data without header")
        << QByteArray("1\t2021/07/01\t10:20:32\t12.34\t3.912\r\n") << notHeader;
    QTest::newRow("header without ranges") << QByteArray("No.s\tDate\tTime\r\n") << notHeader;
    QTest::newRow("one field more")
        << QByteArray("No.s\tDate\tTime\t40mOhm\t4Voltage\tNote\r\n") << notHeader;
}

// A file that does not begin as a recording or a saved list is refused before anything is
// drawn, naming the file; --any-file draws it all the same.
void TestCliRender::notAList() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString file = WriteText(dir.filePath(QStringLiteral("notes.Kmk")), bytes);
    QVERIFY(!file.isEmpty());
    const QString pdf = dir.filePath(QStringLiteral("notes.pdf"));
    const QString png = dir.filePath(QStringLiteral("notes.png"));
    for (const QStringList& arguments :
         {QStringList{"print", file, "--pdf", pdf}, QStringList{"plot", file, "--png", png}}) {
        CliProcess cli(arguments);
        QCOMPARE(cli.finish(60000), 1);
        QVERIFY2(cli.err().contains(file + QStringLiteral(" ") + says), qPrintable(cli.err()));
        QVERIFY2(cli.err().contains(QLatin1String("--any-file")), qPrintable(cli.err()));
        QCOMPARE(cli.err().count(u'\n'), 1);
    }
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(!QFile::exists(png));
    CliProcess insisted({"print", file, "--pdf", pdf, "--any-file"});
    QCOMPARE(insisted.finish(60000), 0);
    QVERIFY(QFile::exists(pdf));
}

void TestCliRender::listHeaders_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("recording") << RecordFormat::headerLine(40, true, 4);
    QTest::newRow("recording in Ohm") << RecordFormat::headerLine(4, false, 40);
    QTest::newRow("logger set saved")
        << QByteArray("No.s\t   Date\t   Time\t400m Ohm\t40 Voltage\t\r\n");
    QTest::newRow("opened file saved again") << QByteArray("No.s\tDate\tTime\tOhm\tVoltage\t\r\n");
    QTest::newRow("line end LF") << QByteArray("No.s\tDate\tTime\t40mOhm\t4Voltage\n");
}

// What the program itself writes is printed without --any-file.
void TestCliRender::listHeaders() {
    QFETCH(QByteArray, header);
    QTemporaryDir dir;
    const QString file = WriteText(dir.filePath(QStringLiteral("list.Kmk")),
                                   header +
                                       "1\t2021/07/01\t10:20:32\t12.34\t3.912\t\r\n"
                                       "2\t2021/07/01\t10:20:34\t12.36\t3.911\t\r\n");
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    CliProcess cli({"print", file, "--pdf", pdf});
    QCOMPARE(cli.finish(60000), 0);
    QVERIFY2(cli.err().isEmpty(), qPrintable(cli.err()));
    QVERIFY(QFileInfo(pdf).size() > 0);
}

// A list whose header names no range has scales of nothing: the plot says so.
void TestCliRender::plotWithoutRanges() {
    QTemporaryDir dir;
    const QString file = WriteText(dir.filePath(QStringLiteral("list.Kmk")),
                                   "No.s\tDate\tTime\tOhm\tVoltage\t\r\n"
                                   "1\t2021/07/01\t10:20:32\t12.34\t3.912\t\r\n"
                                   "2\t2021/07/01\t10:20:34\t12.36\t3.911\t\r\n");
    CliProcess cli({"plot", file, "--png", dir.filePath(QStringLiteral("list.png"))});
    QCOMPARE(cli.finish(60000), 1);
    QVERIFY2(cli.err().contains(file + QStringLiteral(": the resistance scale 0 to 0 has no span")),
             qPrintable(cli.err()));
}
