#pragma once

#include <QFile>
#include <QTemporaryDir>

#include "PtyPair.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "core/records/Sampler.h"
#include "platform/Clock.h"
#include "shell/Panel.h"
#include "windows/common/App.h"

// A whole program around the recording commands: the main window loaded on a real
// pseudo-terminal, a person answering from a script, a clock that moves when told.
class RecordsRig {
  public:
    RecordsRig() {
        qputenv("KELVOMARK_COM1", pty.path().toLocal8Bit());
        app.rs232.ComPortNo = 1;
        panel = &app.windows().get<Panel>();
        loaded = panel->load();
        // 40 milliohm and 4 V ranges (status 0x03).
        Meter& m = app.meter;
        m.RangeCode = 3;
        m.OhmRange = 40;
        m.MilliOhmUnit = true;
        m.VoltRange = 4;
        m.OhmText = QStringLiteral("12.34");
        m.VoltText = QStringLiteral("4.012");
    }

    // Sampling ticks one second apart.
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            clock.advanceMs(1000);
            app.sampler().tick();
        }
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    static QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    ScriptedDialogs dialogs;
    ManualClock clock;
    RecordingShell shell;
    PtyPair pty;
    QTemporaryDir dir;
    App app{dialogs, clock, shell};
    Panel* panel = nullptr;
    bool loaded = false;
};
