#include "cli/SignalNotifier.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};

// The write end, for the handler; -1 while no notifier lives.
volatile sig_atomic_t WriteFd = -1;

void onSignal(int signal) {
    const int saved = errno;
    const char byte = char(signal);
    if (WriteFd >= 0) {
        // Non-blocking: with the pair full, signals enough are already waiting to be read.
        [[maybe_unused]] const ssize_t n = ::write(WriteFd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

SignalNotifier::SignalNotifier(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0) {
        fds_[0] = fds_[1] = -1;
        return;
    }
    WriteFd = fds_[1];
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalNotifier::onReadable);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : Signals) {
        ::sigaction(signal, &action, nullptr);
    }
}

SignalNotifier::~SignalNotifier() {
    for (const int signal : Signals) {
        std::signal(signal, SIG_DFL);
    }
    WriteFd = -1;
    for (int& fd : fds_) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void SignalNotifier::onReadable() {
    char bytes[16];
    ssize_t n = 0;
    while ((n = ::read(fds_[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            Q_EMIT caught(int(bytes[i]));
        }
    }
}
