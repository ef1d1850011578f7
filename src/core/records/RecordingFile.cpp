#include "core/records/RecordingFile.h"

#include <unistd.h>
#include <cerrno>
#include "core/records/WriteAll.h"

RecordingFile::RecordingFile(QObject* parent)
    : QObject(parent), syncCall_([](int fd) { return ::fdatasync(fd); }) {
    syncWait_.setSingleShot(true);
    syncWait_.setInterval(SyncIntervalMs);
    connect(&syncWait_, &QTimer::timeout, this, [this] {
        if (!sync()) {
            Q_EMIT syncFailed();
        }
    });
}

RecordingFile::~RecordingFile() {
    close();
}

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
    unsynced_ = true;
    return syncWait_.isActive() || sync();
}

bool RecordingFile::sync() {
    if (!unsynced_ || !file_.isOpen()) {
        return true;
    }
    unsynced_ = false;
    syncWait_.start();
    int error = 0;
    do {
        error = syncCall_(file_.handle()) == 0 ? 0 : errno;
    } while (error == EINTR);
    // A pipe or a device such as /dev/null has nothing to put on a disk.
    if (error != 0 && error != EINVAL && error != EROFS) {
        error_ = qt_error_string(error);
        return false;
    }
    return true;
}

bool RecordingFile::close() {
    const bool synced = sync();
    syncWait_.stop();
    unsynced_ = false;
    if (file_.isOpen()) {
        file_.close();
    }
    return synced;
}
