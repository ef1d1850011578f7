#include "windows/common/AppWindow.h"

#include <QCloseEvent>

#include "windows/common/App.h"

AppWindow::AppWindow(App& app, QWidget* parent) : QWidget(parent, Qt::Window), app_(app) {}

void AppWindow::unload() {
    if (unloading_) {
        return;
    }
    unloading_ = true;
    onUnload();
    app_.windows().forget(this);
    hide();
    deleteLater();
}

void AppWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    unload();
}
