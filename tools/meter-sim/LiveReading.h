#pragma once

#include <QByteArray>
#include <QRandomGenerator>
#include <QtGlobal>

// What the meter measures and how it shows it: the status byte (ranges and flags) and the two
// counts, either fixed or taken from a battery that drifts slowly with a little noise. The
// drifting battery is worked out in the range the status byte selects, as the meter would.
class LiveReading {
  public:
    // Status byte bits.
    static constexpr quint8 OhmRangeBits = 0x03;
    static constexpr quint8 Volt40Bit = 0x04;
    static constexpr quint8 OhmOverloadBit = 0x10;
    static constexpr quint8 VoltOverloadBit = 0x20;
    static constexpr quint8 NegativeBit = 0x40;
    static constexpr quint8 NoReadingBit = 0x80;

    // Without options: 40 mOhm and 4 V ranges.
    static constexpr quint8 DefaultStatus = 0x03;
    // The fixed counts used when only some of them are given: 18.50 mOhm, 3.700 V.
    static constexpr quint16 DefaultOhm = 1850;
    static constexpr quint16 DefaultVolt = 3700;

    struct Sample {
        quint16 ohm = 0;
        quint16 volt = 0;
        quint8 status = 0;
    };

    explicit LiveReading(quint32 seed = 1) : noise_(seed) {}

    quint8 status() const { return status_; }
    bool drifting() const { return drift_; }

    void setStatus(quint8 status) { status_ = status; }
    void setRange(int ohmCode, bool volt40);
    void setFlag(quint8 bit, bool on);
    void setCounts(quint16 ohm, quint16 volt);
    void setDrift(bool on) { drift_ = on; }

    // The reading `seconds` after the meter was switched on.
    Sample sample(double seconds);

    // The battery alone, without noise: resistance in milliohm and voltage in volt.
    static double BatteryMilliOhm(double seconds);
    static double BatteryVolt(double seconds);
    // The counts that show a value in the ranges of `status`; the overload bit is set in the
    // result when the value is beyond the range.
    static Sample InRange(double milliOhm, double volt, quint8 status);
    // The resistance range of `status`: its full scale and one count, in milliohm.
    static double OhmFullScale(quint8 status);
    static double OhmCount(quint8 status);

    static QByteArray Packet(const Sample& s, quint8 start = 0x02, quint8 end = 0x03);

  private:
    quint8 status_ = DefaultStatus;
    quint16 ohm_ = DefaultOhm;
    quint16 volt_ = DefaultVolt;
    bool drift_ = true;
    QRandomGenerator noise_;
};
