#include "core/cells/Csv.h"

#include <QIODevice>
#include <QLocale>
#include <QStringDecoder>
#include <QVarLengthArray>
#include <cmath>

namespace Csv {

namespace {

constexpr qsizetype ReadChunk = 64 * 1024;
// An export of a million rows goes to the device in few, large writes.
constexpr qsizetype WriteBlock = 1024 * 1024;

void appendField(QByteArray& out, QStringView field) {
    bool ascii = true;
    bool quotes = false;
    for (const QChar c : field) {
        const char16_t u = c.unicode();
        ascii = ascii && u < 0x80;
        quotes = quotes || u == u',' || u == u'"' || u == u'\r' || u == u'\n';
    }
    if (quotes) {
        QString quoted = field.toString();
        quoted.replace(u'"', QStringLiteral("\"\""));
        out += '"';
        out += quoted.toUtf8();
        out += '"';
    } else if (ascii) {
        // Nearly every field: its characters are its bytes, copied without a UTF-8 copy first.
        const qsizetype at = out.size();
        out.resize(at + field.size());
        char* to = out.data() + at;
        for (const QChar c : field) {
            *to++ = char(c.unicode());
        }
    } else {
        out += field.toUtf8();
    }
}

}  // namespace

void AppendRow(QByteArray& out, std::span<const QStringView> fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        appendField(out, fields[i]);
    }
    out += "\r\n";
}

void AppendRow(QByteArray& out, const QStringList& fields) {
    const QVarLengthArray<QStringView, 32> views(fields.begin(), fields.end());
    AppendRow(out, std::span<const QStringView>(views.data(), size_t(views.size())));
}

QByteArray Row(const QStringList& fields) {
    QByteArray out;
    AppendRow(out, fields);
    return out;
}

QString Number(double value) {
    if (std::isnan(value)) {
        return QString();
    }
    // QByteArray::number is locale-free; 'g' with the shortest exact digits.
    return QString::fromLatin1(QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
}

bool ParseNumber(const QString& text, double& value) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return false;
    }
    value = QLocale::c().toDouble(trimmed, &ok);
    return ok && std::isfinite(value);
}

bool Writer::write(const QStringList& fields) {
    const QVarLengthArray<QStringView, 32> views(fields.begin(), fields.end());
    return write(std::span<const QStringView>(views.data(), size_t(views.size())));
}

bool Writer::write(std::span<const QStringView> fields) {
    if (!error_.isEmpty()) {
        return false;
    }
    AppendRow(pending_, fields);
    return pending_.size() < WriteBlock || flush();
}

bool Writer::flush() {
    if (!error_.isEmpty()) {
        return false;
    }
    if (!pending_.isEmpty() && device_.write(pending_) != pending_.size()) {
        error_ = device_.errorString();
        return false;
    }
    pending_.resize(0);  // keeps its room for the next block
    return true;
}

bool Reader::fill() {
    if (ended_) {
        return false;
    }
    if (at_ > 0) {
        buffer_.remove(0, at_);
        at_ = 0;
    }
    const QByteArray more = device_.read(ReadChunk);
    if (more.isEmpty()) {
        ended_ = true;
        return false;
    }
    buffer_ += more;
    return true;
}

bool Reader::next(QStringList& fields) {
    fields.clear();
    if (!error_.isEmpty()) {
        return false;
    }
    if (!started_) {
        started_ = true;
        while (buffer_.size() < 3 && fill()) {
        }
        if (buffer_.startsWith("\xEF\xBB\xBF")) {
            at_ = 3;
        }
    }
    if (at_ >= buffer_.size() && !fill()) {
        return false;  // the end, after the last record's line end
    }
    ++row_;
    QByteArray field;
    bool quoted = false;      // the field began with a quote
    bool inQuotes = false;    // inside the quotes
    bool afterQuote = false;  // the closing quote was read
    const auto place = [&] {
        return QStringLiteral("row %1, column %2: ").arg(row_).arg(fields.size() + 1);
    };
    const auto finishField = [&]() -> bool {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(field);
        if (utf8.hasError()) {
            error_ = place() + QStringLiteral("the text is not UTF-8");
            return false;
        }
        fields.append(std::move(text));
        field.clear();
        quoted = inQuotes = afterQuote = false;
        return true;
    };
    for (;;) {
        if (at_ >= buffer_.size() && !fill()) {
            if (inQuotes) {
                error_ = place() + QStringLiteral("a quoted field is never closed");
                return false;
            }
            return finishField();
        }
        const char c = buffer_.at(at_++);
        if (inQuotes) {
            if (c == '"') {
                if (at_ >= buffer_.size()) {
                    fill();
                }
                if (at_ < buffer_.size() && buffer_.at(at_) == '"') {
                    field += '"';
                    ++at_;
                } else {
                    inQuotes = false;
                    afterQuote = true;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == ',') {
            if (!finishField()) {
                return false;
            }
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (c == '\r') {
                if (at_ >= buffer_.size()) {
                    fill();
                }
                if (at_ < buffer_.size() && buffer_.at(at_) == '\n') {
                    ++at_;
                }
            }
            return finishField();
        }
        if (afterQuote) {
            error_ = place() + QStringLiteral("text after the closing quote");
            return false;
        }
        if (c == '"') {
            if (!field.isEmpty() || quoted) {
                error_ = place() + QStringLiteral("a quote inside a field that is not quoted");
                return false;
            }
            quoted = inQuotes = true;
            continue;
        }
        field += c;
    }
}

}  // namespace Csv
