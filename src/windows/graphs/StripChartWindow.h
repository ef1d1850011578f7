#pragma once

#include <QFont>
#include <QImage>
#include <QTimer>
#include <QVector>

#include "core/layout/StripChartDesign.h"
#include "core/layout/StripChartLayout.h"
#include "core/layout/Sweep.h"
#include "windows/common/AppWindow.h"

class Canvas;
class QPainter;
class QToolBar;

// A live strip chart: every tick of Timer1 erases a narrow strip at the sweep position, redraws
// the grid lines across the plot and draws one segment of the reading, like a sweeping
// oscilloscope. Nothing is stored but the pixels of the retained image; a resize clears it and
// restarts the sweep.
class StripChartWindow : public AppWindow {
    Q_OBJECT

  public:
    StripChartWindow(App& app, const StripChartDesign& design);

    const StripChartDesign& design() const { return design_; }
    // The opener sets the interval to the receive tick's and starts it.
    QTimer& timer1() { return timer1_; }
    QToolBar* toolbar() const { return toolbar_; }
    const QImage& image() const;
    const StripChartLayout& chartLayout() const { return layout_; }
    const Sweep& sweep() const { return sweep_; }
    // The last time label printed, "hh:mm:ss".
    const QString& timeLabel() const { return TimeLabel; }

    // One point of the newest reading.
    void tick();

    static constexpr int TwipsPerPixel = 15;
    // Beyond this the image would not fit in memory.
    static constexpr int MaxPixels = 8192;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void onUnload() override;

  private:
    void relayout();
    // The lines every tick lays across the whole plot width, after a relayout.
    void makeTickLines();
    QRect drawTimeLabel(QPainter& painter, float traceX);
    // The painted chart in words for a screen reader: its scale and the latest reading.
    void describe();
    void showLimit();
    void print();

    const StripChartDesign& design_;
    Canvas* canvas_;
    QToolBar* toolbar_;
    QTimer timer1_;
    QFont font_;
    StripChartLayout layout_;
    Sweep sweep_;
    struct TickLine {
        QPoint at;   // the line's left end
        QImage row;  // its pixels; transparent between the dots
    };
    QVector<TickLine> tickLines_;
    bool linesShown_ = false;  // the whole lines have been repainted since the relayout
    QRect drawnOver_;          // what the last tick drew over the lines
    QString TimeLabel;
};
