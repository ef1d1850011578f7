#include "core/logger/LoggerSets.h"

#include <cmath>
#include <cstring>

#include "core/logger/LoggerDump.h"
#include "core/meter/Decode.h"
#include "core/state/State.h"
#include "platform/TextRules.h"

namespace LoggerSets {

namespace {

// 1-based reads that report a position beyond the buffer instead of reading it.
class Bytes {
  public:
    explicit Bytes(const QByteArray& bytes) : bytes_(bytes) {}

    qint64 size() const { return bytes_.size(); }

    // The byte at `pos`, or -1 beyond the buffer.
    int at(qint64 pos) const {
        return pos >= 1 && pos <= size() ? int(quint8(bytes_.at(pos - 1))) : -1;
    }

    // 1 when the four bytes from `pos` are `quad`, 0 when not, -1 when they lie beyond.
    int matches(qint64 pos, const QByteArray& quad) const {
        if (pos < 1 || pos + 3 > size()) {
            return -1;
        }
        return std::memcmp(bytes_.constData() + pos - 1, quad.constData(), 4) == 0 ? 1 : 0;
    }

  private:
    const QByteArray& bytes_;
};

QString OhmRangeText(const Meter& meter) {
    return QString::number(meter.OhmRange) +
           (meter.MilliOhmUnit ? QStringLiteral("m Ohm") : QStringLiteral(" Ohm"));
}

}  // namespace

int EndAddress(const QByteArray& answer) {
    return int(quint8(answer.at(1))) * 256 + int(quint8(answer.at(2)));
}

int ExpectedLength(int endAddress) {
    return endAddress - LoggerDump::AddressBase;
}

QString ProgressText(qint64 received, qint64 expected) {
    const double percent = double(received) / double(expected) * 100.0;
    if (percent > 100.0) {
        return QStringLiteral("100 % Completed");
    }
    return TextRules::OneDecimal(percent, false) + QStringLiteral(" % Completed");
}

QString RemainedText(int endAddress) {
    return TextRules::OneDecimal((LoggerDump::MemoryTop - endAddress) / 1024.0, true) +
           QStringLiteral("K");
}

std::optional<QByteArray> ClosingCopy(const QByteArray& received, qint64 expected) {
    if (expected < 1) {
        return std::nullopt;
    }
    QByteArray closed = received.left(expected - 1);
    closed.append(received.mid(3, 5));
    return closed;
}

Index IndexSets(const QByteArray& rxBuffer) {
    const Bytes rx(rxBuffer);
    const qint64 last = rx.size() - 5;  // the closing copy is never taken as a set
    Meter scratch;
    Index index;
    qint64 cursor = 3;  // SetCursor: the byte before the set's marker
    for (qint64 i = 1; i <= last; ++i) {
        if (rx.matches(i, LoggerDump::SetMarker) != 1) {
            continue;
        }
        // The set's fields are read at the cursor; for sound data its marker is the one at i.
        const int sampling = rx.at(cursor + 5);
        const int status = rx.at(cursor + 10);
        if (sampling < 0 || status < 0) {
            index.failed = true;
            return index;
        }
        DecodeStatus(scratch, quint8(status));
        qint64 records = 1;
        for (;;) {
            const qint64 after = cursor + 6 + 5 * records;
            const int end = rx.matches(after, LoggerDump::EndMarker);
            const int marker = rx.matches(after, LoggerDump::SetMarker);
            if (end < 0) {
                index.failed = true;
                return index;
            }
            // A record whose two counts are both 771 begins with the end marker's bytes too: the
            // end marker counts only where a set marker (the closing copy's) follows it.
            const bool ended = end == 1 && rx.matches(after + 4, LoggerDump::SetMarker) == 1;
            if (ended || marker == 1) {
                break;
            }
            ++records;
        }
        index.setRecords = double(records);
        cursor += 5 * records + 5;
        if (index.setNumber >= LoggerDump::MaxSets + 1) {
            index.failed = true;
            index.tooManySets = true;
            return index;
        }
        index.rows.append(QString::number(qint64(index.setNumber)) + u'\t' + OhmRangeText(scratch) +
                          u'\t' + QString::number(scratch.VoltRange) +
                          QStringLiteral(" Voltage\t") + QString::number(sampling) + u'\t' +
                          QString::number(records));
        index.setNumber += 1;
    }
    return index;
}

std::optional<QByteArray> SetBlock(const QByteArray& rxBuffer, double setNumber) {
    if (!(setNumber >= 1) || setNumber != std::floor(setNumber)) {
        return std::nullopt;
    }
    const Bytes rx(rxBuffer);
    qint64 found = 0;
    qint64 start = 0;
    for (qint64 i = 1; i + 3 <= rx.size(); ++i) {
        if (rx.matches(i, LoggerDump::SetMarker) == 1 && double(++found) == setNumber) {
            start = i;
            break;
        }
    }
    if (start == 0 || start + 4 > rx.size()) {
        return std::nullopt;
    }
    qint64 p = start + 4;  // the sampling byte
    QByteArray block(1, rxBuffer.at(p - 1));
    for (;;) {
        const QByteArray more = rxBuffer.mid(p, 5);  // bytes p+1 to p+5, fewer at the end
        block.append(more);
        p += 5;
        const qint64 b = block.size();
        if (b >= 5 &&
            std::memcmp(block.constData() + b - 5, LoggerDump::SetMarker.constData(), 4) == 0) {
            return block;
        }
        if (more.size() < 5) {
            return std::nullopt;  // no marker before the end of the buffer
        }
    }
}

double BlockRecords(const QByteArray& block) {
    return (double(block.size()) - 6.0) / 5.0;
}

QVector<QStringList> ListRecords(const QByteArray& block, const QString& startStamp,
                                 const std::function<void(qint64)>& progress) {
    const double records = BlockRecords(block);
    const Bytes bytes(block);
    const int sampling = bytes.at(1);
    Meter scratch;
    QVector<QStringList> rows;
    rows.reserve(qMax(0, int(records)));
    TextRules::StampStepper stamp(startStamp);
    for (qint64 k = 1; double(k) <= records; ++k) {
        if (progress) {
            progress(k);
        }
        const auto byte = [&](qint64 pos) { return quint8(bytes.at(pos)); };
        DecodeStatus(scratch, byte(5 * k + 1));
        FormatOhm(scratch, byte(5 * k - 3), byte(5 * k - 2));
        FormatVolt(scratch, byte(5 * k - 1), byte(5 * k));
        rows.append({QString::number(k), TextRules::StampDate(stamp.stamp()),
                     TextRules::StampTime(stamp.stamp()), scratch.OhmText, scratch.VoltText});
        stamp.advance(sampling);
    }
    return rows;
}

}  // namespace LoggerSets
