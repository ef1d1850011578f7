// A recording file (or a saved list) read as "Open File" reads it, twice: in one piece and cut
// into chunks of any size, as a slow disk or a pipe hands it over. Both readings must give the
// same grid. Byte 1 of the input chooses the chunk sizes; the rest is the file.

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "core/records/ListLayout.h"
#include "core/records/RecordReader.h"
#include "platform/GridModel.h"

namespace {

// Hands the bytes over a few at a time, as a sequential device may.
class ChunkedDevice final : public QIODevice {
  public:
    ChunkedDevice(QByteArray bytes, quint32 seed) : bytes_(std::move(bytes)), random_(seed) {}

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        random_ = random_ * 1664525u + 1013904223u;
        const qint64 chunk = 1 + (random_ >> 16) % 97;
        const qint64 n = qMin(qMin(maxSize, chunk), qint64(bytes_.size()) - at_);
        memcpy(data, bytes_.constData() + at_, size_t(n));
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    bool isSequential() const override { return true; }

  private:
    QByteArray bytes_;
    quint32 random_;
    qint64 at_ = 0;
};

struct Reading {
    RecordReader::Result result;
    GridModel grid;
    QString ohm = QStringLiteral("?");
    QString volt = QStringLiteral("?");
};

void read(QIODevice& in, Reading& out) {
    qint64 lastProgress = 0;
    out.result = RecordReader::read(in, out.grid, out.ohm, out.volt, [&](qint64 texts) {
        FUZZ_CHECK(texts == lastProgress + 1);
        lastProgress = texts;
    });
    FUZZ_CHECK(out.result.ok);
    FUZZ_CHECK(lastProgress == out.result.texts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const QByteArray file(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    Reading whole;
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    read(buffer, whole);

    Reading chunked;
    ChunkedDevice device(file, 0x9E3779B9u * (data[0] + 1u));
    device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    read(device, chunked);

    const GridModel& grid = whole.grid;
    const qint64 texts = whole.result.texts;
    FUZZ_CHECK(grid.Rows() == qMax<qint64>(1, texts));
    FUZZ_CHECK(grid.text(0, 0) == (texts > 0 ? ListLayout::fileHeader(0) : QString()));
    FUZZ_CHECK((whole.ohm == QStringLiteral("?")) || file.contains("Ohm"));
    FUZZ_CHECK((whole.volt == QStringLiteral("?")) || file.contains("Voltage"));

    FUZZ_CHECK(chunked.result.texts == texts);
    FUZZ_CHECK(chunked.ohm == whole.ohm && chunked.volt == whole.volt);
    FUZZ_CHECK(chunked.grid.Rows() == grid.Rows());
    for (int r = 0; r < grid.Rows(); ++r) {
        FUZZ_CHECK(chunked.grid.row(r) == grid.row(r));
        for (const QString& cell : grid.row(r)) {
            FUZZ_CHECK(cell.size() <= RecordReader::MaxText);
            FUZZ_CHECK(!cell.contains(u'\t'));
        }
    }
    return 0;
}
