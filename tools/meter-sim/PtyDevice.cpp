#include "PtyDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstdlib>
#include <cstring>

PtyDevice::PtyDevice(QObject* parent) : QObject(parent) {
    watch_.setInterval(100);
    connect(&watch_, &QTimer::timeout, this, &PtyDevice::checkListener);
}

PtyDevice::~PtyDevice() {
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool PtyDevice::open(QString* error) {
    const auto fail = [&](const char* what) {
        *error = QStringLiteral("%1: %2").arg(QLatin1StringView(what),
                                              QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) {
        return fail("posix_openpt");
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        return fail("grantpt/unlockpt");
    }
    path_ = QString::fromLocal8Bit(ptsname(master_));
    // Raw on the slave side (a pty applies the master's terminal settings to its slave), so
    // that the bytes pass unchanged even before the program sets the line up.
    termios tio{};
    if (tcgetattr(master_, &tio) != 0) {
        return fail("tcgetattr");
    }
    cfmakeraw(&tio);
    if (tcsetattr(master_, TCSANOW, &tio) != 0) {
        return fail("tcsetattr");
    }
    // Open and close the slave once: a pty that was never opened cannot tell that nobody
    // listens, one that was opened and closed reports the hang-up.
    const int slave = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0) {
        return fail("open slave");
    }
    ::close(slave);

    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    readNotifier_->setEnabled(false);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PtyDevice::onReadable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PtyDevice::onWritable);
    checkListener();
    return true;
}

void PtyDevice::checkListener() {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) {
        return;
    }
    if (p.revents & POLLHUP) {
        watch_.start();
        return;
    }
    watch_.stop();
    listener_ = true;
    readNotifier_->setEnabled(true);
    Q_EMIT listenerChanged(true);
    // Bytes the program wrote before we noticed it.
    onReadable();
}

void PtyDevice::loseListener() {
    if (!listener_) {
        return;
    }
    listener_ = false;
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    backlog_.clear();
    watch_.start();
    Q_EMIT listenerChanged(false);
}

void PtyDevice::onReadable() {
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        const bool hungUp = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        if (!bytes.isEmpty()) {
            Q_EMIT received(bytes);
        }
        if (hungUp) {
            loseListener();
        }
        return;
    }
}

void PtyDevice::write(const QByteArray& bytes) {
    if (!listener_ || bytes.isEmpty()) {
        return;
    }
    backlog_.append(bytes);
    if (!writeNotifier_->isEnabled()) {
        flush();
    }
}

void PtyDevice::flush() {
    while (!backlog_.isEmpty()) {
        const ssize_t n = ::write(master_, backlog_.constData(), size_t(backlog_.size()));
        if (n > 0) {
            backlog_.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The pty is full until the program reads.
            writeNotifier_->setEnabled(true);
            return;
        }
        loseListener();
        return;
    }
    writeNotifier_->setEnabled(false);
}

void PtyDevice::onWritable() {
    flush();
    if (backlog_.isEmpty() && listener_) {
        Q_EMIT drained();
    }
}
