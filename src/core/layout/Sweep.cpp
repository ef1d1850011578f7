#include "core/layout/Sweep.h"

#include <cmath>

#include "platform/TextRules.h"

void Sweep::restart(float step) {
    prevPointX_ = 0;
    traceX_ = -step;
}

float Sweep::advance(float step, float plotWidth) {
    traceX_ = traceX_ + step;
    if (traceX_ >= plotWidth) {
        traceX_ = 0;
    }
    return traceX_;
}

std::optional<QLineF> Sweep::plot(float originX, float pointY) {
    std::optional<QLineF> segment;
    if (prevPointX_ != 0 && traceX_ != 0) {
        segment = QLineF(prevPointX_, prevPointY_, originX + traceX_, pointY);
    }
    prevPointX_ = originX + traceX_;
    prevPointY_ = pointY;
    return segment;
}

Sweep::Mark Sweep::markAt(float traceX) {
    const double k = TextRules::RoundHalfEven(traceX);
    if (!std::isfinite(k)) {
        return Mark::None;
    }
    if (std::fmod(k, 60.0) == 0) {
        return Mark::TimeLine;
    }
    if (std::fmod(k, 30.0) == 0) {
        return Mark::HalfMark;
    }
    return Mark::None;
}
