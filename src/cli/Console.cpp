#include "cli/Console.h"

#include <unistd.h>

#include <cerrno>

#include "cli/Help.h"

namespace {

void writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // a closed pipe: nobody reads any more
        }
        done += n;
    }
}

}  // namespace

Console::Console() : terminal_(::isatty(STDERR_FILENO) == 1) {}

Console::~Console() {
    endProgress();
}

void Console::out(const QString& line) {
    writeAll(STDOUT_FILENO, line.toUtf8() + '\n');
}

void Console::outBytes(const QByteArray& bytes) {
    writeAll(STDOUT_FILENO, bytes);
}

void Console::message(const QString& text) {
    clearProgress();
    writeAll(STDERR_FILENO, (Help::programName() + QStringLiteral(": ") + text).toUtf8() + '\n');
}

Exit Console::refuse(const QString& command, const QString& text) {
    message(command + QStringLiteral(": ") + text);
    return Exit::Usage;
}

Exit Console::fail(const QString& subject, const QString& text) {
    message(subject + QStringLiteral(": ") + text);
    return Exit::Failure;
}

void Console::progress(const QString& text) {
    if (!terminal_ || quiet_) {
        return;
    }
    // Back to the start of the line, the old text erased.
    writeAll(STDERR_FILENO, "\r\033[K" + text.toUtf8());
    progressShown_ = true;
}

void Console::endProgress() {
    if (progressShown_) {
        writeAll(STDERR_FILENO, "\n");
        progressShown_ = false;
    }
}

void Console::clearProgress() {
    if (progressShown_) {
        writeAll(STDERR_FILENO, "\r\033[K");
        progressShown_ = false;
    }
}
