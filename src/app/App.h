#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "app/State.h"
#include "app/WindowRegistry.h"
#include "platform/WatchedDialogs.h"

class Clock;
class Receiver;
class Sampler;
class SerialLink;
class Shell;

// The application object: the shared state, the windows, the serial link and the two ticks.
// There are no globals: every test builds a fresh App.
class App : public QObject {
    Q_OBJECT

  public:
    App(Dialogs& dialogs, Clock& clock, Shell& shell, QObject* parent = nullptr);
    ~App() override;

    Meter meter;
    FileTransfer transfer;
    Rs232 rs232;
    PanelState panel;

    // Every question to the person goes through here.
    WatchedDialogs& dialogs() const { return *dialogs_; }
    Clock& clock() const { return clock_; }
    Shell& shell() const { return shell_; }
    WindowRegistry& windows() { return windows_; }

    SerialLink& link() { return *link_; }        // Comm1
    Receiver& receiver() { return *receiver_; }  // Timer1
    Sampler& sampler() { return *sampler_; }     // what Timer2 runs

    // Timer1 of the main window: the logger download and printing switch it off and on.
    void setTimer1(bool on);
    bool timer1() const;
    static int timer1Interval();

    // Where the help document is: beside the executable in the build tree, or under the
    // install prefix.
    QString helpDocumentPath() const;

    // The main window closed: the recording file is closed, the port released, every window
    // goes without its closing logic.
    void shutdown();

  private:
    std::unique_ptr<WatchedDialogs> dialogs_;
    Clock& clock_;
    Shell& shell_;
    std::unique_ptr<SerialLink> link_;
    std::unique_ptr<Receiver> receiver_;
    std::unique_ptr<Sampler> sampler_;
    WindowRegistry windows_;
};
