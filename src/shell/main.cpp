#include <QApplication>

#include "platform/Clock.h"
#include "platform/widgets/Dialogs.h"
#include "platform/widgets/Shell.h"
#include "shell/Port.h"
#include "windows/common/App.h"
#include "windows/common/ToolbarIcons.h"

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
