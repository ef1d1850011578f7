// The live stream as the receive tick sees it: any bytes, cut into chunks of any size, with a
// wait's second running out at any point. Byte 1 of the input seeds that schedule; the rest is
// the stream.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "core/meter/Decode.h"
#include "core/meter/PacketWait.h"
#include "core/state/State.h"

namespace {

// The count a reading text shows, read back independently of the decoder: digits around one
// point, `digits` of them before it (fewer when leading zeros went), four in all.
void checkCountText(const QString& text, int count, int digits) {
    const qsizetype point = text.indexOf(u'.');
    FUZZ_CHECK(point > 0 && text.indexOf(u'.', point + 1) < 0);
    FUZZ_CHECK(text.size() - point - 1 == 4 - digits);
    FUZZ_CHECK(point <= digits);
    FUZZ_CHECK(point == 1 || text.at(0) != u'0');
    int value = 0;
    for (const QChar c : text) {
        if (c != u'.') {
            FUZZ_CHECK(c >= u'0' && c <= u'9');
            value = value * 10 + (c.unicode() - u'0');
        }
    }
    FUZZ_CHECK(value == count % 10000);
}

void checkReading(const Meter& meter, const QByteArray& packet) {
    const auto byte = [&](int i) { return int(quint8(packet.at(i))); };
    const int status = byte(5);
    static const int ohmDigits[4] = {2, 1, 3, 2};
    FUZZ_CHECK(meter.RangeCode == status % 8);
    if (status & 0x80) {
        FUZZ_CHECK(meter.OhmText == QStringLiteral("----"));
    } else if (status & 0x10) {
        FUZZ_CHECK(meter.OhmText == QStringLiteral("OL"));
    } else {
        checkCountText(meter.OhmText, byte(1) * 256 + byte(2), ohmDigits[status % 4]);
    }
    QString volt = meter.VoltText;
    FUZZ_CHECK(volt.startsWith(u'-') == ((status & 0x40) != 0));
    if (status & 0x40) {
        volt.remove(0, 1);
    }
    if (status & 0x20) {
        FUZZ_CHECK(volt == QStringLiteral("OL"));
    } else {
        checkCountText(volt, byte(3) * 256 + byte(4), (status & 0x04) ? 2 : 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    quint32 random = 0x9E3779B9u * (data[0] + 1u);
    const auto next = [&random](quint32 bound) {
        random = random * 1664525u + 1013904223u;
        return (random >> 16) % bound;
    };
    const char* stream = reinterpret_cast<const char*>(data) + 1;
    const size_t length = size - 1;

    PacketWait wait;
    Meter meter;
    bool waiting = false;
    bool noData = false;
    QByteArray sinceBegin;  // every byte of the running wait
    size_t at = 0;
    while (at < length) {
        if (noData) {
            // The first byte ends the no-data state and is dropped.
            noData = false;
            ++at;
            continue;
        }
        if (!waiting) {
            // What came between two ticks is dropped when the next wait begins.
            at += next(10);
            if (at >= length) {
                break;
            }
            wait.beginTick();
            sinceBegin.clear();
            waiting = true;
        }
        const size_t chunk = qMin<size_t>(length - at, 1 + next(16));
        const QByteArrayView bytes(stream + at, qsizetype(chunk));
        at += chunk;
        sinceBegin.append(bytes);
        const bool early = wait.arrive(bytes);
        FUZZ_CHECK(early == (sinceBegin.size() == PacketSize));
        if (!early && next(6) != 0) {
            continue;  // the second is not over yet
        }
        const int failedBefore = wait.failedWaits();
        switch (wait.end()) {
            case PacketWait::Outcome::Packet:
                FUZZ_CHECK(wait.packet() == sinceBegin && IsFramedPacket(wait.packet()));
                FUZZ_CHECK(failedBefore < PacketWait::RetriedWaits);
                DecodePacket(meter, wait.packet());
                checkReading(meter, wait.packet());
                waiting = false;
                break;
            case PacketWait::Outcome::Misframed:
                FUZZ_CHECK(sinceBegin.size() == PacketSize && !IsFramedPacket(sinceBegin));
                FUZZ_CHECK(wait.failedWaits() == 0);
                wait.begin();
                sinceBegin.clear();
                break;
            case PacketWait::Outcome::NoPacket:
                FUZZ_CHECK(sinceBegin.size() != PacketSize);
                FUZZ_CHECK(wait.failedWaits() == failedBefore + 1);
                wait.begin();
                sinceBegin.clear();
                break;
            case PacketWait::Outcome::NoData:
                FUZZ_CHECK(failedBefore == PacketWait::RetriedWaits);
                waiting = false;
                noData = true;
                break;
        }
        FUZZ_CHECK(wait.failedWaits() <= PacketWait::RetriedWaits);
    }
    return 0;
}
