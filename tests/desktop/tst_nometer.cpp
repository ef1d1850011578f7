#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QTest>

#include "DesktopRig.h"
#include "core/cells/Inventory.h"
#include "core/meter/Receiver.h"
#include "core/meter/SecondTicker.h"
#include "core/records/Sampler.h"
#include "platform/GridModel.h"
#include "platform/widgets/ClickLabel.h"
#include "platform/widgets/Grid.h"
#include "tst_desktop.h"
#include "windows/cells/Pack.h"
#include "windows/cells/SortCells.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/logger/Memory.h"
#include "windows/records/FileList.h"
#include "windows/records/List.h"

void TestNoMeter::buttonOpensMainWindow_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("click") << "click";
    QTest::newRow("Alt+N") << "Alt+N";
    QTest::newRow("Space on the focused button") << "Space";
}

void TestNoMeter::buttonOpensMainWindow() {
    QFETCH(QString, how);
    DesktopRig rig;
    rig.showPort();
    Port& port = *rig.port();
    QPushButton* button = rig.noMeter();
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("No Meter"));
    QVERIFY(button->isEnabled() && button->isVisible());
    // OK stays the default: Enter keeps choosing the port.
    QVERIFY(!button->isDefault());
    QVERIFY(port.findChild<QPushButton*>(QStringLiteral("CmdOk"))->isDefault());

    if (how == QLatin1String("click")) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (how == QLatin1String("Alt+N")) {
        port.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&port));
        QTest::keyClick(&port, Qt::Key_N, Qt::AltModifier);
    } else {
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
    }

    // A button's shortcut shows the press before it clicks.
    QTRY_VERIFY(rig.panel() && rig.panel()->isVisible());
    Panel* panel = rig.panel();
    QVERIFY(!rig.app.windows().find<Port>());
    QCOMPARE(panel->lblCom()->text(), QStringLiteral("No COM"));
    QVERIFY(panel->valOhm()->text().isEmpty());
    QVERIFY(panel->valVoltage()->text().isEmpty());
    QVERIFY(rig.dialogs.messages.isEmpty());
    // Nothing receives or samples: no port, neither tick.
    QVERIFY(rig.app.withoutMeter());
    QVERIFY(!rig.app.link().isOpen());
    QVERIFY(!rig.app.timer1());
    QVERIFY(!rig.app.timer2().isActive());
    // The person may click the port label as ever; it keeps saying there is no link.
    Q_EMIT panel->lblCom()->clicked();
    QCOMPARE(panel->lblCom()->text(), QStringLiteral("No COM"));
}

void TestNoMeter::refusesWhatNeedsTheMeter_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("what");
    QTest::newRow("Save (recording)") << "Save"
                                      << "Recording";
    QTest::newRow("Memory (data logger)") << "Memory"
                                          << "data logger";
    QTest::newRow("Graph (live graphs)") << "Graph"
                                         << "live graphs";
    QTest::newRow("Sort (sorting cells)") << "Sort"
                                          << "Sorting cells";
}

void TestNoMeter::refusesWhatNeedsTheMeter() {
    QFETCH(QString, key);
    QFETCH(QString, what);
    DesktopRig rig;
    QVERIFY(rig.startWithoutMeter());
    // A file answer ready, as a person would choose one: it must not be asked for.
    rig.dialogs.files.enqueue(rig.dir.filePath(QStringLiteral("never.Kmk")));
    rig.click(key);

    QCOMPARE(rig.dialogs.messages.size(), 1);
    const ScriptedDialogs::Shown shown = rig.dialogs.messages.first();
    QCOMPARE(shown.icon, Dialogs::Icon::Information);
    QVERIFY2(!shown.text.contains(u'\n'), qPrintable(shown.text));
    QVERIFY2(shown.text.contains(what) && shown.text.contains(QLatin1String("meter")) &&
                 shown.text.contains(QLatin1String("port")),
             qPrintable(shown.text));
    QCOMPARE(rig.dialogs.files.size(), 1);
    QVERIFY(!QFile::exists(rig.dir.filePath(QStringLiteral("never.Kmk"))));
    QVERIFY(!rig.app.transfer.Recording);
    QVERIFY(!rig.app.windows().find<Memory>());
    QVERIFY(!rig.app.windows().find<SortCells>());
    QVERIFY(!rig.app.windows().isVisible<RealTimeX>());
    QVERIFY(!rig.app.windows().isVisible<RealTimeY>());
    QVERIFY(!rig.app.link().isOpen());
    QVERIFY(!rig.app.timer1());
}

