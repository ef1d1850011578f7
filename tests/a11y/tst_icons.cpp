#include <QAbstractButton>
#include <QIcon>
#include <QToolBar>
#include <QToolButton>

#include "SimProcess.h"
#include "WindowOpener.h"
#include "tst_a11y.h"

void TestIcons::initTestCase() {
    // A desktop with no icon theme at all.
    QIcon::setThemeSearchPaths({});
    QIcon::setFallbackSearchPaths({});
    QIcon::setThemeName(QString());
    QIcon::setFallbackThemeName(QString());
}

void TestIcons::buttonsHavePictures_data() {
    QTest::addColumn<QString>("window");
    for (const char* name :
         {"Panel", "List", "RealTimeX", "DataList", "ListPlot2", "FileList", "SortCells"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

// Every toolbar command shows a picture.
void TestIcons::buttonsHavePictures() {
    QFETCH(QString, window);
    SimProcess sim(WindowOpener::meterArgs());
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    WindowOpener opener(sim.path());
    QWidget* shown = opener.open(window);
    QVERIFY(shown);
    const QList<QToolBar*> toolbars = shown->findChildren<QToolBar*>();
    QVERIFY(!toolbars.isEmpty());
    for (QToolBar* toolbar : toolbars) {
        for (QAction* action : toolbar->actions()) {
            if (!action->isVisible() || action->isSeparator()) {
                continue;
            }
            QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));
            QVERIFY2(!action->icon().pixmap(24).isNull(), qPrintable(action->objectName()));
            auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
            QVERIFY2(button && button->toolButtonStyle() != Qt::ToolButtonTextOnly,
                     qPrintable(action->objectName()));
        }
    }
}
