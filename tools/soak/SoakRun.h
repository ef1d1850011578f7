#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QVector>
#include <memory>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "platform/Clock.h"

class App;

// One soak run: the program on the simulator with both graphs, the live list and a recording
// running at a sampling time of 1 s, as a person would set it up through the port dialog and
// the toolbar. Every minute it notes resident memory, open file descriptors and the counts; at
// the end it stops the recording and checks that every sample is in the file and in the list.
class SoakRun : public QObject {
    Q_OBJECT

  public:
    struct Options {
        int minutes = 30;
        int periodMs = 1;  // the simulator's packet period: its fastest
        int sampleEveryMs = 60 * 1000;
    };

    explicit SoakRun(const Options& options);
    ~SoakRun() override;

    // Starts the simulator and the program, and sets up the run once the first reading shows;
    // false (with a message) when the simulator or the port does not start.
    bool start();

  Q_SIGNALS:
    // The run is over: 0 when every check passed.
    void done(int status);

  private:
    struct Sample {
        qint64 seconds;
        qint64 rssKb;
        int fds;
        double cpuSeconds;  // user and system time of this process so far
        qint64 listRows;
        qint64 recorded;
        qint64 readings;
    };

    void setUp();
    void takeSample();
    void finish();
    bool verify();
    Sample measure() const;
    void print(const Sample& s) const;

    Options options_;
    ScriptedDialogs dialogs_;
    SystemClock clock_;
    RecordingShell shell_;
    std::unique_ptr<SimProcess> sim_;
    std::unique_ptr<App> app_;
    QTemporaryDir dir_;
    QString recordingPath_;
    QTimer sampleTimer_;
    QTimer endTimer_;
    QElapsedTimer elapsed_;
    QVector<Sample> samples_;
    QTimer firstReading_;
    QMetaObject::Connection firstReadingConnection_;
    qint64 readings_ = 0;
    int noDataPeriods_ = 0;
    int graphRestarts_ = 0;
};
