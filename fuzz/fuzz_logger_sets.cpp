// A logger holding any sets, as the meter sends it (LoggerDump::build), through the download's
// closing copy, the set index and the listing of each set: every set must come back with its
// sampling interval, its ranges, its record count and each record's reading.
//
// Input: one byte of flags (bit 0: the end marker after the last set), then sets, each a sampling
// byte, a count byte (1 to 32 records) and five bytes a record (resistance count, voltage count,
// status). A set cut short by the end of the input is dropped.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "core/logger/LoggerDump.h"
#include "core/logger/LoggerSets.h"
#include "core/meter/Decode.h"
#include "core/state/State.h"

namespace {

QVector<LoggerDump::Set> ReadSets(const uint8_t* data, size_t size) {
    QVector<LoggerDump::Set> sets;
    size_t at = 1;
    while (at + 2 <= size) {
        LoggerDump::Set set;
        set.sampling = data[at];
        const size_t count = 1 + data[at + 1] % 32;
        at += 2;
        if (at + 5 * count > size) {
            break;
        }
        for (size_t k = 0; k < count; ++k, at += 5) {
            set.records.append({quint16(data[at] << 8 | data[at + 1]),
                                quint16(data[at + 2] << 8 | data[at + 3]), data[at + 4]});
        }
        sets.append(set);
    }
    return sets;
}

// Where the sets begin in the dump (0-based); false when the marker also turns up elsewhere,
// inside the readings, where no reader could tell it from a set's start.
bool MarkersOnlyAtSets(const QByteArray& dump, const QVector<LoggerDump::Set>& sets) {
    qsizetype expected = 3;
    qsizetype found = 0;
    for (qsizetype at = dump.indexOf(LoggerDump::SetMarker); at >= 0;
         at = dump.indexOf(LoggerDump::SetMarker, at + 1)) {
        if (found >= sets.size() || at != expected) {
            return false;
        }
        expected += 5 + 5 * sets.at(found).records.size();
        ++found;
    }
    return true;
}

QString RowOf(int number, const LoggerDump::Set& set) {
    Meter meter;
    DecodeStatus(meter, set.records.first().status);
    return QString::number(number) + u'\t' + QString::number(meter.OhmRange) +
           (meter.MilliOhmUnit ? QStringLiteral("m Ohm") : QStringLiteral(" Ohm")) + u'\t' +
           QString::number(meter.VoltRange) + QStringLiteral(" Voltage\t") +
           QString::number(set.sampling) + u'\t' + QString::number(set.records.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const bool endMarker = (data[0] & 1) != 0;
    const QVector<LoggerDump::Set> sets = ReadSets(data, size);
    if (sets.isEmpty()) {
        return 0;
    }
    const QByteArray dump = LoggerDump::build(sets, endMarker);
    if (dump.size() > 0xFFFF - LoggerDump::AddressBase || !MarkersOnlyAtSets(dump, sets)) {
        return 0;
    }
    const int e = LoggerSets::ExpectedLength(LoggerSets::EndAddress(dump));
    FUZZ_CHECK(e == dump.size());
    const auto closed = LoggerSets::ClosingCopy(dump, e);
    FUZZ_CHECK(closed.has_value());

    const LoggerSets::Index index = LoggerSets::IndexSets(*closed);
    const qsizetype listed = qMin<qsizetype>(sets.size(), LoggerDump::MaxSets);
    FUZZ_CHECK(index.failed == (sets.size() > LoggerDump::MaxSets));
    FUZZ_CHECK(index.rows.size() == listed);
    for (qsizetype s = 0; s < listed; ++s) {
        FUZZ_CHECK(index.rows.at(s) == RowOf(int(s + 1), sets.at(s)));
    }

    // The listing of the first sets and the last one (each listing walks the buffer).
    for (qsizetype s = 0; s < listed; s = (s < 2 || s == listed - 1) ? s + 1 : listed - 1) {
        const auto block = LoggerSets::SetBlock(*closed, double(s + 1));
        FUZZ_CHECK(block.has_value());
        const QVector<LoggerDump::Record>& records = sets.at(s).records;
        const QVector<QStringList> rows =
            LoggerSets::ListRecords(*block, QStringLiteral("2021/07/01 10:20:30"));
        FUZZ_CHECK(rows.size() == records.size());
        for (qsizetype k = 0; k < records.size(); ++k) {
            const LoggerDump::Record& r = records.at(k);
            Meter meter;
            DecodeStatus(meter, r.status);
            FormatOhm(meter, quint8(r.ohmCount >> 8), quint8(r.ohmCount & 0xFF));
            FormatVolt(meter, quint8(r.voltCount >> 8), quint8(r.voltCount & 0xFF));
            FUZZ_CHECK(rows.at(k).at(3) == meter.OhmText && rows.at(k).at(4) == meter.VoltText);
        }
    }
    return 0;
}
