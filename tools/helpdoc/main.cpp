// Turns the help document's Markdown into the PDF that "Help" opens.
// Usage: kelvomark-helpdoc INPUT.md OUTPUT.pdf

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

namespace {

constexpr int Resolution = 300;  // dots per inch of the PDF's layout

void printPageNumber(QPainter& painter, const QRectF& page, int number, const QFont& font) {
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::darkGray);
    painter.drawText(QRectF(0, page.height() + Resolution * 0.15, page.width(), Resolution * 0.3),
                     Qt::AlignCenter, QString::number(number));
    painter.restore();
}

}  // namespace

int main(int argc, char* argv[]) {
    // Fonts need a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kelvomark-helpdoc INPUT.md OUTPUT.pdf\n");
        return 2;
    }
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kelvomark-helpdoc: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString markdown = QString::fromUtf8(input.readAll());

    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setResolution(Resolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 22), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Kelvomark User Manual"));
    writer.setCreator(QStringLiteral("Kelvomark"));

    QTextDocument document;
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPointSizeF(10);
    document.setDefaultFont(body);
    document.setDefaultStyleSheet(QStringLiteral(
        "h1 { color: #1f3b57; } h2 { color: #1f3b57; } h3 { color: #2d5275; }"
        "code { font-family: 'DejaVu Sans Mono'; }"));
    // Pictures are found beside the Markdown file.
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(input).absolutePath() + u'/'));
    document.setMarkdown(markdown);

    QPainter painter(&writer);
    const QRectF page = writer.pageLayout().paintRectPixels(Resolution);
    const QSizeF pageSize(page.width(), page.height());
    // The document is laid out at the writer's resolution so that points stay points.
    document.documentLayout()->setPaintDevice(&writer);
    document.setPageSize(pageSize);

    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0) {
            writer.newPage();
        }
        painter.save();
        painter.translate(0, -i * pageSize.height());
        document.drawContents(&painter, QRectF(0, i * pageSize.height(), pageSize.width(),
                                               pageSize.height()));
        painter.restore();
        printPageNumber(painter, page, i + 1, body);
    }
    painter.end();
    std::printf("%d pages\n", pages);
    return pages > 0 ? 0 : 1;
}
