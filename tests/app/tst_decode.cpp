#include <QTest>

#include "core/meter/Decode.h"
#include "core/meter/PacketWait.h"
#include "tst_app.h"

void TestDecode::decodeStatus_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("rangeCode");
    QTest::addColumn<int>("ohmRange");
    QTest::addColumn<bool>("milliOhm");
    QTest::addColumn<int>("ohmDigits");
    QTest::addColumn<int>("voltRange");
    QTest::addColumn<int>("voltDigits");
    // Flags: O = ohm overload, V = volt overload, N = negative, D = no resistance reading.
    QTest::addColumn<QString>("flags");

    QTest::newRow("0x00 40 ohm, 4 V") << 0x00 << 0 << 40 << false << 2 << 4 << 1 << "";
    QTest::newRow("0x01 4 ohm") << 0x01 << 1 << 4 << false << 1 << 4 << 1 << "";
    QTest::newRow("0x02 400 mohm") << 0x02 << 2 << 400 << true << 3 << 4 << 1 << "";
    QTest::newRow("0x03 40 mohm") << 0x03 << 3 << 40 << true << 2 << 4 << 1 << "";
    QTest::newRow("0x04 40 V") << 0x04 << 4 << 40 << false << 2 << 40 << 2 << "";
    QTest::newRow("0x05") << 0x05 << 5 << 4 << false << 1 << 40 << 2 << "";
    QTest::newRow("0x06") << 0x06 << 6 << 400 << true << 3 << 40 << 2 << "";
    QTest::newRow("0x07") << 0x07 << 7 << 40 << true << 2 << 40 << 2 << "";
    QTest::newRow("0x08 bit 3 unused") << 0x08 << 0 << 40 << false << 2 << 4 << 1 << "";
    QTest::newRow("0x10 ohm overload") << 0x10 << 0 << 40 << false << 2 << 4 << 1 << "O";
    QTest::newRow("0x20 volt overload") << 0x20 << 0 << 40 << false << 2 << 4 << 1 << "V";
    QTest::newRow("0x40 negative") << 0x40 << 0 << 40 << false << 2 << 4 << 1 << "N";
    QTest::newRow("0x80 no reading") << 0x80 << 0 << 40 << false << 2 << 4 << 1 << "D";
    QTest::newRow("0x90") << 0x90 << 0 << 40 << false << 2 << 4 << 1 << "OD";
    QTest::newRow("0xFF all") << 0xFF << 7 << 40 << true << 2 << 40 << 2 << "OVND";
}

void TestDecode::decodeStatus() {
    QFETCH(int, status);
    QFETCH(int, rangeCode);
    QFETCH(int, ohmRange);
    QFETCH(bool, milliOhm);
    QFETCH(int, ohmDigits);
    QFETCH(int, voltRange);
    QFETCH(int, voltDigits);
    QFETCH(QString, flags);

    Meter meter;
    // Whatever an earlier reading left must not leak into this one.
    DecodeStatus(meter, 0xFF);
    DecodeStatus(meter, quint8(status));
    QCOMPARE(meter.RangeCode, rangeCode);
    QCOMPARE(meter.OhmRange, ohmRange);
    QCOMPARE(meter.MilliOhmUnit, milliOhm);
    QCOMPARE(meter.OhmDigits, float(ohmDigits));
    QCOMPARE(meter.VoltRange, voltRange);
    QCOMPARE(meter.VoltDigits, float(voltDigits));
    QCOMPARE(meter.OhmOverload, flags.contains(u'O'));
    QCOMPARE(meter.VoltOverload, flags.contains(u'V'));
    QCOMPARE(meter.VoltNegative, flags.contains(u'N'));
    QCOMPARE(meter.OhmNoReading, flags.contains(u'D'));
    QCOMPARE(meter.OhmLimitMax, ohmRange);
    QCOMPARE(meter.OhmLimitMin, 0);
    QCOMPARE(meter.VoltLimitMax, voltRange);
    QCOMPARE(meter.VoltLimitMin, -voltRange);
}

