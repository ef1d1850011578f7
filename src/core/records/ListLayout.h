#pragma once

#include <QString>

// The five columns of every list of readings (the live list, an opened file, a logger set):
// number, date, time, resistance, voltage. The width of each column is the width of its sample
// text in the window's font.
namespace ListLayout {

constexpr int Columns = 5;
constexpr int Number = 0;
constexpr int Date = 1;
constexpr int Time = 2;
constexpr int Ohm = 3;
constexpr int Volt = 4;

// Headers of the live list and of a logger set; the date and time headers begin with three
// blanks.
inline QString header(int col) {
    static const char* const texts[Columns] = {"No.s", "   Date", "   Time", "Ohm", "Voltage"};
    return QString::fromLatin1(texts[col]);
}

// Headers that the reader of a recording file sets: no leading blanks.
inline QString fileHeader(int col) {
    static const char* const texts[Columns] = {"No.s", "Date", "Time", "Ohm", "Voltage"};
    return QString::fromLatin1(texts[col]);
}

inline QString widthSample(int col) {
    static const char* const texts[Columns] = {" 000000 ", " 0000/00/00 ", " 000:00:00 ",
                                               "AAAAAAAA", "AVOLTAGE"};
    return QString::fromLatin1(texts[col]);
}

}  // namespace ListLayout
