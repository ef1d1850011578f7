#include "core/meter/SecondTicker.h"

#include "platform/Clock.h"

SecondTicker::SecondTicker(Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SecondTicker::onTimeout);
}

qint64 SecondTicker::nextTickAt(qint64 originMs, qint64 nowMs) {
    if (nowMs < originMs) {
        return originMs + PeriodMs;
    }
    return originMs + ((nowMs - originMs) / PeriodMs + 1) * PeriodMs;
}

void SecondTicker::start(qint64 originMs) {
    origin_ = originMs;
    active_ = true;
    due_ = nextTickAt(origin_, clock_.monotonicMs());
    arm(clock_.monotonicMs());
}

void SecondTicker::stop() {
    active_ = false;
    timer_.stop();
}

void SecondTicker::arm(qint64 nowMs) {
    timer_.start(int(qMax<qint64>(0, due_ - nowMs)));
}

void SecondTicker::onTimeout() {
    if (!active_) {
        return;
    }
    const qint64 now = clock_.monotonicMs();
    if (now < due_) {
        arm(now);
        return;
    }
    // Seconds missed while the machine slept are not caught up one by one: the sampler stamps
    // by the seconds elapsed since the origin.
    due_ = nextTickAt(origin_, now);
    arm(now);
    Q_EMIT tick();
}
