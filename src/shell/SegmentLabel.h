#pragma once

#include <QColor>
#include <QLabel>

// A label drawn as the meter's seven-segment display. The text stays the label's text (tests
// and screen readers read it); only digits, ".", "-", "O" and "L" have segments, which is all a
// reading ever holds. Unlit segments are drawn faintly, as on a real liquid-crystal display.
class SegmentLabel : public QLabel {
    Q_OBJECT

  public:
    // `cells`: digit places, right-aligned.
    explicit SegmentLabel(int cells, QWidget* parent = nullptr);

    void setInk(const QColor& ink) { ink_ = ink; }
    // An old reading keeps its text, drawn faded, so that no one takes it for a live one.
    void setStale(bool stale);
    bool isStale() const { return stale_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The segments (bit 0 = a, top, clockwise to f, then g, the middle) of a character; 0 for
    // one without segments.
    static int segmentsOf(QChar c);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int cells_;
    QColor ink_{30, 36, 28};
    bool stale_ = false;
};
