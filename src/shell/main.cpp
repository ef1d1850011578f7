#include <QApplication>
#include <cstdio>

#include "platform/Clock.h"
#include "platform/widgets/Dialogs.h"
#include "platform/widgets/Shell.h"
#include "shell/CommandLine.h"
#include "windows/common/App.h"
#include "windows/common/ToolbarIcons.h"

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QStringLiteral("Kelvomark"));
    QApplication::setApplicationVersion(CommandLine::version());
    // Before QApplication: --help, --version and a bad option need no display.
    const CommandLine line = CommandLine::parse(CommandLine::arguments(argc, argv));
    if (line.outcome != CommandLine::Outcome::Run) {
        return line.finish();
    }
    // Qt would abort with its platform plugin's own words.
    if (const QString missing = line.displayMissing(QProcessEnvironment::systemEnvironment());
        !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("io.github.kelvomark.Kelvomark"));
    QApplication::setWindowIcon(ProgramIcon());

    QtDialogs dialogs;
    SystemClock clock;
    DesktopShell shell;
    App app(dialogs, clock, shell);
    StartProgram(app, line);
    return QApplication::exec();
}
