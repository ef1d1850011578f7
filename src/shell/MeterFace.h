#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class SegmentLabel;

// The picture of the meter's front: the body, the display with the two readings and their
// units, the PASS, WARN, FAIL and REL marks, and the meter's keys. Everything but the readings
// and the "m" is decoration that the program never changes.
class MeterFace : public QWidget {
    Q_OBJECT

  public:
    explicit MeterFace(QWidget* parent = nullptr);

    QLabel* valOhm() const;
    QLabel* valVoltage() const;
    QLabel* lblMOhm() const { return lblMOhm_; }
    // While no data comes from the meter the readings shown are old: their digits fade and
    // their accessible description says so; the next reading brings them back.
    void setReadingStale(bool stale);
    bool isReadingStale() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Draws the body and the display glass; the labels and keys draw themselves on top.
    void render(QPainter& p) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    SegmentLabel* valOhm_;
    SegmentLabel* valVoltage_;
    QLabel* lblMOhm_;
};
