#pragma once

#include <QString>
#include <QtGlobal>

#include "core/state/State.h"

// Decoding of the meter's readings: the live packets and the logger's records use the same
// bytes (two resistance count bytes, two voltage count bytes, a status byte). Call DecodeStatus
// first: the two format routines read the ranges it writes.

void DecodeStatus(Meter& meter, quint8 status);
void FormatOhm(Meter& meter, quint8 high, quint8 low);
void FormatVolt(Meter& meter, quint8 high, quint8 low);

// The four-digit display text of a count with `digits` digits before the decimal point: only
// the last four decimal digits are ever shown (12345 on two digits gives "23.45").
QString CountText(int count, int digits);

// A live packet: 02, resistance high, low, voltage high, low, status, 03.
constexpr int PacketSize = 7;
constexpr quint8 PacketStart = 0x02;
constexpr quint8 PacketEnd = 0x03;
bool IsFramedPacket(const QByteArray& bytes);
// Decodes a framed packet into the reading.
void DecodePacket(Meter& meter, const QByteArray& packet);
