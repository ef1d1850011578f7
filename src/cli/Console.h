#pragma once

#include <QByteArray>
#include <QString>

#include "cli/Options.h"

// Standard output carries data and nothing else; messages go to standard error, led by the
// program's name, and so does progress, but only when standard error is a terminal: there one
// line is rewritten in place, and a message first clears it.
class Console {
  public:
    Console();
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    bool isTerminal() const { return terminal_; }
    // Hides the progress (a terminal shows messages all the same).
    void setQuiet(bool quiet) { quiet_ = quiet; }

    // A line of data, written at once so that a reader of a pipe sees it as it comes.
    static void out(const QString& line);
    static void outBytes(const QByteArray& bytes);
    // "kelvomark-cli: text" on standard error.
    void message(const QString& text);
    // The one form of every refusal and failure, for each command alike: lower case, no full
    // stop, names in double quotes, the subject first. "kelvomark-cli: COMMAND: TEXT", and the
    // status of bad usage.
    Exit refuse(const QString& command, const QString& text);
    // "kelvomark-cli: SUBJECT: TEXT" (a file, a port), and the status of a failure.
    Exit fail(const QString& subject, const QString& text);
    void progress(const QString& text);
    // Leaves the progress line as it stands and goes to the next line.
    void endProgress();

  private:
    void clearProgress();

    bool terminal_ = false;
    bool quiet_ = false;
    bool progressShown_ = false;
};
