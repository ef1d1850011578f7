#pragma once

#include <QList>
#include <QStringList>

#include "core/layout/PrintPage.h"

// A page that notes every text and line with the page it lands on.
class RecordingPage final : public PrintPage {
  public:
    explicit RecordingPage(int width) : width_(width) {}

    QStringList texts;        // "page x y text"
    QList<QList<int>> lines;  // page, x1, y1, x2, y2
    int fontSize = 0;         // as set before the first text

    int width() const override { return width_; }
    int pageNumber() const override { return page_; }
    void setFontSize(int points) override { fontSize = texts.isEmpty() ? points : -1; }
    void text(int x, int y, const QString& text) override {
        texts.append(QStringLiteral("%1 %2 %3 %4").arg(page_).arg(x).arg(y).arg(text));
    }
    void line(int x1, int y1, int x2, int y2) override { lines.append({page_, x1, y1, x2, y2}); }
    void newPage() override { ++page_; }

  private:
    int width_;
    int page_ = 1;
};
