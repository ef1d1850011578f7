#pragma once

#include <time.h>

#include <QDateTime>

// The wall clock for stamps and a monotonic clock for every elapsed time, behind one interface
// so that tests can jump time.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Milliseconds on a clock that never jumps (midnight, summer time, a clock change) and goes
    // on while the machine is suspended, so that a sleep shows as a gap in the stamps instead
    // of putting every later stamp behind by its length.
    virtual qint64 monotonicMs() const = 0;
};

class SystemClock final : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    // Since boot, suspended time included (QElapsedTimer's monotonic clock stops in a suspend).
    qint64 monotonicMs() const override {
        timespec t{};
        clock_gettime(CLOCK_BOOTTIME, &t);
        return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
    }
};

// A clock that moves only when told to; for tests and for pictures made offscreen.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2021, 7, 1), QTime(10, 20, 30)))
        : now_(start) {}
    QDateTime now() const override { return now_; }
    qint64 monotonicMs() const override { return monotonic_; }
    void advanceMs(qint64 ms) {
        monotonic_ += ms;
        now_ = now_.addMSecs(ms);
    }
    void setNow(const QDateTime& time) { now_ = time; }

  private:
    QDateTime now_;
    qint64 monotonic_ = 0;
};
