#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <functional>
#include <utility>

class GridModel;
class QIODevice;

// Reads a recording file (or a saved list) into a grid. The file is taken as a stream of
// texts: leading blanks of a text are skipped; an unquoted text runs to a comma or the line
// end (CR LF, CR or LF), and after a comma the rest of the line is the next text; a text that
// begins with a double quote runs to the next double quote, and what follows it up to the
// comma or line end is dropped. A line that is empty or holds nothing but blanks is an empty
// text. The first text is the header; every later text is one row, its TAB-separated parts
// filling the cells.
//
// Any bytes are accepted (Latin-1). A text longer than MaxText keeps its first MaxText bytes,
// so a file with no line end cannot exhaust memory or stall the list's painting.
class RecordReader {
  public:
    static constexpr qsizetype MaxText = 64 * 1024;
    static constexpr qsizetype ChunkSize = 1024 * 1024;  // bytes read at a time
    static constexpr int Batch = 8192;                   // rows appended to the grid at a time

    struct Result {
        qint64 texts = 0;  // the header included
        bool ok = true;
        QString error;  // why reading stopped, when !ok
    };

    // Fills `grid` (cut to its header row by the caller) from `in`. The header sets the grid's
    // header row and, where it names a known range, `ohmRange` and `voltRange`; otherwise they
    // keep their values. `progress` gets the count of texts read so far. Rows read before a
    // read error stay in the grid.
    static Result read(QIODevice& in, GridModel& grid, QString& ohmRange, QString& voltRange,
                       const std::function<void(qint64)>& progress = {});

    // The ranges a header line names: "40mOhm" or "40m Ohm" gives "40m", and so on; the first
    // pattern found wins. Unchanged when none is found.
    static void headerRanges(QStringView header, QString& ohmRange, QString& voltRange);
};
