#include "records/RecordingFile.h"

#include <unistd.h>

#include <cerrno>

#include "records/WriteAll.h"

bool RecordingFile::open(const QString& path) {
    close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        error_ = file_.errorString();
        return false;
    }
    error_.clear();
    return true;
}

bool RecordingFile::writeLine(const QByteArray& line) {
    if (!file_.isOpen()) {
        error_ = QStringLiteral("The file is not open");
        return false;
    }
    const qint64 before = file_.pos();
    if (!WriteAll(file_, line)) {
        error_ = file_.errorString();
        // Drop a part-written line, so the file ends with the last whole one.
        file_.resize(before);
        return false;
    }
    // On the disk before the next sample: a power cut loses no line already taken.
    if (::fdatasync(file_.handle()) != 0) {
        error_ = qt_error_string(errno);
        file_.resize(before);
        return false;
    }
    return true;
}

void RecordingFile::close() {
    if (file_.isOpen()) {
        file_.close();
    }
}
