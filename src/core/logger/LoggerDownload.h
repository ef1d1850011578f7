#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QtGlobal>

class QSerialPort;
struct Rs232;

// Downloads the data logger over the meter's port and indexes its sets, driven by the port's
// readyRead and two timers. Each attempt drops what is waiting, sends the request byte, waits
// 0.3 s for the meter to start, then collects the answer into RxBuffer until its E bytes are in.
// An answer of 0 or 7 bytes is no answer: the request is sent again. The receive tick must be
// off while this runs: the port's bytes are ours.
class LoggerDownload : public QObject {
    Q_OBJECT

  public:
    enum class Outcome {
        Listed,       // the sets are indexed
        Empty,        // the logger holds no set
        Failed,       // a malformed answer
        Cancelled,    // the person cancelled
        Stalled,      // part of the answer came, then nothing for the stall time
        TooManySets,  // a 513th set: the first 512 are listed
        PortLost,     // the meter's device went away
    };
    Q_ENUM(Outcome)

    static constexpr int RequestWaitMs = 300;    // the meter's time to start its answer
    static constexpr int StallTimeoutMs = 5000;  // silence that ends a started answer

    LoggerDownload(QSerialPort& port, Rs232& rs232, QObject* parent = nullptr);
    // Stops without a word: no signal is sent from here.
    ~LoggerDownload() override;

    void setStallTimeoutMs(int ms) { stall_.setInterval(ms); }
    int stallTimeoutMs() const { return stall_.interval(); }

    void start();
    // Ends a running download as Cancelled.
    void cancel();
    bool isRunning() const { return phase_ != Phase::Idle; }
    int attempts() const { return attempts_; }

  Q_SIGNALS:
    // "12.5 % Completed", after each chunk received.
    void progress(const QString& text);
    // The free logger memory, "43.8K".
    void remained(const QString& text);
    // The set rows, TAB-separated; sent before a Listed, Failed or TooManySets ending (rows
    // found before the failure stay).
    void setsIndexed(const QStringList& rows);
    // Sent once, on every way out but the destructor.
    void finished(LoggerDownload::Outcome outcome);

  private:
    enum class Phase { Idle, Requested, Receiving };

    void beginAttempt();
    void requestWaitOver();
    void readyRead();
    void receive();
    void quiet();
    void endAttempt();
    void complete();
    void finish(Outcome outcome);
    void stop();

    QSerialPort& port_;
    Rs232& rs232_;
    QTimer requestWait_;
    QTimer stall_;
    QMetaObject::Connection readyReadConnection_;
    QMetaObject::Connection errorConnection_;
    Phase phase_ = Phase::Idle;
    qint64 expected_ = 0;       // E, kept from one attempt to the next until read anew
    int endAddress_ = 0;        // N
    bool addressRead_ = false;  // N read in this attempt
    int attempts_ = 0;
};
