#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// The data logger's answer to the request byte 0x55: byte 1 (not interpreted), N (the end
// address, big-endian), the sets one after the other (marker 00 55 AA 00, sampling byte, 5-byte
// records), EndMarker 03 03 03 03 where present, and one last byte. The meter sends
// E = N - 17148 bytes in all, of which the program keeps the first E - 1.
namespace LoggerDump {

constexpr quint8 RequestByte = 0x55;
constexpr int AddressBase = 17148;   // 0x42FC: N - AddressBase is the length of the answer
constexpr int EmptyAddress = 17152;  // 0x4300: a logger that holds no set
constexpr int MemoryTop = 65285;     // 0xFF05: free memory is MemoryTop - N
constexpr int MaxSets = 512;
inline const QByteArray SetMarker = QByteArray::fromHex("0055aa00");
inline const QByteArray EndMarker = QByteArray::fromHex("03030303");

struct Record {
    quint16 ohmCount = 0;
    quint16 voltCount = 0;
    quint8 status = 0;
};

struct Set {
    quint8 sampling = 1;  // seconds between records
    QVector<Record> records;
};

// The bytes a meter holding these sets sends.
QByteArray build(const QVector<Set>& sets, bool endMarker = true);

}  // namespace LoggerDump
