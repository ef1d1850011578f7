#pragma once

#include <QObject>
#include <QTimer>

class Clock;

// Timer2, the sampling tick's clock: one tick a second on whole seconds counted on the
// monotonic clock from an origin (the main window's load). Each tick arms a single-shot timer
// for the time left to the next whole second, so timer error never adds up over a long
// recording.
class SecondTicker : public QObject {
    Q_OBJECT

  public:
    static constexpr qint64 PeriodMs = 1000;

    explicit SecondTicker(Clock& clock, QObject* parent = nullptr);

    void start(qint64 originMs);
    void stop();
    bool isActive() const { return active_; }

    // The first whole second after `nowMs`, counted from `originMs` (at least one period on).
    static qint64 nextTickAt(qint64 originMs, qint64 nowMs);

  Q_SIGNALS:
    void tick();

  private:
    void onTimeout();
    void arm(qint64 nowMs);

    Clock& clock_;
    QTimer timer_;
    qint64 origin_ = 0;
    qint64 due_ = 0;
    bool active_ = false;
};
