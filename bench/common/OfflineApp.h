#pragma once

#include <QByteArray>
#include <QString>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "platform/Clock.h"
#include "shell/ToolbarCommands.h"
#include "windows/common/App.h"
#include "windows/records/FileList.h"

// Offscreen unless the caller chose a platform; call before the QApplication is made.
inline void PreferOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// The program with no meter, for the benchmarks that time lists and files.
template <class ClockType = SystemClock>
struct OfflineApp {
    ScriptedDialogs dialogs;
    ClockType clock;
    RecordingShell shell;
    App app{dialogs, clock, shell};

    // Opens a recording through the toolbar's "Open", as a person does.
    FileList& open(const QString& path) {
        dialogs.files.enqueue(path);
        ToolbarClick(app, QStringLiteral("Open"));
        return app.windows().get<FileList>();
    }
};
