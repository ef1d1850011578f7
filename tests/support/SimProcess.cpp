#include "SimProcess.h"

#include <signal.h>

#include <QCoreApplication>
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
    QTimer timeout;
    timeout.setSingleShot(true);
    timeout.start(timeoutMs);
    // Each pass sleeps until an event comes: the process's output or end, or the timeout. Not a
    // QEventLoop: once a test has had the program call QCoreApplication::exit(), as a port that
    // does not open does, every QEventLoop::exec() returns at once, and the wait would spin.
    while (!done() && timeout.isActive() && process_.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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
