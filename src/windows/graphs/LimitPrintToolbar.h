#pragma once

#include <QAction>
#include <QKeySequence>
#include <QToolBar>

#include "windows/common/Accessibility.h"
#include "windows/common/ToolbarIcons.h"

// The toolbar of the graph and plot windows: "Limit" opens the window's range dialog, "Print"
// prints the window. Its shortcuts work anywhere in the window; Escape closes it.
template <class Window>
void SetUpLimitPrintToolbar(QToolBar& toolbar, Window& window, void (Window::*limit)(),
                            void (Window::*print)()) {
    toolbar.setObjectName(QStringLiteral("Toolbar1"));
    toolbar.setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar.setIconSize(QSize(16, 16));
    toolbar.setMovable(false);
    // It lies over the paper: its own background keeps its texts readable under any palette.
    toolbar.setAutoFillBackground(true);
    QAction* limitAction =
        toolbar.addAction(ToolbarIcon(QStringLiteral("Limit")), QStringLiteral("Limit"));
    limitAction->setObjectName(QStringLiteral("Limit"));
    limitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QAction* printAction =
        toolbar.addAction(ToolbarIcon(QStringLiteral("Print")), QStringLiteral("Print"));
    printAction->setObjectName(QStringLiteral("Print"));
    printAction->setShortcut(QKeySequence::Print);
    window.addActions({limitAction, printAction});
    QObject::connect(limitAction, &QAction::triggered, &window, limit);
    QObject::connect(printAction, &QAction::triggered, &window, print);
    MakeToolbarAccessible(toolbar);
    CloseOnEscape(window);
}
