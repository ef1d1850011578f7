#include "core/meter/Decode.h"

#include <QByteArray>

namespace {

struct OhmRangeRow {
    qint16 range;
    bool milliOhm;
    int digits;
};

// By resistance range code, bits 0-1 of the status byte.
constexpr OhmRangeRow OhmRanges[4] = {
    {40, false, 2},
    {4, false, 1},
    {400, true, 3},
    {40, true, 2},
};

}  // namespace

void DecodeStatus(Meter& meter, quint8 status) {
    meter.RangeCode = qint16(status % 8);
    const OhmRangeRow& ohm = OhmRanges[status % 4];
    meter.OhmRange = ohm.range;
    meter.MilliOhmUnit = ohm.milliOhm;
    meter.OhmDigits = float(ohm.digits);
    const bool fortyVolt = (status & 0x04) != 0;
    meter.VoltRange = fortyVolt ? 40 : 4;
    meter.VoltDigits = fortyVolt ? 2.0f : 1.0f;
    meter.OhmOverload = (status & 0x10) != 0;
    meter.VoltOverload = (status & 0x20) != 0;
    meter.VoltNegative = (status & 0x40) != 0;
    meter.OhmNoReading = (status & 0x80) != 0;
    meter.OhmLimitMax = meter.OhmRange;
    meter.OhmLimitMin = 0;
    meter.VoltLimitMax = meter.VoltRange;
    meter.VoltLimitMin = qint16(-meter.VoltRange);
}

QString CountText(int count, int digits) {
    const QString four = (QStringLiteral("000") + QString::number(count)).right(4);
    const int whole = four.left(digits).toInt();
    return QString::number(whole) + u'.' + four.mid(digits);
}

void FormatOhm(Meter& meter, quint8 high, quint8 low) {
    if (meter.OhmNoReading) {
        meter.OhmText = QStringLiteral("----");
    } else if (meter.OhmOverload) {
        meter.OhmText = QStringLiteral("OL");
    } else {
        meter.OhmText = CountText(high * 256 + low, int(meter.OhmDigits));
    }
}

void FormatVolt(Meter& meter, quint8 high, quint8 low) {
    QString text = meter.VoltOverload ? QStringLiteral("OL")
                                      : CountText(high * 256 + low, int(meter.VoltDigits));
    if (meter.VoltNegative) {
        text.prepend(u'-');
    }
    meter.VoltText = text;
}

bool IsFramedPacket(const QByteArray& bytes) {
    return bytes.size() == PacketSize && quint8(bytes.at(0)) == PacketStart &&
           quint8(bytes.at(PacketSize - 1)) == PacketEnd;
}

void DecodePacket(Meter& meter, const QByteArray& packet) {
    const auto byte = [&](int i) { return quint8(packet.at(i)); };
    DecodeStatus(meter, byte(5));
    FormatOhm(meter, byte(1), byte(2));
    FormatVolt(meter, byte(3), byte(4));
}
