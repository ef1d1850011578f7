#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

// The sets of a downloaded logger dump: the index shown in the data-logger window, the block of
// one set and its records as rows of a list. Positions in comments are 1-based, as the meter's
// documentation counts them. Every read beyond the buffer ends the work as a failure.
namespace LoggerSets {

// N, the logger's end address, from bytes 2 and 3 of the answer (at least 3 bytes).
int EndAddress(const QByteArray& answer);
// E, the number of bytes the meter sends for end address N.
int ExpectedLength(int endAddress);

// "12.5 % Completed" while `received` is at most `expected` (> 0), else "100 % Completed".
QString ProgressText(qint64 received, qint64 expected);
// The free logger memory for end address N: "43.8K".
QString RemainedText(int endAddress);

// The received answer cut to its first E - 1 bytes and closed by a copy of bytes 4 to 8 (the
// first set's marker and sampling byte), so that the last set ends at a marker. Null when
// E < 1.
std::optional<QByteArray> ClosingCopy(const QByteArray& received, qint64 expected);

struct Index {
    QStringList rows;          // one TAB-separated row per set: number, ranges, sampling, records
    double setNumber = 1;      // one above the last set listed
    double setRecords = 0;     // records of the last set counted
    bool failed = false;       // a read beyond the buffer, or a 513th set
    bool tooManySets = false;  // failed at the 513th set
};

// Walks the sets of a closed buffer. The ranges of a row come from the status byte of the set's
// first record, decoded on a scratch reading so that the live reading is left alone.
Index IndexSets(const QByteArray& rxBuffer);

// The block of set `setNumber` (a whole number from 1): its sampling byte, its records and the
// five bytes after them (the next marker and one byte). Null when the buffer holds no such set
// or ends before a marker closes the block.
std::optional<QByteArray> SetBlock(const QByteArray& rxBuffer, double setNumber);

// (B - 6) / 5 for a block of B bytes: the record count, plus 0.8 when the set was ended by the
// end marker and the closing copy.
double BlockRecords(const QByteArray& block);

// The records of a block as list rows: number, date, time, resistance, voltage. The first
// record is stamped `startStamp` ("yyyy/mm/dd hh:nn:ss"); each next one the block's sampling
// byte in seconds later. `progress` hears the number of each record as it is decoded.
QVector<QStringList> ListRecords(const QByteArray& block, const QString& startStamp,
                                 const std::function<void(qint64)>& progress = {});

}  // namespace LoggerSets
