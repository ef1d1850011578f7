#pragma once

#include <QString>
#include <functional>

class GridModel;

// A list saved as a recording file: every row, the header row included, each cell followed by
// TAB, lines ended by CR LF. The rows go to a temporary file beside the target that replaces it
// only when complete, so a failed save leaves the old file whole.
namespace GridFile {

// `progress` gets each row's index (0 = the header) before the row is written. False, with
// `error`, when the file cannot be written.
bool save(const QString& path, const GridModel& grid, const std::function<void(qint64)>& progress,
          QString& error);

}  // namespace GridFile
