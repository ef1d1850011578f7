#include "SortSession.h"

#include <algorithm>
#include <cmath>

namespace {

// Hold noise as a share of the value, either way: the last digit flickers.
constexpr double OhmNoise = 0.002;
constexpr double VoltNoise = 0.0004;
// A bounce reading lies at least this far from the cell and from the bounce before it.
constexpr double BounceShare = 0.05;
constexpr double BounceCounts = 5;
// Bounces stay this far below full scale, so that they show as numbers, not "OL".
constexpr double BounceHeadroom = 0.97;
// Separate streams for the cells and the noise, so that one seed gives the same cells whatever
// the timing.
constexpr quint32 NoiseSeed = 0x50e7u;

double Uniform(QRandomGenerator& random, double low, double high) {
    return low + (high - low) * random.generateDouble();
}

}  // namespace

SortSession::SortSession(QVector<SimCell> cells, int cellCount, Timing timing, OpenShows open,
                         quint32 seed)
    : cells_(std::move(cells)),
      cellCount_(cellCount == 0 && !cells_.isEmpty() ? int(cells_.size()) : cellCount),
      timing_(timing),
      openShows_(open),
      cellRandom_(seed),
      noise_(seed ^ NoiseSeed) {
    timing_.openReadings = std::max(1, timing_.openReadings);
    timing_.bounceReadings = std::max(0, timing_.bounceReadings);
    timing_.holdReadings = std::max(1, timing_.holdReadings);
    cell_ = cellAt(0);
    ranges_ = RangeStatus(cell_);
    phase_ = Phase::Open;
    left_ = timing_.openReadings;
}

quint8 SortSession::RangeStatus(const SimCell& cell) {
    // The smallest range that holds the value with the hold's noise: 40 mOhm, 400 mOhm, 4 Ohm,
    // 40 Ohm (codes 3, 2, 1, 0); 4 V, else 40 V.
    int code = 3;
    while (code > 0 && cell.milliOhm >= LiveReading::OhmFullScale(quint8(code)) * 0.9875) {
        --code;
    }
    const bool volt40 = std::abs(cell.volt) >= 3.99;
    return quint8(code | (volt40 ? LiveReading::Volt40Bit : 0));
}

SimCell SortSession::RandomCell(QRandomGenerator& random) {
    SimCell cell;
    // Rounded as a list would give them: 0.1 mOhm, 1 mV.
    cell.milliOhm = std::round(Uniform(random, 20.0, 90.0) * 10.0) / 10.0;
    cell.volt = std::round(Uniform(random, 3.0, 4.2) * 1000.0) / 1000.0;
    return cell;
}

SimCell SortSession::cellAt(int touch) {
    if (cells_.isEmpty()) {
        return RandomCell(cellRandom_);
    }
    return cells_.at(touch % cells_.size());
}

void SortSession::enter(Phase phase) {
    phase_ = phase;
    first_ = true;
    switch (phase) {
        case Phase::Open:
            left_ = timing_.openReadings;
            ++touch_;
            if (cellCount_ > 0 && touch_ >= cellCount_) {
                finished_ = true;
            } else {
                cell_ = cellAt(touch_);
            }
            break;
        case Phase::Bounce:
            left_ = timing_.bounceReadings;
            ranges_ = RangeStatus(cell_);
            lastBounce_ = -1;
            break;
        case Phase::Hold:
            left_ = timing_.holdReadings;
            ranges_ = RangeStatus(cell_);
            break;
    }
}

SortSession::Step SortSession::next() {
    while (left_ == 0 && !finished_) {
        switch (phase_) {
            case Phase::Open:
                enter(Phase::Bounce);
                break;
            case Phase::Bounce:
                enter(Phase::Hold);
                break;
            case Phase::Hold:
                enter(Phase::Open);
                break;
        }
    }
    if (left_ > 0) {
        --left_;
    }
    Step step;
    step.phase = phase_;
    step.touch = touch_;
    step.first = first_;
    step.finished = finished_;
    first_ = false;
    switch (phase_) {
        case Phase::Open:
            step.sample = openSample();
            break;
        case Phase::Bounce:
            step.sample = bounceSample();
            break;
        case Phase::Hold:
            step.sample = holdSample();
            break;
    }
    last_ = step;
    return step;
}

LiveReading::Sample SortSession::openSample() const {
    const bool dashes =
        openShows_ == OpenShows::NoReading || (openShows_ == OpenShows::Mixed && touch_ % 2 == 1);
    LiveReading::Sample s;
    s.status = quint8(ranges_ | (dashes ? LiveReading::NoReadingBit : LiveReading::OhmOverloadBit));
    return s;
}

LiveReading::Sample SortSession::bounceSample() {
    const double r = cell_.milliOhm;
    const double step = std::max(r * BounceShare, BounceCounts * LiveReading::OhmCount(ranges_));
    const double ceiling = LiveReading::OhmFullScale(ranges_) * BounceHeadroom;
    const auto fits = [&](double x) {
        return x >= 0 && x <= ceiling && std::abs(x - r) >= step &&
               (lastBounce_ < 0 || std::abs(x - lastBounce_) >= step);
    };
    // A loose contact: anywhere from one to ten steps either side of the cell.
    double x = -1;
    for (int tries = 0; tries < 32 && !fits(x); ++tries) {
        const double away = Uniform(noise_, 1.0, 10.0) * step;
        x = noise_.bounded(2) == 0 ? r + away : r - away;
    }
    if (!fits(x)) {
        // Hemmed in by zero and full scale: two steps from the cell, the other side from last.
        x = (lastBounce_ > r || r + 2 * step > ceiling) && r - 2 * step >= 0 ? r - 2 * step
                                                                             : r + 2 * step;
    }
    lastBounce_ = x;
    const double v = cell_.volt * Uniform(noise_, 0.7, 0.99);
    LiveReading::Sample s = LiveReading::InRange(x, v, ranges_);
    if (v < 0) {
        s.status |= LiveReading::NegativeBit;
    }
    return s;
}

LiveReading::Sample SortSession::holdSample() {
    const double r = cell_.milliOhm * (1.0 + Uniform(noise_, -OhmNoise, OhmNoise));
    const double v = cell_.volt * (1.0 + Uniform(noise_, -VoltNoise, VoltNoise));
    LiveReading::Sample s = LiveReading::InRange(r, v, ranges_);
    if (v < 0) {
        s.status |= LiveReading::NegativeBit;
    }
    return s;
}
