// The data logger's answer as the download keeps it: N and E from its first bytes, the progress
// and free-memory texts, the closing copy, the set index, and for the first sets (and one past
// the last) the set block and its records as list rows.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "core/logger/LoggerDump.h"
#include "core/logger/LoggerSets.h"
#include "platform/TextRules.h"

namespace {

const QString Start = QStringLiteral("2021/12/31 23:59:50");

void checkBlock(const QByteArray& rx, double setNumber) {
    const auto block = LoggerSets::SetBlock(rx, setNumber);
    if (!block) {
        return;
    }
    // The sampling byte, the records, then the marker that closed the block and one byte. The
    // last five bytes read may be fewer (the buffer ended), so the records need not be whole.
    const qsizetype b = block->size();
    FUZZ_CHECK(b >= 5);
    FUZZ_CHECK(block->mid(b - 5, 4) == LoggerDump::SetMarker);

    const double records = LoggerSets::BlockRecords(*block);
    const QVector<QStringList> rows = LoggerSets::ListRecords(*block, Start);
    FUZZ_CHECK(rows.size() == qMax(0, int(std::floor(records))));
    for (qsizetype k = 0; k < rows.size(); ++k) {
        const QStringList& row = rows.at(k);
        FUZZ_CHECK(row.size() == 5);
        FUZZ_CHECK(row.at(0) == QString::number(k + 1));
        FUZZ_CHECK(row.at(1).size() == 10 && row.at(2).size() == 8);
        FUZZ_CHECK(!row.at(3).isEmpty() && !row.at(4).isEmpty());
    }
    if (!rows.isEmpty()) {
        // One sampling interval (the block's first byte) from each record to the next.
        const qint64 span = qint64(rows.size() - 1) * quint8(block->at(0));
        FUZZ_CHECK(rows.last().at(1) + u' ' + rows.last().at(2) ==
                   TextRules::AddSeconds(Start, span));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray received(reinterpret_cast<const char*>(data), qsizetype(size));
    if (received.size() < 3) {
        return 0;  // N cannot be read: the download fails
    }
    const int n = LoggerSets::EndAddress(received);
    FUZZ_CHECK(n >= 0 && n <= 0xFFFF);
    const qint64 e = LoggerSets::ExpectedLength(n);
    if (e == 0) {
        return 0;  // the download fails
    }
    if (e > 0) {
        const QString progress = LoggerSets::ProgressText(received.size(), e);
        FUZZ_CHECK(progress.endsWith(QStringLiteral(" % Completed")));
        FUZZ_CHECK(received.size() > e || progress.size() <= 17);
    }
    FUZZ_CHECK(LoggerSets::RemainedText(n).endsWith(u'K'));
    if (e == 4) {
        return 0;  // an empty logger
    }

    const auto closed = LoggerSets::ClosingCopy(received, e);
    FUZZ_CHECK(closed.has_value() == (e >= 1));
    if (!closed) {
        return 0;
    }
    FUZZ_CHECK(closed->size() ==
               qMin<qint64>(received.size(), e - 1) + qMin<qint64>(5, received.size() - 3));

    const LoggerSets::Index index = LoggerSets::IndexSets(*closed);
    FUZZ_CHECK(index.rows.size() <= LoggerDump::MaxSets);
    FUZZ_CHECK(index.setNumber == double(index.rows.size() + 1));
    for (qsizetype r = 0; r < index.rows.size(); ++r) {
        const QStringList cells = index.rows.at(r).split(u'\t');
        FUZZ_CHECK(cells.size() == 5);
        FUZZ_CHECK(cells.at(0) == QString::number(r + 1));
        FUZZ_CHECK(cells.at(4).toInt() >= 1);
    }

    // A click on a row lists its set; rows past the last and numbers that are no row list none.
    const qsizetype sets = index.rows.size();
    for (qsizetype s = 1; s <= qMin<qsizetype>(sets, 4); ++s) {
        checkBlock(*closed, double(s));
    }
    checkBlock(*closed, double(sets));
    checkBlock(*closed, double(sets + 1));
    for (const double notARow : {0.0, -1.0, 1.5, std::nan("")}) {
        FUZZ_CHECK(!LoggerSets::SetBlock(*closed, notARow));
    }
    return 0;
}
