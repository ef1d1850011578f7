#include "CellBench.h"

#include <cmath>

namespace {

constexpr int Ranges40mOhm4V = 0x03;
constexpr int OhmOverload = 0x10;

struct Cell {
    int ohmCount;   // 0.01 mOhm in the 40 mOhm range
    int voltCount;  // 1 mV in the 4 V range
};

// 18650 cells of one batch and two tired ones.
constexpr Cell Cells[] = {
    {1850, 3912}, {1794, 3921}, {2436, 3874}, {1903, 3908}, {1822, 3915}, {3107, 3702},
    {1876, 3911}, {1911, 3906}, {1788, 3919}, {2054, 3893}, {1867, 3910}, {1829, 3914},
};
constexpr int CellCount = int(sizeof(Cells) / sizeof(Cells[0]));

constexpr int Ranges400mOhm4V = 0x02;

// Used cells out of laptop packs, in 0.1 mOhm and 1 mV counts: good ones, a worn one, a tired
// one and one run flat.
constexpr Cell SortCells[] = {
    {382, 3912}, {417, 3905}, {724, 3874}, {368, 3918}, {886, 3411}, {371, 412}, {335, 3902},
};
constexpr int SortCellCount = int(sizeof(SortCells) / sizeof(SortCells[0]));

// A few counts of noise, the same for the same time.
int noise(double seconds, double rate, int size) {
    return int(std::lround(size * std::sin(seconds * rate) * std::cos(seconds * rate * 0.37)));
}

}  // namespace

QByteArray CellBench::packet(int ohmCount, int voltCount, int status) {
    QByteArray bytes;
    bytes.append(char(0x02));
    bytes.append(char(ohmCount >> 8)).append(char(ohmCount & 0xFF));
    bytes.append(char(voltCount >> 8)).append(char(voltCount & 0xFF));
    bytes.append(char(status)).append(char(0x03));
    return bytes;
}

QByteArray CellBench::packetAt(double seconds) {
    const double period = CellSeconds + GapSeconds;
    const int index = int(std::floor(seconds / period));
    const double into = seconds - index * period;
    if (into >= CellSeconds) {
        return packet(0, 0, Ranges40mOhm4V | OhmOverload);
    }
    const Cell& cell = Cells[index % CellCount];
    // The reading settles in the first second after the probes touch.
    const int settle = into < 1 ? int(std::lround((1 - into) * 60)) : 0;
    return packet(cell.ohmCount + settle + noise(seconds, 2.3, 3),
                  cell.voltCount + noise(seconds, 1.7, 1), Ranges40mOhm4V);
}

int CellBench::sortCellCount() {
    return SortCellCount;
}

QByteArray CellBench::sortPacketAt(double seconds) {
    const double period = SortOpenSeconds + SortHoldSeconds;
    const int index = int(std::floor(seconds / period));
    const double into = seconds - index * period;
    if (index >= SortCellCount || into < SortOpenSeconds) {
        return packet(0, 0, Ranges400mOhm4V | OhmOverload);
    }
    const Cell& cell = SortCells[index];
    // The first half second of a touch jumps as the probes bite.
    const int bounce = into - SortOpenSeconds < 0.5 ? 90 - int((into - SortOpenSeconds) * 100) : 0;
    return packet(cell.ohmCount + bounce + noise(seconds, 2.3, 1), cell.voltCount, Ranges400mOhm4V);
}
