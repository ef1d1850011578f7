#include "LiveReading.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/meter/Decode.h"

namespace {

struct OhmScale {
    double countsPerMilliOhm;
    double fullScaleMilliOhm;
};

// By resistance range code: 40 Ohm, 4 Ohm, 400 mOhm, 40 mOhm, each on four digits.
constexpr OhmScale OhmScales[4] = {
    {0.1, 40000.0},
    {1.0, 4000.0},
    {10.0, 400.0},
    {100.0, 40.0},
};

quint16 ToCount(double value) {
    return quint16(std::clamp(std::lround(value), 0L, 65535L));
}

}  // namespace

void LiveReading::setRange(int ohmCode, bool volt40) {
    status_ = quint8((status_ & ~(OhmRangeBits | Volt40Bit)) | (ohmCode & OhmRangeBits) |
                     (volt40 ? Volt40Bit : 0));
}

void LiveReading::setFlag(quint8 bit, bool on) {
    status_ = on ? quint8(status_ | bit) : quint8(status_ & ~bit);
}

void LiveReading::setCounts(quint16 ohm, quint16 volt) {
    ohm_ = ohm;
    volt_ = volt;
    drift_ = false;
}

double LiveReading::BatteryMilliOhm(double seconds) {
    // Between about 12 and 25 mOhm: a slow swing over five minutes and a small faster one.
    constexpr double tau = 2.0 * std::numbers::pi;
    return 18.5 + 6.0 * std::sin(tau * seconds / 300.0) + 0.5 * std::sin(tau * seconds / 37.0);
}

double LiveReading::BatteryVolt(double seconds) {
    // Discharges by 0.3 mV a second from 3.90 V; after 1000 s a fresh battery goes in.
    return 3.90 - 0.0003 * std::fmod(seconds, 1000.0);
}

double LiveReading::OhmFullScale(quint8 status) {
    return OhmScales[status & OhmRangeBits].fullScaleMilliOhm;
}

double LiveReading::OhmCount(quint8 status) {
    return 1.0 / OhmScales[status & OhmRangeBits].countsPerMilliOhm;
}

LiveReading::Sample LiveReading::InRange(double milliOhm, double volt, quint8 status) {
    const OhmScale& ohm = OhmScales[status & OhmRangeBits];
    const bool volt40 = (status & Volt40Bit) != 0;
    Sample s;
    s.status = status;
    s.ohm = ToCount(milliOhm * ohm.countsPerMilliOhm);
    s.volt = ToCount(std::abs(volt) * (volt40 ? 100.0 : 1000.0));
    if (milliOhm >= ohm.fullScaleMilliOhm) {
        s.status |= OhmOverloadBit;
    }
    if (std::abs(volt) >= (volt40 ? 40.0 : 4.0)) {
        s.status |= VoltOverloadBit;
    }
    return s;
}

LiveReading::Sample LiveReading::sample(double seconds) {
    if (!drift_) {
        return {ohm_, volt_, status_};
    }
    // Noise of about ±0.05 mOhm and ±0.5 mV, as the last digit of a real meter flickers.
    const double milliOhm = BatteryMilliOhm(seconds) + (noise_.generateDouble() - 0.5) * 0.1;
    const double volt = BatteryVolt(seconds) + (noise_.generateDouble() - 0.5) * 0.001;
    return InRange(milliOhm, volt, status_);
}

QByteArray LiveReading::Packet(const Sample& s, quint8 start, quint8 end) {
    const char bytes[PacketSize] = {char(start),       char(s.ohm >> 8),    char(s.ohm & 0xff),
                                    char(s.volt >> 8), char(s.volt & 0xff), char(s.status),
                                    char(end)};
    return QByteArray(bytes, PacketSize);
}
