#include "SignalWatcher.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

sigset_t EndSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

void SignalWatcher::BlockSignals() {
    const sigset_t set = EndSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent) {
    const sigset_t set = EndSignals();
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalWatcher::onReadable);
}

SignalWatcher::~SignalWatcher() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void SignalWatcher::onReadable() {
    signalfd_siginfo info{};
    while (::read(fd_, &info, sizeof info) == ssize_t(sizeof info)) {
        Q_EMIT caught(int(info.ssi_signo));
    }
}
