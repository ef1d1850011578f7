#include "DumpSender.h"

#include <algorithm>
#include <limits>

#include "PtyDevice.h"

namespace {

// Never keep more than this waiting in our own queue: the rest stays due until the pty
// takes it, and an endless answer does not grow without bound.
constexpr qint64 QueueLimit = 4096;

}  // namespace

DumpSender::DumpSender(PtyDevice& pty, QObject* parent) : QObject(parent), pty_(pty) {
    tick_.setTimerType(Qt::PreciseTimer);
    connect(&tick_, &QTimer::timeout, this, &DumpSender::pump);
    connect(&pty_, &PtyDevice::drained, this, &DumpSender::pump);
}

void DumpSender::start(const QByteArray& bytes, qint64 byteUs, qint64 limit, bool endless,
                       const QByteArray& tail) {
    bytes_ = bytes;
    tail_ = tail.isEmpty() ? QByteArray(1, '\0') : tail;
    endless_ = endless;
    total_ = endless ? std::numeric_limits<qint64>::max()
                     : (limit >= 0 ? std::min<qint64>(limit, bytes.size()) : bytes.size());
    sent_ = 0;
    byteNs_ = byteUs * 1000;
    sending_ = true;
    clock_.start();
    // At 9600 baud a tick every 10 ms hands over about ten bytes; slower paces tick per byte.
    tick_.start(int(std::clamp<qint64>(byteUs / 1000, 10, 1000)));
    pump();
}

void DumpSender::abort() {
    tick_.stop();
    sending_ = false;
}

QByteArray DumpSender::bytesAt(qint64 from, qint64 count) const {
    QByteArray out;
    out.reserve(count);
    if (from < bytes_.size()) {
        const qint64 n = std::min<qint64>(count, bytes_.size() - from);
        out.append(bytes_.constData() + from, n);
        from += n;
        count -= n;
    }
    for (qint64 i = 0; i < count; ++i) {
        out.append(tail_.at((from + i - bytes_.size()) % tail_.size()));
    }
    return out;
}

void DumpSender::pump() {
    if (!sending_) {
        return;
    }
    // The first byte is due at once, byte k at k × the byte time.
    const qint64 due =
        byteNs_ == 0 ? total_ : std::min(total_, clock_.nsecsElapsed() / byteNs_ + 1);
    while (sent_ < due && pty_.backlog() < QueueLimit && pty_.hasListener()) {
        const qint64 n = std::min(due - sent_, QueueLimit);
        pty_.write(bytesAt(sent_, n));
        sent_ += n;
    }
    if (sent_ >= total_ && pty_.backlog() == 0) {
        abort();
        Q_EMIT finished();
    }
}
