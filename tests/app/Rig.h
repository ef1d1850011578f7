#pragma once

#include <QByteArray>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "shell/Panel.h"
#include "windows/common/App.h"

// The program as the port dialog leaves it: an App whose main window loads COM `number`.
struct Rig {
    explicit Rig(Clock& clock) : app(dialogs, clock, shell) {}

    bool load(int number = 1) {
        app.rs232.ComPortNo = qint16(number);
        if (!panel().load()) {
            return false;
        }
        panel().show();
        return true;
    }
    Panel& panel() { return app.windows().get<Panel>(); }

    ScriptedDialogs dialogs;
    RecordingShell shell;
    App app;
};

// A live packet: 02, resistance count, voltage count (big-endian), status, 03.
inline QByteArray Packet(int ohm, int volt, int status) {
    QByteArray b;
    b.append(char(0x02)).append(char(ohm >> 8)).append(char(ohm & 0xFF));
    b.append(char(volt >> 8)).append(char(volt & 0xFF)).append(char(status)).append(char(0x03));
    return b;
}
