#include <QGuiApplication>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>
#include <QTimer>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "app/App.h"
#include "platform/Clock.h"
#include "platform/GridModel.h"
#include "print/PrintGrid.h"
#include "print/PrintImage.h"
#include "records/ListLayout.h"
#include "tst_print.h"

namespace {

struct Rig {
    ScriptedDialogs dialogs;
    ManualClock clock;
    RecordingShell shell;
    App app{dialogs, clock, shell};
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    bool timer1InDialog = true;

    Rig() { app.setTimer1(true); }

    // The next printer dialog is answered with a PDF file on A4.
    void answerPdf(const QString& path) {
        dialogs.printerAnswers.enqueue(true);
        dialogs.printerSetup = [this, path](QPrinter& printer) {
            timer1InDialog = app.timer1();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setOutputFileName(path);
        };
    }
};

// A list of readings as the list windows hold it: header row, then one reading every 2 s.
void fillReadings(GridModel& grid, int rows) {
    for (int c = 0; c < ListLayout::Columns; ++c) {
        grid.setText(0, c, ListLayout::header(c));
    }
    QVector<QStringList> data;
    for (int r = 1; r < rows; ++r) {
        data.append({QString::number(r), QStringLiteral("2021/07/01"),
                     QTime(10, 0).addSecs(2 * r).toString(QStringLiteral("hh:mm:ss")),
                     QString::number(12.0 + r % 97 / 100.0, 'f', 2),
                     QString::number(4.0 + r % 13 / 1000.0, 'f', 3)});
    }
    grid.appendRows(std::move(data));
}

QString run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000)) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page, as lines without the blank ones.
QList<QStringList> pdfPages(const QString& path) {
    QList<QStringList> pages;
    const QStringList texts = run(QStringLiteral("pdftotext"), {"-layout", path, "-"}).split(u'\f');
    for (qsizetype p = 0; p + 1 < texts.size(); ++p) {
        QStringList lines;
        for (const QString& line : texts.at(p).split(u'\n')) {
            if (!line.trimmed().isEmpty()) {
                lines.append(line.trimmed());
            }
        }
        pages.append(lines);
    }
    return pages;
}

bool rowMatches(const QString& line, const GridModel& grid, int row) {
    QStringList cells;
    for (int c = 0; c < grid.Cols(); ++c) {
        cells.append(QRegularExpression::escape(grid.text(row, c).trimmed()));
    }
    return QRegularExpression(QStringLiteral("^") + cells.join(QStringLiteral("\\s+")) + u'$')
        .match(line)
        .hasMatch();
}

QProgressDialog* progressOf(QWidget* parent) {
    return parent ? parent->findChild<QProgressDialog*>(QStringLiteral("PrintProgress")) : nullptr;
}

}  // namespace

void TestPrintPdf::init() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed: run tools/setup.sh");
    }
}

void TestPrintPdf::cellsAndPageNumbers() {
    Rig rig;
    GridModel grid(5);
    fillReadings(grid, 39);
    rig.answerPdf(rig.pdf);
    PrintGrid(rig.app, nullptr, grid);

    QVERIFY(!rig.timer1InDialog);
    QVERIFY(rig.app.timer1());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!QFile::exists(rig.pdf + QStringLiteral(".part")));
    const QList<QStringList> pages = pdfPages(rig.pdf);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages.at(0).size(), 39);  // header, rows 1 to 37, the page number
    QCOMPARE(pages.at(1).size(), 2);   // row 38, the page number
    for (int r = 0; r < 38; ++r) {
        QVERIFY2(rowMatches(pages.at(0).at(r), grid, r), qPrintable(pages.at(0).at(r)));
    }
    QCOMPARE(pages.at(0).last(), QStringLiteral("P-1"));
    QVERIFY2(rowMatches(pages.at(1).first(), grid, 38), qPrintable(pages.at(1).first()));
    QCOMPARE(pages.at(1).last(), QStringLiteral("P-2"));
}

void TestPrintPdf::positionsInTwips_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("left");  // twips: the word starts between left and right
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("top");  // twips: the top of its line
    QTest::newRow("P-1") << "P-1" << 1 << 5703 - 30 << 5703 + 30 << 16050;
    QTest::newRow("P-2 after a new page") << "P-2" << 2 << 5703 - 30 << 5703 + 30 << 16050;
    QTest::newRow("first column") << "No.s" << 1 << 500 << 2625 << 850;
    QTest::newRow("last column") << "Voltage" << 1 << 9000 << 11906 - 700 << 850;
    QTest::newRow("first row of page 2") << "38" << 2 << 500 << 2625 << 450;
}

// The page is drawn in twips from the paper's corner: A4 is 11906 twips wide.
void TestPrintPdf::positionsInTwips() {
    QFETCH(QString, word);
    QFETCH(int, page);
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, top);
    Rig rig;
    GridModel grid(5);
    fillReadings(grid, 39);
    rig.answerPdf(rig.pdf);
    PrintGrid(rig.app, nullptr, grid);

    // pdftotext -bbox gives every word's box in points (20 twips).
    const QString html = run(QStringLiteral("pdftotext"), {"-bbox", rig.pdf, "-"});
    const QStringList pages = html.split(QStringLiteral("<page "));
    QCOMPARE(pages.size(), 3);
    const QRegularExpression box(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>") +
        QRegularExpression::escape(word) + QStringLiteral("</word>"));
    const QRegularExpressionMatch found = box.match(pages.at(page));
    QVERIFY2(found.hasMatch(), qPrintable(word));
    const double x = found.captured(1).toDouble() * 20;
    const double y = found.captured(2).toDouble() * 20;
    QVERIFY2(x >= left && x <= right, qPrintable(QString::number(x)));
    QVERIFY2(qAbs(y - top) <= 60, qPrintable(QString::number(y)));
}

