#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP as a Qt signal, from the event loop: the handler only writes the
// signal's number into a socket pair, whose other end a QSocketNotifier watches. So a signal
// never interrupts a line being written, and a program that ends on it ends between two events.
// The handlers are plain ones, so a child process started meanwhile gets the default ones back
// when it execs. One instance at a time.
class SignalNotifier : public QObject {
    Q_OBJECT

  public:
    explicit SignalNotifier(QObject* parent = nullptr);
    // The default handlers come back.
    ~SignalNotifier() override;

    bool isValid() const { return notifier_ != nullptr; }

  Q_SIGNALS:
    void caught(int signal);

  private:
    void onReadable();

    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};
