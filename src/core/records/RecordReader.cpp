#include "core/records/RecordReader.h"

#include <QIODevice>

#include "core/records/ListLayout.h"
#include "platform/GridModel.h"

namespace {

// Splits a byte stream into texts, chunk by chunk; a text may span chunks.
class TextScanner {
  public:
    explicit TextScanner(std::function<void(const QByteArray&)> emitText)
        : emitText_(std::move(emitText)) {}

    void feed(const char* data, qsizetype size) {
        qsizetype i = 0;
        while (i < size) {
            switch (state_) {
                case State::Start: {
                    const char c = data[i];
                    if (c == ' ') {
                        pending_ = true;
                        ++i;
                    } else if (c == '"') {
                        state_ = State::Quoted;
                        ++i;
                    } else if (c == '\r' || c == '\n') {
                        // An empty or blank line, or the end of a line after a comma, is an
                        // empty text: one row of empty cells.
                        endOfText(c);
                        ++i;
                    } else {
                        state_ = State::Plain;
                    }
                    break;
                }
                case State::Plain:
                case State::AfterQuote: {
                    qsizetype j = i;
                    while (j < size && data[j] != ',' && data[j] != '\r' && data[j] != '\n') {
                        ++j;
                    }
                    if (state_ == State::Plain) {
                        append(data + i, j - i);
                    }
                    i = j;
                    if (i < size) {
                        endOfText(data[i]);
                        ++i;
                    }
                    break;
                }
                case State::Quoted: {
                    qsizetype j = i;
                    while (j < size && data[j] != '"') {
                        ++j;
                    }
                    append(data + i, j - i);
                    i = j;
                    if (i < size) {
                        state_ = State::AfterQuote;
                        ++i;
                    }
                    break;
                }
                case State::AfterCr:
                    if (data[i] == '\n') {
                        ++i;
                    }
                    state_ = State::Start;
                    break;
            }
        }
    }

    // The end of the file ends the text in progress; after a last line end there is none.
    void finish() {
        if (state_ == State::Plain || state_ == State::Quoted || state_ == State::AfterQuote ||
            (state_ == State::Start && pending_)) {
            endText();
        }
        state_ = State::Start;
        pending_ = false;
    }

  private:
    enum class State { Start, Plain, Quoted, AfterQuote, AfterCr };

    void append(const char* data, qsizetype size) {
        const qsizetype room = RecordReader::MaxText - text_.size();
        if (room > 0) {
            text_.append(data, qMin(room, size));
        }
    }

    void endOfText(char delimiter) {
        endText();
        // After a comma the rest of the line is a text, even when nothing follows.
        pending_ = delimiter == ',';
        state_ = delimiter == '\r' ? State::AfterCr : State::Start;
    }

    void endText() {
        emitText_(text_);
        text_.clear();
    }

    std::function<void(const QByteArray&)> emitText_;
    QByteArray text_;
    State state_ = State::Start;
    bool pending_ = false;  // a text has begun that no character has ended yet
};

QStringList cells(const QByteArray& text, int cols) {
    QStringList out;
    out.reserve(cols);
    qsizetype from = 0;
    while (out.size() < cols) {
        const qsizetype tab = text.indexOf('\t', from);
        const qsizetype end = tab < 0 ? text.size() : tab;
        out.append(QString::fromLatin1(text.constData() + from, end - from));
        if (tab < 0) {
            break;
        }
        from = tab + 1;
    }
    return out;
}

}  // namespace

RecordReader::Result RecordReader::read(QIODevice& in, GridModel& grid, QString& ohmRange,
                                        QString& voltRange,
                                        const std::function<void(qint64)>& progress) {
    Result result;
    QVector<QStringList> batch;
    TextScanner scanner([&](const QByteArray& text) {
        if (result.texts == 0) {
            for (int col = 0; col < ListLayout::Columns; ++col) {
                grid.setText(0, col, ListLayout::fileHeader(col));
            }
            headerRanges(QString::fromLatin1(text), ohmRange, voltRange);
        } else {
            batch.append(cells(text, grid.Cols()));
            if (batch.size() >= Batch) {
                grid.appendRows(std::exchange(batch, {}));
            }
        }
        ++result.texts;
        if (progress) {
            progress(result.texts);
        }
    });

    QByteArray buffer(ChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0) {
            result.ok = false;
            result.error = in.errorString();
            break;
        }
        if (n == 0) {
            scanner.finish();
            break;
        }
        scanner.feed(buffer.constData(), n);
    }
    grid.appendRows(std::move(batch));
    return result;
}

void RecordReader::headerRanges(QStringView header, QString& ohmRange, QString& voltRange) {
    struct Pattern {
        const char16_t* spaced;
        const char16_t* joined;
        const char* range;
    };
    static const Pattern ohms[] = {
        {u"40m Ohm", u"40mOhm", "40m"},
        {u"400m Ohm", u"400mOhm", "400m"},
        {u"4 Ohm", u"4Ohm", "4"},
        {u"40 Ohm", u"40Ohm", "40"},
    };
    static const Pattern volts[] = {
        {u"40 Voltage", u"40Voltage", "40"},
        {u"4 Voltage", u"4Voltage", "4"},
    };
    auto lookUp = [header](const auto& patterns, QString& range) {
        for (const Pattern& p : patterns) {
            if (header.contains(QStringView(p.spaced)) || header.contains(QStringView(p.joined))) {
                range = QString::fromLatin1(p.range);
                return;
            }
        }
    };
    lookUp(ohms, ohmRange);
    lookUp(volts, voltRange);
}
