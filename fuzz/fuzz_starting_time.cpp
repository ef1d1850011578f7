// The starting time a person types for a logger set, any text at all.

#include <QDate>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "core/logger/StartingTime.h"
#include "platform/TextRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString answer = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDate today(2024, 2, 29);
    const auto stamp = StartingTime::Parse(answer, today);

    // Blanks before the year change nothing: every field is found from the separators.
    FUZZ_CHECK(StartingTime::Parse(u' ' + answer, today) == stamp);
    // A whole stamp of a year after 12 stands as it is.
    const auto exact = TextRules::ParseStamp(answer);
    if (exact && exact->date().year() > 12) {
        FUZZ_CHECK(stamp == answer);
    }
    if (!stamp) {
        return 0;
    }
    FUZZ_CHECK(stamp->size() == 19);
    FUZZ_CHECK(TextRules::ParseStamp(*stamp).has_value());
    FUZZ_CHECK(TextRules::AddSeconds(*stamp, 0) == *stamp);
    // The records of a set step on from it by their sampling interval (a stamp has four digits
    // of year: the last days of 9999 have no next).
    if (stamp->startsWith(QStringLiteral("9999/12/31"))) {
        return 0;
    }
    const QString later = TextRules::AddSeconds(*stamp, 255);
    FUZZ_CHECK(later != *stamp && TextRules::AddSeconds(later, -255) == *stamp);
    return 0;
}
