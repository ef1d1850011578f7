#include "records/RecordingFile.h"

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
    if (file_.write(line) != line.size()) {
        error_ = file_.errorString();
        return false;
    }
    return true;
}

void RecordingFile::close() {
    if (file_.isOpen()) {
        file_.close();
    }
}
