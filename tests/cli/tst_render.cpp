#include <QDir>
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
    QTest::newRow("resistance past its range")
        << QStringList{"--ohm", "0,400"} << 2
        << "the plot range is refused (Invalid, Try again!): the resistance scale must lie "
           "within 0 to 40";
    QTest::newRow("voltage without a span") << QStringList{"--volt", "2,2"} << 2 << "refused";
    QTest::newRow("more rows than records")
        << QStringList{"--rows", "1,30"} << 2 << "the rows within 1 to 29";
    QTest::newRow("rows past the end") << QStringList{"--rows", "5,31"} << 1
                                       << "the plot failed: a scale without a span, or rows "
                                          "beyond the file's 29 records";
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
    QCOMPARE(QFile::exists(png), status == 0);
}
