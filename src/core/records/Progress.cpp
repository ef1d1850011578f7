#include "core/records/Progress.h"

#include "platform/Clock.h"

void Progress::update(qint64 count) {
    const qint64 now = clock_.monotonicMs();
    if (shown_ && now - lastShownMs_ < IntervalMs) {
        return;
    }
    shown_ = true;
    lastShownMs_ = now;
    if (show_) {
        show_(count);
    }
}

void Progress::finish(qint64 count) {
    shown_ = true;
    lastShownMs_ = clock_.monotonicMs();
    if (show_) {
        show_(count);
    }
}
