#pragma once

#include <QByteArray>
#include <QIODevice>

// Writes all of `bytes`, going on after a short write: a disk that fills up part-way first
// takes part of the bytes without an error, and only the next write says why it failed.
// False when not all was written; the device's errorString() then gives the reason.
inline bool WriteAll(QIODevice& device, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = device.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}
