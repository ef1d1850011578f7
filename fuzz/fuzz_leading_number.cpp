// "The number at the start of a text", read from any text and compared with a plain reading of
// the rule: blanks, a sign, digits with at most one point, an exponent only when digits follow
// its letter (and its sign); 0 when no digit comes, or when the number is out of range.

#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzCheck.h"
#include "platform/TextRules.h"

namespace {

double Expected(const QString& text) {
    const auto at = [&](qsizetype i) { return i < text.size() ? text.at(i).unicode() : 0; };
    const auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0;
    while (at(i) == u' ' || at(i) == u'\t') {
        ++i;
    }
    std::string number;
    if (at(i) == u'+' || at(i) == u'-') {
        number += char(at(i++));
    }
    bool digits = false;
    bool point = false;
    for (;; ++i) {
        if (digit(at(i))) {
            digits = true;
        } else if (at(i) == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        number += char(at(i));
    }
    if (!digits) {
        return 0.0;
    }
    if (at(i) == u'e' || at(i) == u'E') {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (at(j) == u'+' || at(j) == u'-') {
            exponent += char(at(j++));
        }
        const qsizetype first = j;
        while (digit(at(j))) {
            exponent += char(at(j++));
        }
        if (j > first) {
            number += exponent;
        }
    }
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const double value = TextRules::LeadingNumber(text);
    FUZZ_CHECK(std::isfinite(value));
    FUZZ_CHECK(value == Expected(text));
    // Leading blanks are skipped, and what follows the number does not count.
    FUZZ_CHECK(TextRules::LeadingNumber(QStringLiteral("  ") + text) == value);
    FUZZ_CHECK(TextRules::LeadingNumber(text + u'#') == value);
    return 0;
}
