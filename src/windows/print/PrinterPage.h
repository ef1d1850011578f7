#pragma once

#include <QLine>
#include <QVector>

#include "core/layout/PrintPage.h"

class PrintDocument;

// The page of a real print run, in twips from the paper's top left corner. The printer must be in
// full-page mode and the document begun.
class PrinterPage final : public PrintPage {
  public:
    explicit PrinterPage(PrintDocument& document);

    int width() const override { return width_; }
    int pageNumber() const override { return page_; }
    void setFontSize(int points) override;
    void text(int x, int y, const QString& text) override;
    // Kept, and drawn with the other rules of the page when the page is done.
    void line(int x1, int y1, int x2, int y2) override;
    void newPage() override;
    // Draws the rules of the last page; before the document ends.
    void finish();

  private:
    void drawRules();

    PrintDocument& document_;
    QVector<QLine> rules_;
    int width_ = 0;
    int page_ = 1;
    double ascent_ = 0;  // twips from the top of a text line to its baseline
};
