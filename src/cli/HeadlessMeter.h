#pragma once

#include <QObject>
#include <memory>

#include "app/State.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"

class LoggerDownload;
class Receiver;
class Sampler;
class SecondTicker;
struct PortSpec;

// The meter's core objects with no window: the shared state, the link (Comm1), the receive tick
// (Timer1), the sampling tick (Timer2) with the sampler, and the logger download, wired as the
// main window and the data-logger window wire them. The command line builds them here and
// nowhere else.
class HeadlessMeter : public QObject {
    Q_OBJECT

  public:
    explicit HeadlessMeter(QObject* parent = nullptr);
    ~HeadlessMeter() override;

    Meter meter;
    FileTransfer transfer;
    Rs232 rs232;
    PanelState panel;

    Clock& clock() { return clock_; }
    SerialLink& link() { return *link_; }
    Receiver& receiver() { return *receiver_; }
    Sampler& sampler() { return *sampler_; }
    SecondTicker& ticker() { return *ticker_; }

    // Opens the port: a COM number through the COM map, or a device path.
    SerialLink::OpenResult open(const PortSpec& port);
    // What the main window's load does once the port is open: the state as at start-up, the
    // stamp of this moment, and both ticks on.
    void startTicks();

    // The data logger's download on the open port: Timer1 is off while it runs and on again when
    // it ends, on every way out. Null while one runs.
    LoggerDownload* startDownload();

  private:
    SystemClock clock_;
    std::unique_ptr<SerialLink> link_;
    std::unique_ptr<Receiver> receiver_;
    std::unique_ptr<Sampler> sampler_;
    std::unique_ptr<SecondTicker> ticker_;
    LoggerDownload* download_ = nullptr;
};
