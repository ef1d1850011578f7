#pragma once

#include <QByteArray>

// A person testing a row of lithium cells one after another with the meter, as the meter would
// send it: each cell held between the probes for a while (a steady reading with a little
// noise), then the probes lifted ("OL", 0 V) while the next cell is taken. Every reading is a
// live 7-byte packet in the 40 mOhm / 4 V ranges; the same time always gives the same packet.
class CellBench {
  public:
    static constexpr double CellSeconds = 24;  // probes on one cell
    static constexpr double GapSeconds = 4;    // probes lifted between two cells

    // The packet the meter sends `seconds` after the first cell was touched.
    static QByteArray packetAt(double seconds);

    // A sorting session of used 18650s in the 400 mOhm / 4 V ranges: the probes open ("OL") for
    // a second, then a touch that jumps for two readings and holds still for two seconds.
    static constexpr double SortOpenSeconds = 1;
    static constexpr double SortHoldSeconds = 2.5;
    static int sortCellCount();
    static QByteArray sortPacketAt(double seconds);

    // 02, resistance count, voltage count (big-endian), status, 03.
    static QByteArray packet(int ohmCount, int voltCount, int status);
};