void TestDecode::countText_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("text");
    QTest::newRow("1234 d1") << 1234 << 1 << "1.234";
    QTest::newRow("1234 d2") << 1234 << 2 << "12.34";
    QTest::newRow("1234 d3") << 1234 << 3 << "123.4";
    QTest::newRow("56 d1") << 56 << 1 << "0.056";
    QTest::newRow("56 d2 zeros go") << 56 << 2 << "0.56";
    QTest::newRow("56 d3") << 56 << 3 << "5.6";
    QTest::newRow("0 d1") << 0 << 1 << "0.000";
    QTest::newRow("0 d2") << 0 << 2 << "0.00";
    QTest::newRow("0 d3") << 0 << 3 << "0.0";
    QTest::newRow("7 d3") << 7 << 3 << "0.7";
    QTest::newRow("1005 d3 inner zeros kept") << 1005 << 3 << "100.5";
    QTest::newRow("100 d1 trailing zeros kept") << 100 << 1 << "0.100";
    QTest::newRow("9999 d2") << 9999 << 2 << "99.99";
    QTest::newRow("10000 last four digits") << 10000 << 2 << "0.00";
    QTest::newRow("12345 d1") << 12345 << 1 << "2.345";
    QTest::newRow("12345 d2") << 12345 << 2 << "23.45";
    QTest::newRow("65535 d3") << 65535 << 3 << "553.5";
}

void TestDecode::countText() {
    QFETCH(int, count);
    QFETCH(int, digits);
    QFETCH(QString, text);
    QCOMPARE(CountText(count, digits), text);
}

void TestDecode::packet_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("ohm");
    QTest::addColumn<QString>("volt");
    QTest::addColumn<bool>("milliOhm");
    QTest::addColumn<int>("rangeCode");

    const auto packet = [](int ohm, int volt, int status) {
        QByteArray b;
        b.append(char(0x02)).append(char(ohm >> 8)).append(char(ohm & 0xFF));
        b.append(char(volt >> 8)).append(char(volt & 0xFF)).append(char(status)).append(char(0x03));
        return b;
    };
    QTest::newRow("02 04 D2 00 38 03 03") << QByteArray::fromHex("0204D200380303") << "12.34"
                                          << "0.056" << true << 3;
    QTest::newRow("0x00 zero counts") << packet(0, 0, 0x00) << "0.00"
                                      << "0.000" << false << 0;
    QTest::newRow("0x07") << packet(1234, 1234, 0x07) << "12.34"
                          << "12.34" << true << 7;
    QTest::newRow("0x80 whatever the count") << packet(1234, 56, 0x80) << "----"
                                             << "0.056" << false << 0;
    QTest::newRow("0x90 bit 7 wins") << packet(1234, 56, 0x90) << "----"
                                     << "0.056" << false << 0;
    QTest::newRow("0x10 ohm overload") << packet(1234, 56, 0x10) << "OL"
                                       << "0.056" << false << 0;
    QTest::newRow("0x20 volt overload") << packet(1234, 1234, 0x20) << "12.34"
                                        << "OL" << false << 0;
    QTest::newRow("0x60 -OL") << packet(1234, 1234, 0x60) << "12.34"
                              << "-OL" << false << 0;
    QTest::newRow("0x40 -1.234") << packet(0, 1234, 0x40) << "0.00"
                                 << "-1.234" << false << 0;
    QTest::newRow("0x44 -12.34") << packet(0, 1234, 0x44) << "0.00"
                                 << "-12.34" << false << 4;
    QTest::newRow("0x40 negative zero") << packet(0, 0, 0x40) << "0.00"
                                        << "-0.000" << false << 0;
    QTest::newRow("0x08 as 0x00") << packet(0, 0, 0x08) << "0.00"
                                  << "0.000" << false << 0;
    QTest::newRow("12345 on 4 ohm") << packet(12345, 0, 0x01) << "2.345"
                                    << "0.000" << false << 1;
    QTest::newRow("65535 on 400 mohm") << packet(65535, 65535, 0x06) << "553.5"
                                       << "55.35" << true << 6;
}

void TestDecode::packet() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, ohm);
    QFETCH(QString, volt);
    QFETCH(bool, milliOhm);
    QFETCH(int, rangeCode);

    QVERIFY(IsFramedPacket(bytes));
    Meter meter;
    DecodePacket(meter, bytes);
    QCOMPARE(meter.OhmText, ohm);
    QCOMPARE(meter.VoltText, volt);
    QCOMPARE(meter.MilliOhmUnit, milliOhm);
    QCOMPARE(meter.RangeCode, rangeCode);
}

