// Loaded into the real program with LD_PRELOAD by the start-up benchmark, and nowhere else: when
// the port dialog first paints, writes the monotonic clock in nanoseconds to stdout and ends
// the process. The program itself is not changed in any way.
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace {

class PortShown : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            watched->objectName() == QLatin1String("Port")) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            _exit(0);
        }
        return false;
    }
};

void Install() {
    QCoreApplication::instance()->installEventFilter(new PortShown(QCoreApplication::instance()));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
