#pragma once

#include <QString>

// A printer page as the list printing sees it: positions in twips (1/1440 inch) from the
// paper's top left corner, y growing downwards. The real one draws through QPrinter; tests
// record every call.
class PrintPage {
  public:
    virtual ~PrintPage() = default;

    // W: the paper width, in twips.
    virtual int width() const = 0;
    // The number of the page being drawn, from 1.
    virtual int pageNumber() const = 0;
    virtual void setFontSize(int points) = 0;
    // Text whose line starts at x and whose top is at y.
    virtual void text(int x, int y, const QString& text) = 0;
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    virtual void newPage() = 0;
};
