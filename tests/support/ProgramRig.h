#pragma once

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "ComEnvironment.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "core/meter/Receiver.h"
#include "platform/Clock.h"
#include "platform/widgets/ClickLabel.h"
#include "platform/widgets/Grid.h"
#include "shell/Panel.h"
#include "shell/Port.h"
#include "windows/common/App.h"
#include "windows/logger/Memory.h"

// The whole program as a person starts it: the port dialog with COM 1 standing for the
// simulator's device, its OK, and the main window. A script plays the person's answers.
class ProgramRig {
  public:
    ProgramRig() {
        // Every other COM number stands for nothing, so the machine's own ports stay out.
        com.claimRest();
    }

    // Points COM 1 at `devicePath` and presses OK in the port dialog. False when the main
    // window did not open.
    bool start(const QString& devicePath) {
        com.set(1, devicePath);
        Port& port = app.windows().get<Port>();
        port.show();
        auto* ok = port.findChild<QPushButton*>(QStringLiteral("CmdOk"));
        if (!ok) {
            return false;
        }
        QTest::mouseClick(ok, Qt::LeftButton);
        panel = app.windows().find<Panel>();
        return panel && panel->isVisible() && !app.windows().find<Port>();
    }

    // A click on a button of the main window's toolbar.
    void click(const QString& key) { panel->toolbarButton(key)->trigger(); }

    QString ohm() const { return panel->valOhm()->text(); }
    QString volt() const { return panel->valVoltage()->text(); }
    QString com1() const { return panel->lblCom()->text(); }
    bool milliOhmShown() const { return panel->lblMOhm()->isVisible(); }

    // The rows of the data-logger window's set grid, TAB-separated.
    QStringList loggerSets() {
        QStringList rows;
        if (Memory* memory = app.windows().find<Memory>()) {
            const GridModel& grid = memory->gridSet().model();
            for (int r = 1; r < grid.Rows(); ++r) {
                rows.append(grid.row(r).join(u'\t'));
            }
        }
        return rows;
    }

    // Sets the sampling time through the toolbar's "Sample", as a person types it.
    void setSamplingTime(int seconds) {
        dialogs.inputs.enqueue(QString::number(seconds));
        click(QStringLiteral("Sample"));
    }

    SystemClock clock;
    ComEnvironment com;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    App app{dialogs, clock, shell};
    Panel* panel = nullptr;
};

// Every reading the receive tick decodes, as "resistance/voltage", from construction on.
class ReadingLog : public QObject {
  public:
    explicit ReadingLog(App& app) {
        connect(&app.receiver(), &Receiver::readingDecoded, this,
                [this, &app] { readings.append(app.meter.OhmText + u'/' + app.meter.VoltText); });
    }
    QStringList readings;
};

// Everything the simulator says on stderr with --verbose: its events and the requests it saw.
class SimLog : public QObject {
  public:
    explicit SimLog(SimProcess& sim) {
        QProcess& process = sim.process();
        connect(&process, &QProcess::readyReadStandardError, this, [this, &process] {
            text_ += QString::fromLocal8Bit(process.readAllStandardError());
        });
    }
    int count(const QString& what) const { return int(text_.count(what)); }

  private:
    QString text_;
};

// A file's lines, each with its CR LF; a last line without one is kept as it is.
inline QList<QByteArray> FileLines(const QString& path) {
    QFile file(path);
    QList<QByteArray> lines;
    if (!file.open(QIODevice::ReadOnly)) {
        return lines;
    }
    const QByteArray all = file.readAll();
    qsizetype from = 0;
    while (from < all.size()) {
        const qsizetype end = all.indexOf("\r\n", from);
        if (end < 0) {
            lines.append(all.mid(from));
            break;
        }
        lines.append(all.mid(from, end + 2 - from));
        from = end + 2;
    }
    return lines;
}

// Writes a small text file (a scenario, a logger's content); returns its path.
inline QString WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        return QString();
    }
    return path;
}

// Clicks a data row (1 = the first below the header) of a grid, as a person does.
inline void ClickRow(Grid& grid, int row, int col = 0) {
    const QRect cell = grid.visualRect(grid.model().index(row - 1, col));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
}