void TestNoMeter::viewsFilesWithoutMeter() {
    DesktopRig rig;
    QVERIFY(rig.startWithoutMeter());
    const QString recording =
        rig.recording(QStringLiteral("cell.Kmk"), QStringLiteral("40mOhm\t4Voltage"), 25);

    // Open
    rig.dialogs.files.enqueue(recording);
    rig.click(QStringLiteral("Open"));
    FileList* list = rig.app.windows().find<FileList>();
    QVERIFY(list && list->isVisible());
    QCOMPARE(list->windowTitle(), QStringLiteral("cell.Kmk"));
    QCOMPARE(list->grid().model().Rows(), 26);

    // Plot, in the file's ranges
    ToolbarAction(*list, QStringLiteral("Plot"))->trigger();
    QVERIFY(rig.app.windows().isVisible<ListPlot2>());
    QCOMPARE(rig.app.transfer.PlotOhmLimitMax, 40.0f);
    QCOMPARE(rig.app.transfer.PlotVoltLimitMax, 4.0f);
    QCOMPARE(rig.app.transfer.PlotPointCount, 25.0f);

    // Print, to a real PDF
    const QString pdf = rig.dir.filePath(QStringLiteral("cell.pdf"));
    rig.dialogs.printerAnswers.enqueue(true);
    rig.dialogs.printerSetup = [pdf](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    ToolbarAction(*list, QStringLiteral("Print"))->trigger();
    QFile printed(pdf);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.read(5) == "%PDF-");

    // The sampling time is a setting: it is asked and kept as ever.
    rig.dialogs.inputs.enqueue(QStringLiteral("5"));
    rig.click(QStringLiteral("Sample"));
    QCOMPARE(rig.app.transfer.SamplingTime, 5);

    // Matching a pack needs no meter: its window opens on the inventory in its own place.
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", rig.dir.filePath(QStringLiteral("data")).toLocal8Bit());
    rig.click(QStringLiteral("Pack"));
    data.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", data);
    QVERIFY(rig.app.windows().isVisible<Pack>());
    QVERIFY(rig.app.windows().get<Pack>().inventory().isOpen());
    QVERIFY(QFile::exists(rig.dir.filePath(QStringLiteral("data/kelvomark/cells.sqlite"))));

    QVERIFY2(rig.dialogs.messages.isEmpty(), qPrintable(rig.dialogs.messages.value(0).text));
    // Every command switches Timer1 on at its end; without a port it stays off.
    QVERIFY(!rig.app.timer1());
    QVERIFY(!rig.app.link().isOpen());
}

void TestNoMeter::liveListStaysStill() {
    DesktopRig rig;
    QVERIFY(rig.startWithoutMeter());
    rig.click(QStringLiteral("List"));
    List* list = rig.app.windows().find<List>();
    QVERIFY(list && list->isVisible());
    QVERIFY(rig.dialogs.messages.isEmpty());
    // No tick runs, so no row can come; a sampling tick forced by hand finds no link either.
    QVERIFY(!rig.app.timer2().isActive());
    rig.app.sampler().tick();
    QCOMPARE(list->grid().model().Rows(), 1);

    // Its Save writes the list as it is: the header alone.
    const QString saved = rig.dir.filePath(QStringLiteral("empty.Kmk"));
    rig.dialogs.files.enqueue(saved);
    ToolbarAction(*list, QStringLiteral("Save"))->trigger();
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("No.s\t"));
    QVERIFY(rig.dialogs.messages.isEmpty());
}
