#pragma once

#include <QTemporaryDir>
#include <QTest>

#include "ProgramRig.h"
#include "platform/widgets/Grid.h"
#include "shell/Port.h"
#include "windows/cells/Pack.h"
#include "windows/cells/ProfileEditor.h"
#include "windows/cells/SortCells.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/Plot2Range.h"
#include "windows/graphs/RealTimeRange.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/logger/DataList.h"
#include "windows/logger/Memory.h"
#include "windows/port/SerialDevices.h"
#include "windows/records/FileList.h"
#include "windows/records/List.h"

// The program over the simulator with its demo logger, and each of its windows opened as a
// person opens it, with its labels changed from what they showed at first.
class WindowOpener {
  public:
    // A steady reading and the demo logger, paced so that a download is over in a moment.
    static QStringList meterArgs() {
        return {"--status", "0x03", "--ohm", "1234", "--volt", "56", "--period", "250"};
    }

    explicit WindowOpener(const QString& simPath) : simPath_(simPath) {}

    // The window of that object name, shown; null when it did not open.
    QWidget* open(const QString& name) {
        if (name == u"Port" || name == u"SerialDevices") {
            rig.com.set(1, simPath_);
            Port& port = rig.app.windows().get<Port>();
            port.show();
            port.preselect(1);
            if (name == u"Port") {
                return &port;
            }
            port.showDevices();
            return port.findChild<SerialDevices*>();
        }
        if (!rig.start(simPath_) ||
            !QTest::qWaitFor([this] { return rig.ohm() == u"12.34"; }, 10000)) {
            return nullptr;
        }
        if (name == u"Panel") {
            rig.dialogs.files.enqueue(dir.filePath(QStringLiteral("rec.Kmk")));
            rig.click(QStringLiteral("Save"));
            const bool recorded =
                QTest::qWaitFor([this] { return !rig.panel->lblCount()->text().isEmpty(); }, 10000);
            return recorded ? rig.panel : nullptr;
        }
        if (name == u"List") {
            rig.click(QStringLiteral("List"));
            return rig.app.windows().find<List>();
        }
        if (name == u"SortCells" || name == u"ProfileEditor") {
            // The inventory in its default place, under a data folder of the test's own.
            qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
            rig.click(QStringLiteral("Sort"));
            SortCells* sort = rig.app.windows().find<SortCells>();
            // The steady reading is captured once: the labels show a result.
            const bool captured =
                sort && QTest::qWaitFor([sort] { return sort->session().rowCount() > 0; }, 10000);
            if (!captured || name == u"SortCells") {
                return captured ? sort : nullptr;
            }
            sort->findChild<QPushButton*>(QStringLiteral("BtnProfiles"))->click();
            return rig.app.windows().find<ProfileEditor>();
        }
        if (name == u"Pack") {
            qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
            rig.click(QStringLiteral("Pack"));
            Pack* pack = rig.app.windows().find<Pack>();
            // An empty inventory: the run's refusal fills the labels.
            if (!pack || !pack->inventory().isOpen()) {
                return nullptr;
            }
            pack->run();
            return QTest::qWaitFor([pack] { return !pack->running(); }, 10000) ? pack : nullptr;
        }
        if (name == u"RealTimeX" || name == u"RealTimeY" || name == u"RealTimeRange") {
            rig.click(QStringLiteral("Graph"));
            if (name == u"RealTimeY") {
                return rig.app.windows().find<RealTimeY>();
            }
            RealTimeX* x = rig.app.windows().find<RealTimeX>();
            if (!x || name == u"RealTimeX") {
                return x;
            }
            x->findChild<QAction*>(QStringLiteral("Limit"))->trigger();
            return rig.app.windows().find<RealTimeRange>();
        }
        rig.click(QStringLiteral("Memory"));
        if (!QTest::qWaitFor([this] { return !rig.app.meter.DownloadBusy; }, 10000)) {
            return nullptr;
        }
        Memory* memory = rig.app.windows().find<Memory>();
        if (name == u"Memory" || !memory) {
            return memory;
        }
        rig.dialogs.inputs.enqueue(QStringLiteral("2021/07/01 12:00:00"));
        ClickRow(memory->gridSet(), 1);
        DataList* list = rig.app.windows().find<DataList>();
        if (name == u"DataList" || !list) {
            return list;
        }
        if (name == u"FileList") {
            const QString path = dir.filePath(QStringLiteral("set1.Kmk"));
            rig.dialogs.files.enqueue(path);
            list->toolbarButton(QStringLiteral("Save"))->trigger();
            rig.dialogs.files.enqueue(path);
            rig.click(QStringLiteral("Open"));
            return rig.app.windows().find<FileList>();
        }
        list->toolbarButton(QStringLiteral("Plot"))->trigger();
        ListPlot2* plot = rig.app.windows().find<ListPlot2>();
        if (name == u"ListPlot2" || !plot) {
            return plot;
        }
        plot->findChild<QAction*>(QStringLiteral("Limit"))->trigger();
        return rig.app.windows().find<Plot2Range>();
    }

    // Every window of the program, by object name.
    static QStringList names() {
        return {"Port",       "SerialDevices", "Panel",     "List",          "RealTimeX",
                "RealTimeY",  "RealTimeRange", "Memory",    "DataList",      "ListPlot2",
                "Plot2Range", "FileList",      "SortCells", "ProfileEditor", "Pack"};
    }

    QTemporaryDir dir;
    ProgramRig rig;

  private:
    QString simPath_;
};
