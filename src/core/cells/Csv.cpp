#include "core/cells/Csv.h"

#include <QIODevice>
#include <QLocale>
#include <QStringDecoder>
#include <cmath>

namespace Csv {

namespace {

bool needsQuotes(const QString& field) {
    for (const QChar c : field) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
            return true;
        }
    }
    return false;
}

constexpr qsizetype ReadChunk = 64 * 1024;
constexpr qsizetype WriteBlock = 64 * 1024;

}  // namespace

void AppendRow(QByteArray& out, const QStringList& fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        const QString& field = fields.at(i);
        if (needsQuotes(field)) {
            QString quoted = field;
            quoted.replace(u'"', QStringLiteral("\"\""));
            out += '"';
            out += quoted.toUtf8();
            out += '"';
        } else {
            out += field.toUtf8();
        }
    }
    out += "\r\n";
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
    pending_.clear();
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
