#pragma once

#include <QByteArray>
#include <QTimer>

#include "PtyPair.h"

// Plays the meter on a pseudo-terminal: writes the same bytes every period (250 ms, the meter's
// pace) until told to send something else or to fall silent.
class PtyFeeder {
  public:
    explicit PtyFeeder(PtyPair& pty, int periodMs = 250) : pty_(&pty) {
        timer_.setInterval(periodMs);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            if (!bytes_.isEmpty()) {
                pty_->write(bytes_);
            }
        });
        timer_.start();
    }

    void send(const QByteArray& bytes) { bytes_ = bytes; }
    void silence() { bytes_.clear(); }
    void moveTo(PtyPair& pty) { pty_ = &pty; }

  private:
    PtyPair* pty_;
    QByteArray bytes_;
    QTimer timer_;
};
