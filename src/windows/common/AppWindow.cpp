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
    // A question may be on screen, its event loop running below this call: if this window asked
    // it, the code that asked goes on with the window once it is answered.
    app_.dialogs().afterAnswers(this, [this] { deleteLater(); });
}

void AppWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    unload();
}
