#pragma once

#include <QtGlobal>
#include <functional>

class Clock;

// A progress count shown at most about ten times a second (a caption repainted for every line
// of a 70,000-line file would cost more than the work), with the final count always shown.
class Progress {
  public:
    static constexpr qint64 IntervalMs = 100;

    Progress(const Clock& clock, std::function<void(qint64)> show)
        : clock_(clock), show_(std::move(show)) {}

    void update(qint64 count);
    // Shows the final count, whenever the last one was shown.
    void finish(qint64 count);

  private:
    const Clock& clock_;
    std::function<void(qint64)> show_;
    qint64 lastShownMs_ = 0;
    bool shown_ = false;
};
