#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>

class QIODevice;

// CSV as RFC 4180 has it: fields separated by commas, records ended by CR LF, a field quoted when
// it holds a comma, a quote, CR or LF, a quote inside doubled. UTF-8, "." decimals whatever the
// locale.
namespace Csv {

// One record with its CR LF.
QByteArray Row(const QStringList& fields);
// The same, appended to `out`.
void AppendRow(QByteArray& out, const QStringList& fields);
void AppendRow(QByteArray& out, std::span<const QStringView> fields);
// A number in the shortest text that reads back to the same double, "." decimals; empty for NaN.
QString Number(double value);
// A number read back: the C locale's syntax only; false for anything else.
bool ParseNumber(const QString& text, double& value);

// Writes records to a device, a block of them at a time, so that a million rows never sit in
// memory. The last block reaches the device at flush() or when the writer goes.
class Writer {
  public:
    explicit Writer(QIODevice& device) : device_(device) {}
    ~Writer() { flush(); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    // False once a write failed; error() says why.
    bool write(const QStringList& fields);
    bool write(std::span<const QStringView> fields);
    bool flush();
    QString error() const { return error_; }

  private:
    QIODevice& device_;
    QByteArray pending_;
    QString error_;
};

// Reads records from a device, one at a time. Takes CR LF or a bare LF as the end of a record,
// skips a UTF-8 byte order mark, and treats a last record without its line end as a record.
// A fault (a quote inside an unquoted field, text after a closing quote, a quote never closed,
// bytes that are not UTF-8) stops the reading with its place: "row 3, column 2: ...".
class Reader {
  public:
    explicit Reader(QIODevice& device) : device_(device) {}

    // The next record into `fields`; false at the end or at a fault (then error() is set).
    bool next(QStringList& fields);
    QString error() const { return error_; }
    int row() const { return row_; }  // 1-based number of the record last read

  private:
    bool fill();

    QIODevice& device_;
    QByteArray buffer_;
    qsizetype at_ = 0;
    bool started_ = false;
    bool ended_ = false;
    int row_ = 0;
    QString error_;
};

}  // namespace Csv
