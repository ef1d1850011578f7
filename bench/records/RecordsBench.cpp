// The two long file operations of the list windows, on real files, each against a bare loop
// over the same data in the same run: opening a full recording (69,999 lines) into the
// opened-file list, and saving a full live list (43,749 rows).
#include <unistd.h>

#include <QApplication>
#include <QByteArrayView>
#include <QFile>
#include <QTemporaryDir>

#include "BenchTable.h"
#include "OfflineApp.h"
#include "RecordingShell.h"
#include "SampleData.h"
#include "ScriptedDialogs.h"
#include "platform/Clock.h"
#include "platform/widgets/Grid.h"
#include "shell/ToolbarCommands.h"
#include "windows/common/App.h"
#include "windows/records/FileList.h"
#include "windows/records/List.h"

namespace {

constexpr int FileLines = 69999;
constexpr int ListRows = 43749;
constexpr int Runs = 5;

// The least a reader can do: the whole file in one read, cut into lines and TAB-separated
// cells, each cell a string of its own.
QVector<QStringList> SplitFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    QVector<QStringList> rows;
    QByteArrayView rest(bytes);
    while (!rest.isEmpty()) {
        qsizetype end = rest.indexOf('\n');
        if (end < 0) {
            end = rest.size();
        }
        QByteArrayView line = rest.first(end);
        rest = rest.sliced(qMin(end + 1, rest.size()));
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        QStringList cells;
        cells.reserve(5);
        for (;;) {
            const qsizetype tab = line.indexOf('\t');
            cells.append(QString::fromLatin1(tab < 0 ? line : line.first(tab)));
            if (tab < 0) {
                break;
            }
            line = line.sliced(tab + 1);
        }
        rows.append(std::move(cells));
    }
    return rows;
}

// The lines of a file, each with its line end.
QVector<QByteArray> Lines(const QString& path) {
    QFile file(path);
    QVector<QByteArray> lines;
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            lines.append(file.readLine());
        }
    }
    return lines;
}

// The lines written one by one; `sync` then puts them on the disk, as a save that must
// survive a crash has to (the list's save does, before it replaces the old file).
bool WriteLines(const QString& path, const QVector<QByteArray>& lines, bool sync) {
    QFile::remove(path);  // a new file each time, as the save's temporary file is
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    for (const QByteArray& line : lines) {
        file.write(line);
    }
    return file.flush() && (!sync || ::fdatasync(file.handle()) == 0);
}

}  // namespace

int main(int argc, char* argv[]) {
    PreferOffscreen();
    QApplication application(argc, argv);
    QTemporaryDir dir;
    OfflineApp<SystemClock> offline;
    ScriptedDialogs& dialogs = offline.dialogs;
    App& app = offline.app;
    using namespace BenchTable;

    const QString recording = dir.filePath(QStringLiteral("full.Kmk"));
    if (!SampleData::WriteFile(recording, SampleData::Recording(FileLines))) {
        FailedRow(QStringLiteral("Opening a 69,999-line recording"), QStringLiteral("no file"));
        return 1;
    }
    int opened = 0;
    auto open = [&] {
        FileList& list = offline.open(recording);
        QCoreApplication::processEvents();  // the list painted with its rows
        opened = list.grid().model().Rows() - 1;
    };
    qsizetype split = 0;
    auto bare = [&] { split = SplitFile(recording).size(); };
    bare();
    open();
    const Pair opening = BestOfPairs(Runs, open, bare);
    Detail(QStringLiteral("open: %1 rows in the list, %2 lines split, %3 bytes")
               .arg(opened)
               .arg(split)
               .arg(QFile(recording).size()));
    RatioRow(QStringLiteral("Opening a 69,999-line recording into FileList"), opening.figureMs,
             QStringLiteral("read and split in a bare loop"), opening.baselineMs, 3.0);
    app.windows().unload<FileList>();

    ToolbarClick(app, QStringLiteral("List"));
    List& list = app.windows().get<List>();
    SampleData::FillList(list.grid().model(), ListRows + 1);
    QCoreApplication::processEvents();
    const QString saved = dir.filePath(QStringLiteral("list.Kmk"));
    auto save = [&] {
        dialogs.files.enqueue(saved);
        list.toolbarClick(QStringLiteral("Save"));
    };
    save();
    const QVector<QByteArray> lines = Lines(saved);
    const QString written = dir.filePath(QStringLiteral("bare.Kmk"));
    const Pair saving = BestOfPairs(Runs, save, [&] { WriteLines(written, lines, true); });
    const Pair unsynced = BestOfPairs(Runs, save, [&] { WriteLines(written, lines, false); });
    Detail(QStringLiteral("save: %1 lines, %2 bytes; the bare loop wrote %3 bytes")
               .arg(lines.size())
               .arg(QFile(saved).size())
               .arg(QFile(written).size()));
    // The save syncs before it replaces the old file; the figure without the sync is the cost
    // of writing alone.
    RatioRow(QStringLiteral("Saving a 43,749-row list"), saving.figureMs,
             QStringLiteral("the same bytes written in a bare loop, then fdatasync"),
             saving.baselineMs, 2.0);
    RatioRow(QStringLiteral("Saving a 43,749-row list (the same, against no sync)"),
             unsynced.figureMs, QStringLiteral("the same bytes written in a bare loop"),
             unsynced.baselineMs, 2.0);
    return 0;
}
