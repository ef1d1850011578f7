#include "records/GridFile.h"

#include <QSaveFile>

#include "platform/GridModel.h"
#include "records/RecordFormat.h"

namespace GridFile {

bool save(const QString& path, const GridModel& grid, const std::function<void(qint64)>& progress,
          QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    for (int r = 0; r < grid.Rows(); ++r) {
        if (progress) {
            progress(r);
        }
        const QByteArray line = RecordFormat::gridLine(grid.row(r));
        if (file.write(line) != line.size()) {
            error = file.errorString();
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace GridFile
