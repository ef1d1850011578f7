#include "core/records/Delay.h"

#include <QEventLoop>
#include <QTimer>
#include <cmath>

void Delay(double seconds) {
    if (!(seconds > 0)) {
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(int(std::lround(qMin(seconds, 86400.0) * 1000.0)));
    loop.exec();
}
