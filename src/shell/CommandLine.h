#pragma once

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
