#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal through a signalfd, so that the simulator
// ends from its event loop and cleans up. BlockSignals() must run first, before any thread
// starts, so that no thread takes the signals the ordinary way.
class SignalWatcher : public QObject {
    Q_OBJECT
  public:
    static void BlockSignals();

    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;
    bool isValid() const { return fd_ >= 0; }

  Q_SIGNALS:
    void caught(int signal);

  private:
    void onReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
