#pragma once

#include <QList>

#include "print/PrintPage.h"

// A page that notes every call, on the page it lands on.
class RecordingPage final : public PrintPage {
  public:
    struct Text {
        int page;
        int x;
        int y;
        QString text;
    };
    struct Line {
        int page;
        int x1;
        int y1;
        int x2;
        int y2;
        friend bool operator==(const Line&, const Line&) = default;
    };

    explicit RecordingPage(int width) : width_(width) {}

    QList<Text> texts;
    QList<Line> lines;
    int fontSize = 0;
    bool textBeforeFont = false;

    int width() const override { return width_; }
    int pageNumber() const override { return page_; }
    void setFontSize(int points) override { fontSize = points; }
    void text(int x, int y, const QString& text) override {
        textBeforeFont = textBeforeFont || fontSize == 0;
        texts.append({page_, x, y, text});
    }
    void line(int x1, int y1, int x2, int y2) override { lines.append({page_, x1, y1, x2, y2}); }
    void newPage() override { ++page_; }

    // The page-number texts, in the order printed.
    QList<Text> pageNumbers() const {
        QList<Text> found;
        for (const Text& t : texts) {
            if (t.text.startsWith(QStringLiteral("P-"))) {
                found.append(t);
            }
        }
        return found;
    }
    // The cell texts (everything but page numbers).
    QList<Text> cells() const {
        QList<Text> found;
        for (const Text& t : texts) {
            if (!t.text.startsWith(QStringLiteral("P-"))) {
                found.append(t);
            }
        }
        return found;
    }

  private:
    int width_;
    int page_ = 1;
};
