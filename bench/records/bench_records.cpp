// Times the two long file operations of the recording windows on real files: opening a full
// recording (69,999 lines) into the opened-file list, and saving a full live list (43,749
// rows). Run offscreen: QT_QPA_PLATFORM=offscreen ./bench_records
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "app/App.h"
#include "platform/Clock.h"
#include "platform/Grid.h"
#include "records/FileList.h"
#include "records/List.h"
#include "records/RecordFormat.h"
#include "records/SaveGrid.h"
#include "records/ToolbarCommands.h"

namespace {

QString sampleLine(int i) {
    const QString stamp = QDateTime(QDate(2021, 7, 1), QTime(0, 0))
                              .addSecs(i)
                              .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return RecordFormat::sampleLine(stamp, QStringLiteral("12.34"), QStringLiteral("4.012"));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SystemClock clock;
    RecordingShell shell;
    App app(dialogs, clock, shell);

    const QString recording = dir.filePath(QStringLiteral("full.Kmk"));
    {
        QFile file(recording);
        if (!file.open(QIODevice::WriteOnly)) {
            return 1;
        }
        file.write(RecordFormat::headerLine(40, true, 4));
        for (int i = 1; i < 69999; ++i) {
            file.write(RecordFormat::dataLine(i, sampleLine(i)));
        }
    }

    for (int run = 0; run < 3; ++run) {
        dialogs.files.enqueue(recording);
        QElapsedTimer timer;
        timer.start();
        ToolbarClick(app, QStringLiteral("Open"));
        const qint64 readMs = timer.elapsed();
        QCoreApplication::processEvents();
        const qint64 shownMs = timer.elapsed();
        out << "open 69,999-line recording: read " << readMs << " ms, shown " << shownMs
            << " ms, rows " << app.windows().get<FileList>().grid().model().Rows() - 1 << "\n";
    }

    List& list = app.windows().get<List>();
    QVector<QStringList> rows;
    for (int i = 1; i <= 43749; ++i) {
        rows.append((QString::number(i) + QLatin1Char('\t') + sampleLine(i)).split(u'\t'));
    }
    list.grid().model().appendRows(rows);
    list.show();
    const QString saved = dir.filePath(QStringLiteral("list.Kmk"));
    for (int run = 0; run < 3; ++run) {
        app.transfer.SaveFileName = saved;
        app.transfer.SaveAccepted = true;
        QElapsedTimer timer;
        timer.start();
        SaveGrid(app, list, list.grid().model());
        out << "save 43,749-row list: " << timer.elapsed() << " ms, " << QFile(saved).size()
            << " bytes\n";
    }
    out.flush();
    return 0;
}
