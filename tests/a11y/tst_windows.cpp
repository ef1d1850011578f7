#include <QAccessible>
#include <QAccessibleInterface>
#include <QToolBar>
#include <QToolButton>

#include "AccessibilityCheck.h"
#include "SimProcess.h"
#include "WindowOpener.h"
#include "shell/Panel.h"
#include "tst_a11y.h"

namespace {

QAccessibleInterface* Accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

}  // namespace

void TestWindows::initTestCase() {
    AccessibilityCheck::listen();
}

void TestWindows::accessible_data() {
    QTest::addColumn<QString>("window");
    for (const QString& name : WindowOpener::names()) {
        QTest::newRow(qPrintable(name)) << name;
    }
}

void TestWindows::accessible() {
    QFETCH(QString, window);
    SimProcess sim(WindowOpener::meterArgs());
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    WindowOpener opener(sim.path());
    QWidget* shown = opener.open(window);
    QVERIFY(shown);
    QTRY_VERIFY(shown->isVisible());
    const AccessReport report = AccessibilityCheck::check(*shown);
    qInfo("%s: %d checked, %d failed", qPrintable(window), report.checked,
          int(report.failures.size()));
    QVERIFY2(report.failures.isEmpty(), qPrintable(report.failures.join(u'\n')));
}

void TestWindows::escapeCloses_data() {
    QTest::addColumn<QString>("window");
    for (const QString& name : WindowOpener::names()) {
        // Closing the main window ends the program: Escape leaves it be.
        if (name != u"Panel") {
            QTest::newRow(qPrintable(name)) << name;
        }
    }
}

void TestWindows::escapeCloses() {
    QFETCH(QString, window);
    SimProcess sim(WindowOpener::meterArgs());
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    WindowOpener opener(sim.path());
    QPointer<QWidget> shown = opener.open(window);
    QVERIFY(shown);
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : shown.data(), Qt::Key_Escape);
    QTRY_VERIFY(!shown || !shown->isVisible());
    if (opener.rig.panel) {
        QVERIFY(opener.rig.panel->isVisible());
    }
}

// The main toolbar's buttons are named by what they do, and the name follows the look.
void TestWindows::toolbarNamesFollowToolTips() {
    SimProcess sim(WindowOpener::meterArgs());
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    WindowOpener opener(sim.path());
    Panel* panel =
        qobject_cast<Panel*>(opener.open(QStringLiteral("List")) ? opener.rig.panel : nullptr);
    QVERIFY(panel);
    auto* toolbar = panel->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    QVERIFY(toolbar);
    auto name = [toolbar, panel](const QString& key) {
        QWidget* button = toolbar->widgetForAction(panel->toolbarButton(key));
        return button ? Accessible(button)->text(QAccessible::Name) : QString();
    };
    const QList<std::pair<QString, QString>> names = {
        {"Save", "Save As"},        {"Open", "Open File"},     {"List", "List Display"},
        {"Graph", "Graph Display"}, {"Sample", "PC Sampling"}, {"Memory", "Data Logger"},
        {"Sort", "Sort Cells"},     {"Pack", "Match a Pack"},  {"Help", "Help..."}};
    QSet<QKeySequence> shortcuts;
    for (const auto& [key, expected] : names) {
        QCOMPARE(name(key), expected);
        const QKeySequence shortcut = panel->toolbarButton(key)->shortcut();
        QVERIFY2(!shortcut.isEmpty(), qPrintable(key));
        shortcuts.insert(shortcut);
    }
    QCOMPARE(shortcuts.size(), names.size());
    // Every button a screen reader meets has a name, hidden ones and Qt's overflow button too.
    for (QToolButton* button : toolbar->findChildren<QToolButton*>()) {
        QVERIFY2(!Accessible(button)->text(QAccessible::Name).isEmpty(),
                 qPrintable(button->objectName()));
    }

    opener.rig.dialogs.files.enqueue(opener.dir.filePath(QStringLiteral("rec.Kmk")));
    QTest::keySequence(panel, panel->toolbarButton(QStringLiteral("Save"))->shortcut());
    QVERIFY(opener.rig.app.transfer.Recording);
    QCOMPARE(name(QStringLiteral("Save")), QStringLiteral("Stop Recording"));
    opener.rig.click(QStringLiteral("Save"));
    QCOMPARE(name(QStringLiteral("Save")), QStringLiteral("Save As"));
}

// A painted live chart says what it shows: its scale and the latest reading.
void TestWindows::liveGraphText() {
    SimProcess sim(WindowOpener::meterArgs());
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    WindowOpener opener(sim.path());
    QVERIFY(opener.open(QStringLiteral("RealTimeX")));
    const struct {
        QWidget* window;
        QString reading;
    } charts[] = {{opener.rig.app.windows().find<RealTimeX>(), QStringLiteral("12.34")},
                  {opener.rig.app.windows().find<RealTimeY>(), QStringLiteral("0.056")}};
    for (const auto& chart : charts) {
        QVERIFY(chart.window);
        QAccessibleInterface* canvas = Accessible(chart.window->findChild<QWidget*>("Canvas"));
        QVERIFY(canvas);
        QTRY_VERIFY2(canvas->text(QAccessible::Description).contains(chart.reading),
                     qPrintable(canvas->text(QAccessible::Description)));
        QVERIFY2(canvas->text(QAccessible::Description).contains(u" to "),
                 qPrintable(canvas->text(QAccessible::Description)));
        QVERIFY(!canvas->text(QAccessible::Name).isEmpty());
    }
}

// The keys drawn on the meter's picture do nothing, and do not say they would.
void TestWindows::decorativeKeys() {
    SimProcess sim(WindowOpener::meterArgs());
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    WindowOpener opener(sim.path());
    QVERIFY(opener.open(QStringLiteral("Panel")));
    for (const char* name :
         {"SSCommand5", "SSCommand4", "SSCommand1", "CmdVolTage", "SSCommand3"}) {
        QWidget* key = opener.rig.panel->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(key, name);
        QAccessibleInterface* iface = Accessible(key);
        QVERIFY2(iface->role() != QAccessible::PushButton, name);
        QVERIFY2(!iface->actionInterface() || iface->actionInterface()->actionNames().isEmpty(),
                 name);
        QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), name);
    }
}
