#include <time.h>

#include <QProcess>
#include <QTest>

#include "platform/Clock.h"
#include "tst_platform.h"

namespace {

qint64 NowMs(clockid_t id) {
    timespec t{};
    clock_gettime(id, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

}  // namespace

void TestClock::countsSuspendedTime() {
    // Inside a time namespace whose boot clock is a day ahead of the monotonic clock, the
    // machine has, to the process, been suspended for a day.
    constexpr qint64 SleptMs = 86400 * 1000;
    const QStringList inNamespace{QStringLiteral("--time"), QStringLiteral("--boottime"),
                                  QString::number(SleptMs / 1000),
                                  QStringLiteral(KELVO_CLOCK_PROBE)};
    QByteArray output;
    QString why;
    // As root, or else as root of a user namespace of our own.
    for (const QStringList& as : {QStringList{}, QStringList{QStringLiteral("--user"),
                                                             QStringLiteral("--map-root-user")}}) {
        QProcess probe;
        probe.start(QStringLiteral("unshare"), as + inNamespace);
        if (probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0) {
            output = probe.readAllStandardOutput();
            break;
        }
        why = probe.errorString() + u' ' + QString::fromLocal8Bit(probe.readAllStandardError());
    }
    if (output.isEmpty()) {
        QSKIP(qPrintable(QStringLiteral("no time namespace here: ") + why));
    }
    const qint64 monotonic = NowMs(CLOCK_MONOTONIC);
    // What this machine has really slept since it booted.
    const qint64 slept = NowMs(CLOCK_BOOTTIME) - monotonic;
    bool ok = false;
    const qint64 probed = output.trimmed().toLongLong(&ok);
    QVERIFY2(ok, output.constData());
    // Ahead of the monotonic clock by the sleep, give or take the moments between the readings.
    const qint64 ahead = probed - monotonic;
    QVERIFY2(ahead > SleptMs + slept - 60000 && ahead < SleptMs + slept + 60000,
             qPrintable(QString::number(ahead)));
}
