#include "shell/ToolbarCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <cmath>
#include <limits>

#include "core/records/RecordFormat.h"
#include "core/records/Sampler.h"
#include "platform/GridModel.h"
#include "platform/TextRules.h"
#include "platform/widgets/Dialogs.h"
#include "platform/widgets/Grid.h"
#include "shell/Panel.h"
#include "windows/cells/Pack.h"
#include "windows/cells/SortCells.h"
#include "windows/common/App.h"
#include "windows/graphs/GraphCommands.h"
#include "windows/logger/LoggerCommands.h"
#include "windows/records/FileList.h"
#include "windows/records/List.h"
#include "windows/records/SaveGrid.h"

namespace {

// The receive tick back on at the end of a command. Not while a logger download borrows the
// port: the download switches it on itself when it ends, and a receive tick running in the
// middle of it would throw away the bytes of the dump.
void timer1On(App& app) {
    if (!app.meter.DownloadBusy) {
        app.setTimer1(true);
    }
}

void stopRecording(App& app, Panel* panel) {
    app.sampler().stopRecording();
    if (panel) {
        panel->lblRec()->hide();
        panel->lblCount()->clear();
    }
    app.transfer.SaveAccepted = false;
}

void startRecording(App& app, Panel* panel) {
    SaveAsDialog(app, panel);
    if (!app.transfer.SaveAccepted) {
        return;
    }
    const QString path = app.transfer.SaveFileName;
    if (panel) {
        panel->lblFileName()->setText(QFileInfo(path).fileName());
        panel->setRecordingLook(true);
    }
    if (!app.sampler().startRecording(path)) {
        // Say so rather than show a recording look with no file behind it.
        if (panel) {
            panel->lblFileName()->clear();
            panel->setRecordingLook(false);
        }
        app.dialogs().message(
            panel, Dialogs::Icon::Critical, Dialogs::appTitle(),
            QStringLiteral("The recording file could not be created:\n%1\n\n%2")
                .arg(QDir::toNativeSeparators(path), app.sampler().recordingError()));
        return;
    }
    if (panel) {
        panel->lblRec()->show();
    }
}

// False when the answer is empty (Cancel): nothing changes, Timer1 included. An answer that is
// not a whole 32-bit number after rounding changes nothing either, but ends as a failure.
bool sample(App& app, Panel* panel) {
    const QString answer = app.dialogs().input(
        panel,
        QStringLiteral("Enter the SAMPLING TIME in seconds") + QStringLiteral("\r\n") +
            QStringLiteral("(1 <= t <= 86400 ) "),
        QStringLiteral("Input Sampling Time"), QString::number(app.transfer.SamplingTime));
    if (answer.isEmpty()) {
        return false;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(answer.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return true;
    }
    const double whole = TextRules::RoundHalfEven(value);
    if (whole < std::numeric_limits<qint32>::min() || whole > std::numeric_limits<qint32>::max()) {
        return true;
    }
    app.transfer.SamplingTime = qBound(1, int(whole), 86400);
    app.transfer.SampleTick = 0;
    return true;
}

void cannotRead(App& app, QWidget* parent, const QString& path, const QString& error) {
    app.dialogs().message(parent, Dialogs::Icon::Critical, Dialogs::appTitle(),
                          QStringLiteral("The file could not be read:\n%1\n\n%2")
                              .arg(QDir::toNativeSeparators(path), error));
}

// Shows `list` and reads `path` into it; what cannot be read is said over the list. False
// then.
bool showFile(App& app, FileList& list, const QString& path) {
    list.show();
    list.raise();
    QString error;
    if (!list.readFile(path, error)) {
        cannotRead(app, &list, path, error);
        return false;
    }
    return true;
}

// What needs the meter says so when the program runs with no meter; empty when the command
// works without one. The live list opens, empty and still; the sampling time is kept.
QString needsMeter(const QString& key) {
    QString what;
    if (key == QStringLiteral("Save")) {
        what = QStringLiteral("Recording needs");
    } else if (key == QStringLiteral("Memory")) {
        what = QStringLiteral("The data logger needs");
    } else if (key == QStringLiteral("Graph")) {
        // Its charts would sweep a trace for readings that never come.
        what = QStringLiteral("The live graphs need");
    } else if (key == QStringLiteral("Sort")) {
        what = QStringLiteral("Sorting cells needs");
    } else {
        return QString();
    }
    return what + QStringLiteral(
                      " the meter and a port: start Kelvomark again and choose the "
                      "meter's COM port.");
}

// False when the command was refused or no file was chosen: Timer1 stays as it is.
bool open(App& app, Panel* panel) {
    if (app.transfer.Recording) {
        app.dialogs().message(panel, Dialogs::Icon::Critical, Dialogs::appTitle(),
                              QStringLiteral("Recording Mode!") + QStringLiteral("\n\r") +
                                  QStringLiteral("Please stop recording!"));
        return false;
    }
    const QString path = app.dialogs().openFile(panel, RecordFormat::fileFilter(), 1);
    if (path.isEmpty()) {
        return false;
    }
    if (app.windows().isVisible<FileList>()) {
        app.windows().unload<FileList>();
    }
    showFile(app, app.windows().get<FileList>(), path);
    return true;
}

}  // namespace

void ToolbarClick(App& app, const QString& key) {
    Panel* panel = app.windows().find<Panel>();
    if (app.withoutMeter()) {
        if (const QString refusal = needsMeter(key); !refusal.isEmpty()) {
            app.dialogs().message(panel, Dialogs::Icon::Information, Dialogs::appTitle(), refusal);
            return;
        }
    }
    if (key == QStringLiteral("Memory")) {
        MemoryCommand(app);  // it handles Timer1 itself
        return;
    }
    if (key == QStringLiteral("Save")) {
        if (app.transfer.Recording) {
            stopRecording(app, panel);
        } else {
            startRecording(app, panel);
        }
    } else if (key == QStringLiteral("Open")) {
        if (!open(app, panel)) {
            return;
        }
    } else if (key == QStringLiteral("List")) {
        app.meter.ListRangeCode = app.meter.RangeCode;
        app.transfer.ListOpen = true;
        List& list = app.windows().get<List>();
        list.show();
        list.raise();
    } else if (key == QStringLiteral("Graph")) {
        OpenGraphsCommand(app);
    } else if (key == QStringLiteral("Sort")) {
        OpenSortCells(app);
    } else if (key == QStringLiteral("Pack")) {
        OpenPack(app);
    } else if (key == QStringLiteral("Sample")) {
        if (!sample(app, panel)) {
            return;
        }
    } else if (key == QStringLiteral("Help")) {
        if (panel) {
            panel->helpPanel()->show();
        }
    }
    timer1On(app);
}

void OpenFiles(App& app, const QStringList& paths) {
    // Each one a little below and right of the one before, so that none hides another.
    constexpr int Cascade = 28;
    Panel* panel = app.windows().find<Panel>();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString& path = paths.at(i);
        // A file that does not even open gets no window, only its message.
        if (QFile file(path); !file.open(QIODevice::ReadOnly)) {
            cannotRead(app, panel, path, file.errorString());
            continue;
        }
        FileList& list = app.windows().another<FileList>();
        list.move(list.pos() + QPoint(Cascade, Cascade) * int(i));
        list.show();
        list.raise();
        QString error;
        if (list.readFile(path, error)) {
            continue;
        }
        // A list of its own with nothing in it serves no one: it goes before the message.
        QWidget* parent = &list;
        if (list.grid().model().Rows() <= 1) {
            list.unload();
            parent = panel;
        }
        cannotRead(app, parent, path, error);
    }
}
