#pragma once

#include "core/Session.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"

class LoggerDownload;
struct PortSpec;

namespace detail {
// Built before the session that runs on it.
struct OwnSystemClock {
    SystemClock systemClock;
};
}  // namespace detail

// The core's session on the system clock, with no window: the command line's meter. It opens
// the port by COM number or by path and runs the logger download as the data-logger window does.
class HeadlessMeter : private detail::OwnSystemClock, public Session {
  public:
    explicit HeadlessMeter(QObject* parent = nullptr);
    ~HeadlessMeter() override;

    // Opens the port: a COM number through the COM map, or a device path.
    SerialLink::OpenResult open(const PortSpec& port);

    // The data logger's download on the open port: Timer1 is off while it runs and on again when
    // it ends, on every way out. Null while one runs.
    LoggerDownload* startDownload();

  private:
    LoggerDownload* download_ = nullptr;
};
