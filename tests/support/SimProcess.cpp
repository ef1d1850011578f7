#include "SimProcess.h"

#include <signal.h>

#include <QEventLoop>
#include <QTimer>

QString SimProcess::Binary() {
    return qEnvironmentVariable("KELVOMARK_SIM");
}

SimProcess::SimProcess(const QStringList& arguments, int startTimeoutMs) {
    const QString binary = Binary();
    if (binary.isEmpty()) {
        error_ = QStringLiteral("KELVOMARK_SIM is not set");
        return;
    }
    process_.start(binary, arguments);
    waitUntil([&] { return process_.canReadLine(); }, startTimeoutMs);
    if (process_.canReadLine()) {
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    } else if (process_.state() == QProcess::NotRunning) {
        error_ = process_.errorString();
    } else {
        error_ =
            QStringLiteral("the simulator printed no device path in %1 ms").arg(startTimeoutMs);
    }
}

SimProcess::~SimProcess() {
    if (process_.state() != QProcess::NotRunning && !stop()) {
        process_.kill();
        waitForExit(5000);
    }
}

QString SimProcess::errorText() {
    const QString said = QString::fromLocal8Bit(process_.readAllStandardError());
    error_ += said;
    return error_;
}

bool SimProcess::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
    QObject::connect(&process_, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process_, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    while (!done() && timeout.isActive() && process_.state() != QProcess::NotRunning) {
        loop.exec();
    }
    return done();
}

bool SimProcess::waitForExit(int timeoutMs) {
    return waitUntil([&] { return process_.state() == QProcess::NotRunning; }, timeoutMs);
}

bool SimProcess::stop(int signal, int timeoutMs) {
    if (process_.state() == QProcess::NotRunning) {
        return true;
    }
    ::kill(pid_t(process_.processId()), signal);
    return waitForExit(timeoutMs);
}
