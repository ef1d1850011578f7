#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class PtyDevice;

// Sends one answer of the data logger at a fixed pace. Each tick hands the line every byte
// that is due since the answer began, so the average pace is exact and timer jitter does not
// add up; a full pty is waited out through the device's write notifier.
class DumpSender : public QObject {
    Q_OBJECT
  public:
    DumpSender(PtyDevice& pty, QObject* parent = nullptr);

    // Sends `bytes`, or only their first `limit` bytes when limit >= 0. With `endless`, the
    // bytes are followed by `tail` repeated without end. byteUs = 0: as fast as the pty takes.
    void start(const QByteArray& bytes, qint64 byteUs, qint64 limit = -1, bool endless = false,
               const QByteArray& tail = {});
    void abort();
    bool isSending() const { return sending_; }
    qint64 sent() const { return sent_; }

  Q_SIGNALS:
    // Every byte of the answer has gone into the pty.
    void finished();

  private:
    void pump();
    QByteArray bytesAt(qint64 from, qint64 count) const;

    PtyDevice& pty_;
    QTimer tick_;
    QElapsedTimer clock_;
    QByteArray bytes_;
    QByteArray tail_;
    qint64 total_ = 0;
    qint64 sent_ = 0;
    qint64 byteNs_ = 0;
    bool endless_ = false;
    bool sending_ = false;
};
