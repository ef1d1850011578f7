#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The recording file: TAB-separated Latin-1 text lines ended by CR LF. A recording has a
// header line ("No.s", "Date", "Time", the two range headers) and numbered data lines; a saved
// list has the same fields with a TAB after every field, the last one included.
namespace RecordFormat {

// The file dialogs' filter for recording files.
inline QString fileFilter() {
    return QStringLiteral("Kelvomark (*.Kmk)|*.Kmk|All Files (*.*)|*.*|");
}

// Whether `line`, a file's first line with or without its line end, is the header of a
// recording or of a saved list: "No.s", "Date" and "Time" (a list's with blanks before them),
// a resistance header ending in "Ohm" and a voltage header ending in "Voltage", TAB-separated;
// a saved list's has a TAB after the last.
bool isHeaderLine(QByteArrayView line);

// "40mOhm", "400mOhm", "4Ohm", "40Ohm".
QString ohmHeader(int ohmRange, bool milliOhm);
// "4Voltage", "40Voltage".
QString voltHeader(int voltRange);

// Date TAB time TAB resistance TAB voltage, from a "yyyy/mm/dd hh:nn:ss" stamp.
QString sampleLine(const QString& stamp, const QString& ohmText, const QString& voltText);

// A recording's header line and data line, CR LF included.
QByteArray headerLine(int ohmRange, bool milliOhm, int voltRange);
QByteArray dataLine(qint32 number, const QString& sampleLine);

// A saved list's line: every cell followed by TAB, then CR LF.
QByteArray gridLine(const QStringList& cells);
// The same line appended to `out`, for writers of many lines.
void appendGridLine(QByteArray& out, const QStringList& cells);

}  // namespace RecordFormat
