#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

// The meter simulator (the binary named by the environment variable KELVOMARK_SIM) as a child
// process. The constructor starts it with `arguments` and waits, driven by its output, until
// it has printed its device path; path() is empty when it did not start (see errorText()).
// The destructor ends it with SIGTERM and waits for it.
class SimProcess {
  public:
    explicit SimProcess(const QStringList& arguments = {}, int startTimeoutMs = 10000);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool isReady() const { return !path_.isEmpty(); }
    // The slave device of its pseudo-terminal, to open as the serial port.
    QString path() const { return path_; }
    // Why it did not start, or what it said on stderr.
    QString errorText();
    QProcess& process() { return process_; }

    // Waits for it to end by itself; false on timeout.
    bool waitForExit(int timeoutMs);
    // Sends SIGTERM (or another signal) and waits for the end; false on timeout.
    bool stop(int signal = 15, int timeoutMs = 5000);

    static QString Binary();

  private:
    // Runs a local event loop until `done` or the timeout; wakes on the process's output and end.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);

    QProcess process_;
    QString path_;
    QString error_;
};
