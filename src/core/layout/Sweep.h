#pragma once

#include <QLineF>
#include <optional>

// The sweep of a live strip chart: where each tick puts its point and which segment joins it to
// the point before. Positions are single floats, as GraphStep and GraphPlotWidth are.
class Sweep {
  public:
    enum class Mark { None, TimeLine, HalfMark };

    // After a relayout: no previous point, and the next tick lands on 0.
    void restart(float step);
    // Moves TraceX on by one step; at the right edge it starts again at 0.
    float advance(float step, float plotWidth);
    // Records the point at (originX + TraceX, pointY) and gives the segment from the previous
    // point, if any. After a wrap to 0 there is none: no line joins the right edge to the left.
    std::optional<QLineF> plot(float originX, float pointY);

    float TraceX() const { return traceX_; }
    float PrevPointX() const { return prevPointX_; }
    float PrevPointY() const { return prevPointY_; }

    // A time line and label where TraceX, rounded half to even, is a multiple of 60; a half
    // mark at the other multiples of 30. The marks are spaced in pixels, not in time.
    static Mark markAt(float traceX);

  private:
    float traceX_ = 0;
    float prevPointX_ = 0;  // 0: no previous point
    float prevPointY_ = 0;
};
