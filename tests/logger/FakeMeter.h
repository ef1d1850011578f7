#pragma once

#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include "PtyPair.h"

// Plays the meter on the master side of a pseudo-terminal: each request byte 0x55 is answered
// with the next scripted answer, written chunk by chunk `gapMs` apart after `delayMs`. With no
// answer left the meter stays silent.
class FakeMeter : public QObject {
    Q_OBJECT

  public:
    struct Answer {
        QByteArrayList chunks;
        int gapMs = 1;
        int delayMs = 0;  // before the first chunk
    };

    explicit FakeMeter(PtyPair& pty) : pty_(pty), notifier_(pty.masterFd(), QSocketNotifier::Read) {
        connect(&notifier_, &QSocketNotifier::activated, this, &FakeMeter::readable);
        pace_.setSingleShot(true);
        connect(&pace_, &QTimer::timeout, this, &FakeMeter::sendNext);
    }

    QList<Answer> answers;
    int requests = 0;

    // Cuts bytes into chunks of `size`.
    static QByteArrayList evenly(const QByteArray& bytes, int size) {
        QByteArrayList chunks;
        for (qsizetype at = 0; at < bytes.size(); at += size) {
            chunks.append(bytes.mid(at, size));
        }
        return chunks;
    }

  private:
    void readable() {
        const QByteArray got = pty_.readAvailable();
        for (char c : got) {
            if (quint8(c) != 0x55) {
                continue;
            }
            ++requests;
            if (!answers.isEmpty()) {
                const Answer next = answers.takeFirst();
                pending_ = next.chunks;
                gapMs_ = next.gapMs;
                pace_.start(next.delayMs);
            }
        }
    }
    void sendNext() {
        if (pending_.isEmpty()) {
            return;
        }
        pty_.write(pending_.takeFirst());
        if (!pending_.isEmpty()) {
            pace_.start(gapMs_);
        }
    }

    PtyPair& pty_;
    QSocketNotifier notifier_;
    QTimer pace_;
    QByteArrayList pending_;
    int gapMs_ = 1;
};
