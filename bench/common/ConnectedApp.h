#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "ComEnvironment.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "platform/Clock.h"

class App;

// The program as a person starts it on a meter: the simulator on a pseudo-terminal that COM 1
// stands for, the port dialog's OK pressed, the main window loaded and shown on the real clock.
class ConnectedApp {
  public:
    explicit ConnectedApp(const QStringList& simArguments);
    ~ConnectedApp();
    ConnectedApp(const ConnectedApp&) = delete;
    ConnectedApp& operator=(const ConnectedApp&) = delete;

    // Empty when the program is connected; else why not.
    QString error() const { return error_; }
    App& app() { return *app_; }
    ScriptedDialogs& dialogs() { return dialogs_; }

  private:
    ComEnvironment com_;
    SimProcess sim_;
    ScriptedDialogs dialogs_;
    SystemClock clock_;
    RecordingShell shell_;
    std::unique_ptr<App> app_;
    QString error_;
};
