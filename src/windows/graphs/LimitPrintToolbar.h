#pragma once

#include <QAction>
#include <QKeySequence>
#include <QToolBar>

// The toolbar of the graph and plot windows: "Limit" opens the window's range dialog, "Print"
// prints the window. Its shortcuts work anywhere in the window.
template <class Window>
void SetUpLimitPrintToolbar(QToolBar& toolbar, Window& window, void (Window::*limit)(),
                            void (Window::*print)()) {
    toolbar.setObjectName(QStringLiteral("Toolbar1"));
    toolbar.setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolbar.setMovable(false);
    QAction* limitAction = toolbar.addAction(QStringLiteral("Limit"));
    limitAction->setObjectName(QStringLiteral("Limit"));
    limitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QAction* printAction = toolbar.addAction(QStringLiteral("Print"));
    printAction->setObjectName(QStringLiteral("Print"));
    printAction->setShortcut(QKeySequence::Print);
    window.addActions({limitAction, printAction});
    QObject::connect(limitAction, &QAction::triggered, &window, limit);
    QObject::connect(printAction, &QAction::triggered, &window, print);
}
