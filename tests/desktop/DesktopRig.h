#pragma once

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>

#include "ComEnvironment.h"
#include "PtyPair.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "platform/Clock.h"
#include "shell/Panel.h"
#include "shell/Port.h"
#include "windows/common/App.h"

// The program at its start, the port dialog shown, with COM 1 standing for a real
// pseudo-terminal that nothing should open when there is no meter.
struct DesktopRig {
    DesktopRig() {
        com.set(1, pty.path());
        com.claimRest();
    }

    Port* port() { return app.windows().find<Port>(); }
    Panel* panel() { return app.windows().find<Panel>(); }
    QPushButton* noMeter() {
        return port() ? port()->findChild<QPushButton*>(QStringLiteral("CmdNoMeter")) : nullptr;
    }
    void showPort() { app.windows().get<Port>().show(); }
    // The port dialog, then its No Meter.
    bool startWithoutMeter() {
        showPort();
        if (!noMeter()) {
            return false;
        }
        noMeter()->click();
        return panel() && panel()->isVisible();
    }
    void click(const QString& key) { panel()->toolbarButton(key)->trigger(); }

    // A recording file in the given ranges with `rows` readings.
    QString recording(const QString& name, const QString& ranges, int rows) {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return QString();
        }
        file.write("No.s\tDate\tTime\t" + ranges.toLatin1() + "\r\n");
        for (int r = 1; r <= rows; ++r) {
            file.write(QStringLiteral("%1\t2021/07/01\t10:20:%2\t%3\t3.912\r\n")
                           .arg(r)
                           .arg(r % 60, 2, 10, QLatin1Char('0'))
                           .arg(18 + r % 10 / 10.0, 0, 'f', 2)
                           .toLatin1());
        }
        return path;
    }

    ComEnvironment com;
    PtyPair pty;
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SystemClock clock;
    RecordingShell shell;
    App app{dialogs, clock, shell};
};

// A button of a window's own toolbar, by its key.
inline QAction* ToolbarAction(QWidget& window, const QString& key) {
    auto* bar = window.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    return bar ? bar->findChild<QAction*>(key) : nullptr;
}
