#include "windows/records/SaveGrid.h"

#include <QDir>
#include <QWidget>

#include "core/records/GridFile.h"
#include "core/records/Progress.h"
#include "core/records/RecordFormat.h"
#include "platform/GridModel.h"
#include "platform/widgets/BusyCursor.h"
#include "platform/widgets/Dialogs.h"
#include "windows/common/App.h"

void SaveAsDialog(App& app, QWidget* parent) {
    // No extension is added to a name typed without one.
    const QString path = app.dialogs().saveFile(parent, RecordFormat::fileFilter(), 1, true);
    if (path.isEmpty()) {
        app.transfer.SaveAccepted = false;
        return;
    }
    app.transfer.SaveFileName = path;
    app.transfer.SaveAccepted = true;
}

void SaveGrid(App& app, QWidget& progressWindow, const GridModel& grid) {
    const QString path = app.transfer.SaveFileName;
    const QString caption = progressWindow.windowTitle();
    QString error;
    bool saved = false;
    {
        BusyCursor busy;
        Progress progress(app.clock(), [&progressWindow](qint64 row) {
            progressWindow.setWindowTitle(QString::number(row) +
                                          QStringLiteral("Records Completed"));
        });
        saved = GridFile::save(
            path, grid, [&progress](qint64 row) { progress.update(row); }, error);
        if (saved) {
            progress.finish(grid.Rows() - 1);
        }
        progressWindow.setWindowTitle(caption);
    }
    app.transfer.SaveAccepted = false;
    if (!saved) {
        app.dialogs().message(
            &progressWindow, Dialogs::Icon::Critical, Dialogs::appTitle(),
            QStringLiteral("The list could not be saved to\n%1\n\n%2\n\n"
                           "A file of that name that was there before is unchanged.")
                .arg(QDir::toNativeSeparators(path), error));
    }
}
