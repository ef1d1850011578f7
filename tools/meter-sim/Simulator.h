#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QVector>

#include "DumpSender.h"
#include "LiveReading.h"
#include "LoggerContent.h"
#include "PtyDevice.h"
#include "Scenario.h"
#include "SimOptions.h"
#include "SortSession.h"

// The meter on the line: live packets at their period, the scenario's events, and the data
// logger's answer to the request byte, during which the live packets pause.
class Simulator : public QObject {
    Q_OBJECT
  public:
    // `cells` is the sorting session's list when options.sort names a file.
    Simulator(const SimOptions& options, const QVector<Scenario::Event>& events,
              const LoggerContent& logger, const QVector<SimCell>& cells = {},
              QObject* parent = nullptr);
    // Removes the link.
    ~Simulator() override;

    // Opens the pseudo-terminal and makes the link.
    bool start(QString* error);
    QString devicePath() const { return pty_.devicePath(); }

  Q_SIGNALS:
    // The scenario says quit.
    void quitRequested();

  private:
    enum class LoggerState { Idle, Answering, Hung };

    void onListenerChanged(bool present);
    void onReceived(const QByteArray& bytes);
    void onLiveTick();
    void runDueEvents();
    void scheduleNextEvent();
    void apply(const Scenario::Event& event);
    void answerRequest();
    void onAnswerSent();
    // Scenario bytes go out at once, when the line is free for live output.
    void sendNow(const QByteArray& bytes);
    // The reading to send now: the sorting session's next one, or the meter's.
    LiveReading::Sample nextSample();
    void tellSortStep(const SortSession::Step& step);
    bool liveOutputAllowed() const;
    double secondsOn() const { return double(switchedOn_.elapsed()) / 1000.0; }
    void tell(const QString& text) const;

    SimOptions options_;
    QVector<Scenario::Event> events_;
    LoggerContent logger_;
    QByteArray dump_;
    PtyDevice pty_;
    DumpSender sender_;
    LiveReading reading_;
    std::optional<SortSession> sort_;
    QRandomGenerator garbage_;
    QTimer liveTimer_;
    QTimer eventTimer_;
    QElapsedTimer switchedOn_;
    QElapsedTimer scenarioClock_;
    int nextEvent_ = 0;
    qint64 silentUntilMs_ = 0;  // on the switchedOn_ clock
    qint64 misframeLeft_ = 0;
    int misframeKind_ = Scenario::Alternate;
    int misframeSent_ = 0;
    int requests_ = 0;
    LoggerState loggerState_ = LoggerState::Idle;
    bool linkMade_ = false;
};