void TestDecode::framing_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("framed");
    QTest::newRow("packet") << QByteArray::fromHex("0204D200380303") << true;
    QTest::newRow("start 01") << QByteArray::fromHex("0104D200380303") << false;
    QTest::newRow("start 03") << QByteArray::fromHex("0304D200380303") << false;
    QTest::newRow("end 02") << QByteArray::fromHex("0204D200380302") << false;
    QTest::newRow("end 00") << QByteArray::fromHex("0204D200380300") << false;
    QTest::newRow("six bytes") << QByteArray::fromHex("02D200380303") << false;
    QTest::newRow("eight bytes") << QByteArray::fromHex("0204D20038030303") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestDecode::framing() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, framed);
    QCOMPARE(IsFramedPacket(bytes), framed);
}

using Chunks = QList<QByteArray>;
Q_DECLARE_METATYPE(PacketWait::Outcome)

void TestDecode::packetWait_data() {
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<int>("endsAt");  // the chunk after which the wait ends early; -1: never
    QTest::addColumn<PacketWait::Outcome>("outcome");
    const QByteArray p = QByteArray::fromHex("0204D200380303");
    using O = PacketWait::Outcome;
    QTest::newRow("at once") << Chunks{p} << 0 << O::Packet;
    QTest::newRow("3 + 4") << Chunks{p.left(3), p.mid(3)} << 1 << O::Packet;
    QTest::newRow("byte by byte") << Chunks{p.left(1),   p.mid(1, 1), p.mid(2, 1), p.mid(3, 1),
                                            p.mid(4, 1), p.mid(5, 1), p.mid(6)}
                                  << 6 << O::Packet;
    QTest::newRow("empty chunks between") << Chunks{{}, p.left(2), {}, p.mid(2)} << 3 << O::Packet;
    QTest::newRow("start 01") << Chunks{QByteArray::fromHex("0104D200380303")} << 0 << O::Misframed;
    QTest::newRow("end 02") << Chunks{QByteArray::fromHex("0204D200380302")} << 0 << O::Misframed;
    QTest::newRow("six bytes") << Chunks{p.left(6)} << -1 << O::NoPacket;
    QTest::newRow("eight at once") << Chunks{p + p.left(1)} << -1 << O::NoPacket;
    // Five and three never make seven: the wait runs out.
    QTest::newRow("5 + 3") << Chunks{p.left(5), p.mid(5) + p.left(1)} << -1 << O::NoPacket;
    // Once past a packet, no later count is exactly one.
    QTest::newRow("two packets, then one") << Chunks{p + p, p} << -1 << O::NoPacket;
    QTest::newRow("nothing") << Chunks{} << -1 << O::NoPacket;
}

void TestDecode::packetWait() {
    QFETCH(Chunks, chunks);
    QFETCH(int, endsAt);
    QFETCH(PacketWait::Outcome, outcome);

    PacketWait wait;
    // A wait that ended with bytes must leave none for the next.
    wait.beginTick();
    wait.arrive(QByteArray::fromHex("02020202"));
    QCOMPARE(wait.end(), PacketWait::Outcome::NoPacket);
    wait.beginTick();

    int ended = -1;
    for (int i = 0; i < chunks.size() && ended < 0; ++i) {
        if (wait.arrive(chunks.at(i))) {
            ended = i;
        }
    }
    QCOMPARE(ended, endsAt);
    QCOMPARE(wait.end(), outcome);
    if (outcome == PacketWait::Outcome::Packet) {
        QCOMPARE(wait.packet(), QByteArray::fromHex("0204D200380303"));
    }
    QCOMPARE(wait.failedWaits(), outcome == PacketWait::Outcome::NoPacket ? 1 : 0);
}

void TestDecode::fifthWaitIsNoData() {
    const QByteArray p = QByteArray::fromHex("0204D200380303");
    PacketWait wait;
    wait.beginTick();
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(wait.end(), PacketWait::Outcome::NoPacket);
    }
    // A misframed packet is no failed wait: the count starts again.
    QVERIFY(wait.arrive(QByteArray::fromHex("0004D200380303")));
    QCOMPARE(wait.end(), PacketWait::Outcome::Misframed);
    QCOMPARE(wait.failedWaits(), 0);
    for (int i = 0; i < PacketWait::RetriedWaits; ++i) {
        QCOMPARE(wait.end(), PacketWait::Outcome::NoPacket);
    }
    // The fifth wait's packet is not used.
    QVERIFY(wait.arrive(p));
    QCOMPARE(wait.end(), PacketWait::Outcome::NoData);
    // The next tick starts counting afresh.
    wait.beginTick();
    QVERIFY(wait.arrive(p));
    QCOMPARE(wait.end(), PacketWait::Outcome::Packet);
}
