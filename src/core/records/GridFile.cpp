#include "core/records/GridFile.h"

#include <QSaveFile>

#include "core/records/RecordFormat.h"
#include "core/records/WriteAll.h"
#include "platform/GridModel.h"

namespace GridFile {

namespace {

constexpr qsizetype ChunkSize = 256 * 1024;

}  // namespace

bool save(const QString& path, const GridModel& grid, const std::function<void(qint64)>& progress,
          QString& error) {
    // Unbuffered, in chunks of our own: QSaveFile buffered would report a write that fails
    // while it flushes on commit as success, and put a cut-off file in place of the old one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = file.errorString();
        return false;
    }
    QByteArray chunk;
    chunk.reserve(ChunkSize + 4096);
    auto writeChunk = [&] {
        const bool written = WriteAll(file, chunk);
        chunk.resize(0);  // keeps the buffer for the next chunk
        return written;
    };
    for (int r = 0; r < grid.Rows(); ++r) {
        if (progress) {
            progress(r);
        }
        RecordFormat::appendGridLine(chunk, grid.row(r));
        if (chunk.size() >= ChunkSize && !writeChunk()) {
            error = file.errorString();
            file.cancelWriting();
            return false;
        }
    }
    if (!writeChunk()) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace GridFile
