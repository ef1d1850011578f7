#pragma once

#include <QWidget>
#include <optional>

#include "core/cells/Verdict.h"

class QLabel;
class QPushButton;
class SegmentLabel;

// The picture of the meter's front: the body, the display with the two readings and their
// units, the PASS, WARN, FAIL and REL marks, and the meter's keys. Everything but the readings,
// the "m" and, while cells are being sorted, the verdict marks is decoration that the program
// never changes.
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
    // Lights the mark of a verdict (the others stay faint); null: all three faint, as printed.
    void showVerdict(std::optional<Verdict> verdict);
    std::optional<Verdict> shownVerdict() const { return verdict_; }

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
    QLabel* marks_[3];  // PASS, WARN, FAIL, in the order of Verdict
    std::optional<Verdict> verdict_;
};