void TestPrintPdf::endsQuietly_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("oldFile");  // a file of that name was there before
    QTest::newRow("printer dialog cancelled") << "dialog" << false;
    QTest::newRow("folder missing") << "folder" << false;
    QTest::newRow("cancelled part way") << "cancel" << false;
    QTest::newRow("cancelled part way keeps the old file") << "cancel" << true;
    QTest::newRow("list window closed part way") << "close" << false;
    QTest::newRow("list deleted part way") << "delete" << false;
}

// Every way out: no partial document, Timer1 on, the normal pointer, no message.
void TestPrintPdf::endsQuietly() {
    QFETCH(QString, how);
    QFETCH(bool, oldFile);
    Rig rig;
    QPointer<QWidget> window = new QWidget;
    QPointer<GridModel> grid = new GridModel(5, window);
    fillReadings(*grid, 3000);
    const QString target =
        how == u"folder" ? rig.dir.filePath(QStringLiteral("missing/list.pdf")) : rig.pdf;
    if (oldFile) {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    bool partSeen = false;
    if (how != u"dialog") {
        rig.answerPdf(target);
    }
    const bool partWay = how == u"cancel" || how == u"close" || how == u"delete";
    if (partWay) {
        // Runs at the first look at the window events, with a page or so printed.
        QTimer::singleShot(0, [&] {
            partSeen = QFile::exists(target + QStringLiteral(".part"));
            if (how == u"close") {
                delete window.data();
            } else if (how == u"delete") {
                delete grid.data();
            } else if (QProgressDialog* progress = progressOf(window)) {
                progress->cancel();
            }
        });
    }
    PrintGrid(rig.app, window, *grid);

    QCOMPARE(partSeen, partWay);
    QVERIFY(!QFile::exists(target + QStringLiteral(".part")));
    QCOMPARE(QFile::exists(target), oldFile);
    if (oldFile) {
        QFile old(target);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
    }
    QVERIFY(rig.app.timer1());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(rig.dialogs.messages.isEmpty());
    delete window.data();
}

// Timers run while a long list prints, and rows added meanwhile are not printed.
void TestPrintPdf::eventsRunWhilePrinting() {
    Rig rig;
    GridModel grid(5);
    fillReadings(grid, 2000);
    int ticks = 0;
    QTimer grow;
    QObject::connect(&grow, &QTimer::timeout, [&] {
        ++ticks;
        grid.addItem(u"new");
    });
    grow.start(0);
    rig.answerPdf(rig.pdf);
    PrintGrid(rig.app, nullptr, grid);
    grow.stop();

    QVERIFY(ticks > 0);
    const QList<QStringList> pages = pdfPages(rig.pdf);
    // 38 rows on page 1, 39 on each later one: rows 1988 to 1999 on page 52.
    QCOMPARE(pages.size(), 52);
    QCOMPARE(pages.last().size(), 13);
    QVERIFY(rowMatches(pages.last().at(11), grid, 1999));
    QCOMPARE(pages.last().last(), QStringLiteral("P-52"));
}

void TestPrintPdf::imageFitsThePage_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("wide") << QSize(800, 200);
    QTest::newRow("tall") << QSize(300, 900);
    QTest::newRow("small, scaled up") << QSize(40, 30);
}

void TestPrintPdf::imageFitsThePage() {
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("image.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(pdf);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QVERIFY(PrintImageOnPage(printer, image));

    // Rendered at 36 pixels an inch: half a point a pixel.
    run(QStringLiteral("pdftoppm"),
        {"-r", "36", "-png", "-singlefile", pdf, dir.filePath(QStringLiteral("page"))});
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    QVERIFY(!page.isNull());
    QRect drawn;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) < 128) {
                drawn |= QRect(x, y, 1, 1);
            }
        }
    }
    const QRectF area = printer.pageRect(QPrinter::Point);
    const QSize fitted = size.scaled((area.size() / 2).toSize(), Qt::KeepAspectRatio);
    QVERIFY2(
        qAbs(drawn.width() - fitted.width()) <= 2 && qAbs(drawn.height() - fitted.height()) <= 2,
        qPrintable(QStringLiteral("%1x%2").arg(drawn.width()).arg(drawn.height())));
    QVERIFY(qAbs(drawn.top() - area.top() / 2) <= 2);
    QVERIFY(qAbs(drawn.center().x() - area.center().x() / 2) <= 2);
}

// Without a default printer the printer dialog comes first; cancelling it prints nothing.
void TestPrintPdf::windowImageWithoutDefaultPrinter() {
    if (!QPrinterInfo::defaultPrinter().isNull()) {
        QSKIP("a default printer is set up here: the test would print on it");
    }
    Rig rig;
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::red);
    PrintWindowImage(rig.app, nullptr, image);
    QVERIFY(!QFile::exists(rig.pdf));

    rig.answerPdf(rig.pdf);
    PrintWindowImage(rig.app, nullptr, image);
    QVERIFY(rig.dialogs.printerAnswers.isEmpty());
    QCOMPARE(pdfPages(rig.pdf).size(), 1);
    QVERIFY(rig.app.timer1());
    QVERIFY(!QGuiApplication::overrideCursor());
}
