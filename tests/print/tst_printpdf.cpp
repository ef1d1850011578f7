#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>
#include <QTimer>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "core/records/ListLayout.h"
#include "platform/Clock.h"
#include "platform/GridModel.h"
#include "tst_print.h"
#include "windows/common/App.h"
#include "windows/print/PrintGrid.h"
#include "windows/print/PrintImage.h"

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

// A list as the list windows hold it: the header row, then a reading every 2 s.
void fillReadings(GridModel& grid, int rows) {
    for (int c = 0; c < ListLayout::Columns; ++c) {
        grid.setText(0, c, ListLayout::header(c));
    }
    for (int r = 1; r < rows; ++r) {
        grid.appendRow({QString::number(r), QStringLiteral("2021/07/01"),
                        QTime(10, 0).addSecs(2 * r).toString(QStringLiteral("hh:mm:ss")),
                        QString::number(12 + r % 97 / 100.0, 'f', 2), QStringLiteral("4.012")});
    }
}

QString pdftotext(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), args);
    if (!process.waitForFinished(60000)) {
        qWarning("pdftotext did not run: tools/setup.sh installs poppler-utils");
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The lines of each page with single blanks between words, blank lines left out.
QList<QStringList> pdfPages(const QString& path) {
    QList<QStringList> pages;
    for (const QString& text : pdftotext({"-layout", path, "-"}).split(u'\f')) {
        pages.append(QStringList());
        for (const QString& line : text.split(u'\n')) {
            if (!line.simplified().isEmpty()) {
                pages.last().append(line.simplified());
            }
        }
    }
    pages.removeLast();  // after the last form feed
    return pages;
}

// Page `page` of a PDF as a grey image, `dpi` dots an inch; null when it cannot be rendered.
QImage pdfPageImage(const QString& path, int page, int dpi) {
    const QString prefix = path + QStringLiteral(".page");
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {"-r", QString::number(dpi), "-gray", "-f", QString::number(page), "-l",
                   QString::number(page), "-singlefile", path, prefix});
    if (!process.waitForFinished(60000)) {
        qWarning("pdftoppm did not run: tools/setup.sh installs poppler-utils");
    }
    return QImage(prefix + QStringLiteral(".pgm"));
}

// Whether the vertical rule at `xTwips` is drawn at `yTwips` (within a few dots).
bool ruleAt(const QImage& image, int dpi, int xTwips, int yTwips) {
    const int x = xTwips * dpi / 1440;
    const int y = yTwips * dpi / 1440;
    for (int dx = -3; dx <= 3; ++dx) {
        if (qGray(image.pixel(x + dx, y)) < 96) {
            return true;
        }
    }
    return false;
}

QString rowText(const GridModel& grid, int row) {
    return grid.row(row).join(u' ').simplified();
}

}  // namespace

void TestPrint::cellsAndPageNumbers() {
    Rig rig;
    GridModel grid(5);
    fillReadings(grid, 39);
    rig.answerPdf(rig.pdf);
    PrintGrid(rig.app, nullptr, grid);

    QVERIFY(!rig.timer1InDialog);
    QVERIFY(rig.app.timer1());
    QVERIFY(!QGuiApplication::overrideCursor());
    const QList<QStringList> pages = pdfPages(rig.pdf);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages.at(0).size(), 39);  // header, rows 1 to 37, the page number
    for (int r = 0; r < 38; ++r) {
        QCOMPARE(pages.at(0).at(r), rowText(grid, r));
    }
    QCOMPARE(pages.at(0).last(), QStringLiteral("P-1"));
    QCOMPARE(pages.at(1).size(), 2);
    QCOMPARE(pages.at(1).first(), rowText(grid, 38));
    QCOMPARE(pages.at(1).last(), QStringLiteral("P-2"));
}

// The rules are drawn when a page is done: on a full page and on the last one, unbroken from
// the first row's top to the last row's bottom, and nowhere below.
void TestPrint::rulesOnEveryPage_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("top");     // twips: the first row's rule top
    QTest::addColumn<int>("bottom");  // twips: the last row's rule bottom
    QTest::newRow("full page") << 1 << 750 << 15950;
    QTest::newRow("last page") << 2 << 350 << 750;
}

void TestPrint::rulesOnEveryPage() {
    QFETCH(int, page);
    QFETCH(int, top);
    QFETCH(int, bottom);
    Rig rig;
    GridModel grid(5);
    fillReadings(grid, 39);
    rig.answerPdf(rig.pdf);
    PrintGrid(rig.app, nullptr, grid);

    constexpr int Dpi = 288;
    const QImage image = pdfPageImage(rig.pdf, page, Dpi);
    QVERIFY(!image.isNull());
    const int right = 11906 - 700;
    for (const int x : {500, 500 + 2125 * 2, right}) {
        for (int y = top + 20; y < bottom - 20; y += 40) {
            QVERIFY2(ruleAt(image, Dpi, x, y),
                     qPrintable(QStringLiteral("x %1 y %2").arg(x).arg(y)));
        }
        QVERIFY(!ruleAt(image, Dpi, x, bottom + 200));
    }
}

void TestPrint::positionsInTwips_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("page");
    QTest::addColumn<QPoint>("xRange");  // twips: the word starts within
    QTest::addColumn<int>("top");        // twips: the top of its line
    QTest::newRow("P-1") << "P-1" << 1 << QPoint(5703 - 30, 5703 + 30) << 16050;
    QTest::newRow("P-2 after a new page") << "P-2" << 2 << QPoint(5703 - 30, 5703 + 30) << 16050;
    QTest::newRow("last column") << "Voltage" << 1 << QPoint(9000, 11906 - 700) << 850;
    QTest::newRow("first row of page 2") << "38" << 2 << QPoint(500, 2625) << 450;
}

