#pragma once

#include <QByteArray>
#include <QStringList>

#include "core/logger/LoggerDump.h"
#include "core/logger/LoggerSets.h"

// Logger sets for the tests, built by the one dump builder.
namespace LoggerTestData {

// `count` records of one status byte with counts that differ per record.
inline LoggerDump::Set MakeSet(quint8 sampling, quint8 status, int count) {
    LoggerDump::Set set;
    set.sampling = sampling;
    for (int k = 1; k <= count; ++k) {
        set.records.append({quint16(1000 + k), quint16(1200 + k), status});
    }
    return set;
}

// 400 milliohm / 40 V sampled every 10 s (status 0x06); 40 milliohm / 4 V every second (0x03);
// 4 ohm / 40 V every minute (0x05).
inline QVector<LoggerDump::Set> ThreeSets() {
    return {MakeSet(10, 0x06, 25), MakeSet(1, 0x03, 3), MakeSet(60, 0x05, 2)};
}
inline QStringList ThreeSetRows() {
    return {QStringLiteral("1\t400m Ohm\t40 Voltage\t10\t25"),
            QStringLiteral("2\t40m Ohm\t4 Voltage\t1\t3"),
            QStringLiteral("3\t4 Ohm\t40 Voltage\t60\t2")};
}

// The dump as the download keeps it: cut to E - 1 bytes and closed by the closing copy.
inline QByteArray Closed(const QByteArray& dump) {
    const int expected = LoggerSets::ExpectedLength(LoggerSets::EndAddress(dump));
    return LoggerSets::ClosingCopy(dump, expected).value_or(QByteArray());
}

}  // namespace LoggerTestData
