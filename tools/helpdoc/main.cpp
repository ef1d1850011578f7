// Turns the help document's Markdown into the PDF that "Help" opens.
// Usage: kelvomark-helpdoc INPUT.md OUTPUT.pdf [IMAGES]
// A picture written "images/NAME.png" in the Markdown is read from the folder IMAGES (default:
// the "images" folder beside the Markdown), so that pictures made at build time are found in
// the build tree. A picture that cannot be read fails the run.

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>
#include <cstdio>
#include <functional>

namespace {

constexpr int Resolution = 300;  // dots per inch of the PDF's layout
constexpr qreal ScreenDpi = 96;  // a picture's size in the document counts pixels of a screen
constexpr qreal ImageDpi = 120;  // a picture's pixel on the page: a little smaller than there

class HelpDocument : public QTextDocument {
  public:
    HelpDocument(QString markdownDir, QString imagesDir)
        : markdownDir_(std::move(markdownDir)), imagesDir_(std::move(imagesDir)) {}

    QStringList missing;

  protected:
    QVariant loadResource(int type, const QUrl& name) override {
        if (type != QTextDocument::ImageResource) {
            return QTextDocument::loadResource(type, name);
        }
        const QString path = name.path();
        const QString prefix = QStringLiteral("images/");
        const QString file = path.startsWith(prefix)
                                 ? QDir(imagesDir_).filePath(path.mid(prefix.size()))
                                 : QDir(markdownDir_).filePath(path);
        QImage image(file);
        if (image.isNull()) {
            if (!missing.contains(file)) {
                missing.append(file);
            }
            return {};
        }
        return image;
    }

  private:
    QString markdownDir_;
    QString imagesDir_;
};

// Pictures are shown a little smaller than on the screen, and no wider than the text.
void sizeImages(HelpDocument& document, qreal textWidthDevice) {
    const qreal maxWidth = textWidthDevice * ScreenDpi / Resolution;
    struct Found {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Found> images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.charFormat().isImageFormat()) {
                images.append({fragment.position(), fragment.length(),
                               fragment.charFormat().toImageFormat()});
            }
        }
    }
    for (Found& found : images) {
        const QImage image =
            document.resource(QTextDocument::ImageResource, QUrl(found.format.name()))
                .value<QImage>();
        if (image.isNull()) {
            continue;
        }
        const qreal width = qMin(maxWidth, image.width() * ScreenDpi / ImageDpi);
        found.format.setWidth(width);
        found.format.setHeight(width * image.height() / image.width());
        QTextCursor cursor(&document);
        cursor.setPosition(found.position);
        cursor.setPosition(found.position + found.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(found.format);
    }
}

// Thin single rules and some room in the cells, instead of the default double lines.
void styleTables(QTextDocument& document) {
    QList<QTextTable*> tables;
    const std::function<void(QTextFrame*)> collect = [&](QTextFrame* frame) {
        for (QTextFrame* child : frame->childFrames()) {
            if (auto* table = qobject_cast<QTextTable*>(child)) {
                tables.append(table);
            }
            collect(child);
        }
    };
    collect(document.rootFrame());
    for (QTextTable* table : tables) {
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setBorder(1);
        format.setBorderBrush(QColor(0x9a, 0xa8, 0xb6));
        format.setCellSpacing(0);
        format.setCellPadding(3);
        table->setFormat(format);
        for (int col = 0; col < table->columns(); ++col) {
            QTextTableCell cell = table->cellAt(0, col);
            QTextCharFormat header = cell.format();
            header.setBackground(QColor(0xe4, 0xea, 0xf0));
            cell.setFormat(header);
        }
    }
}

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
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: kelvomark-helpdoc INPUT.md OUTPUT.pdf [IMAGES]\n");
        return 2;
    }
    QFile input(QString::fromLocal8Bit(argv[1]));
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kelvomark-helpdoc: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString markdown = QString::fromUtf8(input.readAll());
    const QString markdownDir = QFileInfo(input).absolutePath();
    const QString imagesDir = argc == 4 ? QString::fromLocal8Bit(argv[3])
                                        : QDir(markdownDir).filePath(QStringLiteral("images"));

    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setResolution(Resolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 22), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Kelvomark User Manual"));
    writer.setCreator(QStringLiteral("Kelvomark"));

    HelpDocument document(markdownDir, imagesDir);
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPointSizeF(10);
    document.setDefaultFont(body);
    document.setDefaultStyleSheet(
        QStringLiteral("h1 { color: #1f3b57; } h2 { color: #1f3b57; } h3 { color: #2d5275; }"
                       "code { font-family: 'DejaVu Sans Mono'; }"));
    document.setMarkdown(markdown);

    const QRectF page = writer.pageLayout().paintRectPixels(Resolution);
    const QSizeF pageSize(page.width(), page.height());
    // The document is laid out at the writer's resolution so that points stay points.
    document.documentLayout()->setPaintDevice(&writer);
    // Before the first layout: a change made after it is laid out again only in part.
    sizeImages(document, pageSize.width() - 2 * document.documentMargin());
    styleTables(document);
    document.setPageSize(pageSize);

    const int pages = document.pageCount();
    if (!document.missing.isEmpty()) {
        for (const QString& file : document.missing) {
            std::fprintf(stderr, "kelvomark-helpdoc: no picture %s\n", qPrintable(file));
        }
        return 1;
    }
    QPainter painter(&writer);
    for (int i = 0; i < pages; ++i) {
        if (i > 0) {
            writer.newPage();
        }
        painter.save();
        painter.translate(0, -i * pageSize.height());
        document.drawContents(
            &painter, QRectF(0, i * pageSize.height(), pageSize.width(), pageSize.height()));
        painter.restore();
        printPageNumber(painter, page, i + 1, body);
    }
    painter.end();
    std::printf("%d pages\n", pages);
    return pages > 0 ? 0 : 1;
}
