#include <QApplication>

#include "app/App.h"
#include "app/ToolbarIcons.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "port/Port.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvomark"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.kelvomark.Kelvomark"));
    QApplication::setWindowIcon(ProgramIcon());

    QtDialogs dialogs;
    SystemClock clock;
    DesktopShell shell;
    App app(dialogs, clock, shell);
    app.windows().get<Port>().show();
    return QApplication::exec();
}
