// The two long file operations of the list windows, on real files, each against a bare loop
// over the same data in the same run: opening a full recording (69,999 lines) into the
// opened-file list, and saving a full live list (43,749 rows). Then the cost of putting a
// recorded line on the disk, against writing it alone.
#include <unistd.h>

#include <QApplication>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "BenchTable.h"
#include "OfflineApp.h"
#include "RecordingShell.h"
#include "SampleData.h"
#include "ScriptedDialogs.h"
#include "core/records/RecordingFile.h"
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

double Median(QVector<double> values) {
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// A recorded line as it reaches the disk: the first line of a new recording file, which is
// synced at once, as every line a second apart is; against the same line written to a new
// file with no sync. The median of each, a sync's time varying with the disk's other work.
void LineRow(const QTemporaryDir& dir) {
    using namespace BenchTable;
    constexpr int Runs = 41;
    const QByteArray line = "123\t2021/07/01\t10:20:30\t12.34\t4.012\r\n";
    QVector<double> synced;
    QVector<double> written;
    QElapsedTimer timer;
    for (int i = 0; i < Runs; ++i) {
        const QString name = QStringLiteral("line%1.Kmk").arg(i);
        RecordingFile recording;
        if (!recording.open(dir.filePath(name))) {
            FailedRow(QStringLiteral("Recording a line"), recording.errorString());
            return;
        }
        timer.start();
        const bool ok = recording.writeLine(line);
        synced.append(timer.nsecsElapsed() / 1e6);
        QFile bare(dir.filePath(QStringLiteral("bare") + name));
        if (!ok || !bare.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            FailedRow(QStringLiteral("Recording a line"), QStringLiteral("cannot write"));
            return;
        }
        timer.start();
        bare.write(line);
        written.append(timer.nsecsElapsed() / 1e6);
    }
    const double figure = Median(synced);
    const double baseline = Median(written);
    Detail(QStringLiteral("line: %1 runs, synced %2 to %3 ms, written alone %4 to %5 ms")
               .arg(Runs)
               .arg(*std::min_element(synced.begin(), synced.end()))
               .arg(*std::max_element(synced.begin(), synced.end()))
               .arg(*std::min_element(written.begin(), written.end()))
               .arg(*std::max_element(written.begin(), written.end())));
    BudgetRow(QStringLiteral("Recording a line, put on the disk (fdatasync)"), figure,
              Duration(figure) + QStringLiteral(" a line"),
              QStringLiteral("the same line written with no sync"), baseline, Duration(baseline),
              10, QStringLiteral("< 10 ms a line"));
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
    LineRow(dir);
    return 0;
}
