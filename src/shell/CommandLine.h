#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "core/port/PortChoice.h"

class App;

// The program's command line: --help, --version, --port COMn|PATH and files to open. It is
// read before any window exists, so that --help and --version need no display.
struct CommandLine {
    enum class Outcome { Run, Help, Version, Error };
    Outcome outcome = Outcome::Error;
    QString text;                  // the help or version text, or the one-line error
    PortChoice::PortRequest port;  // number 0: the port dialog chooses as it always does
    QStringList files;             // absolute paths
    QString platform;              // Qt's -platform, if given

    // The one line to end with when the windows would have no display to go to: neither
    // DISPLAY nor WAYLAND_DISPLAY is set and every platform Qt would try needs one. Empty when
    // the program can show its windows.
    QString displayMissing(const QProcessEnvironment& environment) const;

    // `arguments` begins with the program name. Qt's own options (-platform, -style ...) are
    // let through for QApplication.
    static CommandLine parse(const QStringList& arguments);
    static QStringList arguments(int argc, char* argv[]);
    static QString version();

    // Prints the help or version text on stdout, or the error on stderr; the exit status.
    int finish() const;
};

// The start of the program: the port dialog with the command line's port chosen; once the
// main window is open, each file in a list of its own.
void StartProgram(App& app, const CommandLine& line);