// Drawn in twips from the corner of the A4 paper (11906 twips wide).
void TestPrint::positionsInTwips() {
    QFETCH(QString, word);
    QFETCH(int, page);
    QFETCH(QPoint, xRange);
    QFETCH(int, top);
    Rig rig;
    GridModel grid(5);
    fillReadings(grid, 39);
    rig.answerPdf(rig.pdf);
    PrintGrid(rig.app, nullptr, grid);

    // Every word's box, in points of 20 twips.
    const QStringList pages = pdftotext({"-bbox", rig.pdf, "-"}).split(QStringLiteral("<page "));
    QCOMPARE(pages.size(), 3);
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>") +
                           QRegularExpression::escape(word) + QStringLiteral("</word>"))
            .match(pages.at(page));
    QVERIFY(box.hasMatch());
    const double x = box.captured(1).toDouble() * 20;
    const double y = box.captured(2).toDouble() * 20;
    QVERIFY2(x >= xRange.x() && x <= xRange.y(), qPrintable(QString::number(x)));
    QVERIFY2(qAbs(y - top) <= 60, qPrintable(QString::number(y)));
}

void TestPrint::endsQuietly_data() {
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
void TestPrint::endsQuietly() {
    QFETCH(QString, how);
    QFETCH(bool, oldFile);
    Rig rig;
    QPointer<QWidget> window = new QWidget;
    QPointer<GridModel> grid = new GridModel(5, window);
    fillReadings(*grid, 3000);
    const QString target =
        how == u"folder" ? rig.dir.filePath(QStringLiteral("no/list.pdf")) : rig.pdf;
    QFile old(target);
    QVERIFY(!oldFile || (old.open(QIODevice::WriteOnly) && old.write("old") == 3));
    old.close();
    if (how != u"dialog") {
        rig.answerPdf(target);
    }
    const bool partWay = how == u"cancel" || how == u"close" || how == u"delete";
    bool partSeen = false;
    // At the first look at the window events, with a page or so printed. A print that ends
    // before it looks at them leaves the call pending: it goes with this function's frame.
    QObject frame;
    QTimer::singleShot(0, &frame, [&] {
        partSeen = QFile::exists(target + QStringLiteral(".part"));
        if (how == u"cancel") {
            window->findChild<QProgressDialog*>(QStringLiteral("PrintProgress"))->cancel();
        }
        if (how == u"close") {
            delete window.data();
        }
        if (how == u"delete") {
            delete grid.data();
        }
    });
    PrintGrid(rig.app, window, *grid);

    QCOMPARE(partSeen, partWay);
    QVERIFY(!QFile::exists(target + QStringLiteral(".part")));
    QCOMPARE(QFile::exists(target), oldFile);
    QVERIFY(!oldFile || (old.open(QIODevice::ReadOnly) && old.readAll() == "old"));
    QVERIFY(rig.app.timer1());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(rig.dialogs.messages.isEmpty());
    delete window.data();
}

// Timers run while a long list prints; rows added meanwhile are not printed.
void TestPrint::eventsRunWhilePrinting() {
    Rig rig;
    GridModel grid(5);
    fillReadings(grid, 2000);
    QTimer grow;
    QObject::connect(&grow, &QTimer::timeout, [&] { grid.addItem(u"added"); });
    grow.start(0);
    rig.answerPdf(rig.pdf);
    PrintGrid(rig.app, nullptr, grid);

    QVERIFY(grid.Rows() > 2000);
    const QList<QStringList> pages = pdfPages(rig.pdf);
    QCOMPARE(pages.size(), 52);  // rows 1988 to 1999 on the last
    QCOMPARE(pages.last().size(), 13);
    QCOMPARE(pages.last().at(11), rowText(grid, 1999));
    QCOMPARE(pages.last().last(), QStringLiteral("P-52"));
}

void TestPrint::imageFitsThePage_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("wide") << QSize(800, 200);
    QTest::newRow("tall") << QSize(300, 900);
    QTest::newRow("small, scaled up") << QSize(40, 30);
}

// As large as the printable area allows, aspect kept, centred across the top.
void TestPrint::imageFitsThePage() {
    QFETCH(QSize, size);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(dir.filePath(QStringLiteral("image.pdf")));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QVERIFY(PrintImageOnPage(printer, image));

    // At 36 pixels an inch a pixel is 2 points.
    QProcess::execute(QStringLiteral("pdftoppm"), {"-r", "36", "-png", "-singlefile",
                                                   printer.outputFileName(), dir.filePath("page")});
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    QRect drawn;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            drawn |= qGray(page.pixel(x, y)) < 128 ? QRect(x, y, 1, 1) : QRect();
        }
    }
    const QRectF area = printer.pageRect(QPrinter::Point);
    const QSize fitted = size.scaled((area.size() / 2).toSize(), Qt::KeepAspectRatio);
    QVERIFY(qAbs(drawn.width() - fitted.width()) <= 2);
    QVERIFY(qAbs(drawn.height() - fitted.height()) <= 2);
    QVERIFY(qAbs(drawn.top() - area.top() / 2) <= 2);
    QVERIFY(qAbs(drawn.center().x() - area.center().x() / 2) <= 2);
}

// Without a default printer the printer dialog comes first; cancelling it prints nothing.
void TestPrint::windowImageWithoutDefaultPrinter() {
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
}
