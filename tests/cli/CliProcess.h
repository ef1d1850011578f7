#pragma once

#include <signal.h>

#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>
#include <functional>

// The real kelvomark-cli as a child process, as a person or a script runs it: no display
// (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset), COM 1 standing for `device` when given,
// and every other COM number for nothing, so that the machine's own ports stay out. Waits are
// driven by the child's output and its end.
class CliProcess {
  public:
    static QString Binary() { return QStringLiteral(KELVOMARK_CLI); }

    explicit CliProcess(const QStringList& arguments, const QString& device = QString(),
                        const QProcessEnvironment& extra = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        for (int n = 1; n <= 16; ++n) {
            environment.insert(QStringLiteral("KELVOMARK_COM%1").arg(n),
                               n == 1 && !device.isEmpty()
                                   ? device
                                   : QStringLiteral("/nonexistent/kelvomark-com%1").arg(n));
        }
        for (const QString& key : extra.keys()) {
            environment.insert(key, extra.value(key));
        }
        process_.setProcessEnvironment(environment);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                         [this] { out_ += process_.readAllStandardOutput(); });
        QObject::connect(&process_, &QProcess::readyReadStandardError, &process_,
                         [this] { err_ += QString::fromUtf8(process_.readAllStandardError()); });
        process_.start(Binary(), arguments);
    }

    ~CliProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Waits until `done` holds or the child ends; false on timeout.
    bool waitFor(const std::function<bool()>& done, int timeoutMs) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit,
                         Qt::QueuedConnection);
        QObject::connect(&process_, &QProcess::readyReadStandardError, &loop, &QEventLoop::quit,
                         Qt::QueuedConnection);
        QObject::connect(&process_, &QProcess::finished, &loop, &QEventLoop::quit,
                         Qt::QueuedConnection);
        // What the child writes to files says nothing on its pipes: look again now and then.
        QTimer again;
        QObject::connect(&again, &QTimer::timeout, &loop, &QEventLoop::quit);
        again.start(100);
        timeout.start(timeoutMs);
        while (!done() && timeout.isActive() && process_.state() != QProcess::NotRunning) {
            loop.exec();
        }
        return done();
    }

    // Waits for the end; the exit status, or -1 when it did not end in time or crashed.
    int finish(int timeoutMs = 30000) {
        waitFor([] { return false; }, timeoutMs);
        if (process_.state() != QProcess::NotRunning) {
            return -1;
        }
        out_ += process_.readAllStandardOutput();
        err_ += QString::fromUtf8(process_.readAllStandardError());
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    void signal(int number) { ::kill(pid_t(process_.processId()), number); }
    bool running() const { return process_.state() != QProcess::NotRunning; }

    const QByteArray& out() const { return out_; }
    const QString& err() const { return err_; }
    QStringList outLines() const {
        return QString::fromUtf8(out_).split(u'\n', Qt::SkipEmptyParts);
    }

  private:
    QProcess process_;
    QByteArray out_;
    QString err_;
};
