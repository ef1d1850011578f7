// The data logger's work on the simulator's full logger (48 KB, its largest set 9,000 records):
// indexing the dump, listing the largest set, and the whole download from the simulator at the
// pace of 9600 baud against the time its bytes need on the wire. `--quick` skips the download
// (about 50 s).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocale>
#include <QTimer>

#include "BenchTable.h"
#include "ConnectedApp.h"
#include "LoggerContent.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "core/logger/LoggerDownload.h"
#include "core/logger/LoggerSets.h"
#include "platform/Clock.h"
#include "platform/GridModel.h"
#include "platform/widgets/Grid.h"
#include "shell/ToolbarCommands.h"
#include "windows/common/App.h"
#include "windows/logger/DataList.h"
#include "windows/logger/LoggerCommands.h"
#include "windows/logger/Memory.h"

namespace {

using namespace BenchTable;

constexpr double BaudBits = 10;  // start bit, 8 data bits, stop bit
constexpr double Baud = 9600;

// The dump as the download leaves it in RxBuffer: cut to E - 1 bytes and closed.
QByteArray ClosedFullDump() {
    const QByteArray dump = LoggerContent::Full().dump();
    const int expected = LoggerSets::ExpectedLength(LoggerSets::EndAddress(dump));
    return *LoggerSets::ClosingCopy(dump, expected);
}

void BenchIndex(const QByteArray& rx) {
    LoggerSets::Index index;
    const double ms = BestMs(200, [&] { index = LoggerSets::IndexSets(rx); });
    Detail(QStringLiteral("index: %1 bytes, %2 sets, best of 200")
               .arg(rx.size())
               .arg(index.rows.size()));
    AbsoluteRow(QStringLiteral("Indexing a full logger dump"), ms, Duration(ms), 10,
                QStringLiteral("< 10 ms"));
}

// The largest set's row in the index.
int LargestSet(const LoggerSets::Index& index) {
    int best = 0;
    double most = -1;
    for (int i = 0; i < index.rows.size(); ++i) {
        const double records = index.rows.at(i).section(u'\t', 4, 4).toDouble();
        if (records > most) {
            most = records;
            best = i + 1;
        }
    }
    return best;
}

void BenchListing(const QByteArray& rx) {
    const LoggerSets::Index index = LoggerSets::IndexSets(rx);
    const int set = LargestSet(index);
    const QString start = QStringLiteral("2021/07/01 23:00:00");
    const QByteArray block = *LoggerSets::SetBlock(rx, set);
    const double decode = BestMs(20, [&] { LoggerSets::ListRecords(block, start); });
    Detail(QStringLiteral("listing: the records decoded into rows alone %1 (best of 20)")
               .arg(Duration(decode)));

    // The whole click on the set's row: the prompt answered at once, a fresh data list shown.
    ScriptedDialogs dialogs;
    SystemClock clock;
    RecordingShell shell;
    App app(dialogs, clock, shell);
    app.rs232.RxBuffer = rx;
    Memory& memory = app.windows().get<Memory>();
    for (const QString& row : index.rows) {
        memory.gridSet().model().addItem(row);
    }
    memory.show();
    int listed = 0;
    const double click = BestMs(9, [&] {
        dialogs.inputs.enqueue(start);
        ListSetCommand(app, set);
        listed = app.windows().get<DataList>().grid().model().Rows() - 1;
        QCoreApplication::processEvents();
    });
    AbsoluteRow(QStringLiteral("Listing a %1-record logger set (click to list shown)")
                    .arg(QLocale(QLocale::English).toString(listed)),
                click, Duration(click), 100, QStringLiteral("< 100 ms"));
}

void BenchDownload() {
    const QString what =
        QStringLiteral("Downloading a full logger from the simulator at 9600 baud");
    ConnectedApp connected({QStringLiteral("--logger"), QStringLiteral("full"),
                            QStringLiteral("--byte-us"), QStringLiteral("1042")});
    if (!connected.error().isEmpty()) {
        FailedRow(what, connected.error());
        return;
    }
    App& app = connected.app();
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);  // a few live readings first
    loop.exec();

    QElapsedTimer timer;
    timer.start();
    ToolbarClick(app, QStringLiteral("Memory"));
    LoggerDownload* download = app.windows().get<Memory>().download();
    LoggerDownload::Outcome outcome = LoggerDownload::Outcome::Failed;
    int attempts = 0;
    if (download) {
        QObject::connect(download, &LoggerDownload::finished, &loop,
                         [&](LoggerDownload::Outcome o) {
                             outcome = o;
                             attempts = download->attempts();
                             loop.quit();
                         });
        loop.exec();
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (outcome != LoggerDownload::Outcome::Listed) {
        FailedRow(what, QStringLiteral("the download ended as %1").arg(int(outcome)));
        return;
    }
    const QByteArray& rx = app.rs232.RxBuffer;
    const int bytes = LoggerSets::ExpectedLength(LoggerSets::EndAddress(rx));
    const double wireMs = bytes * BaudBits / Baud * 1000;
    Detail(QStringLiteral("download: %1 bytes, %2 attempts, %3 sets listed")
               .arg(bytes)
               .arg(attempts)
               .arg(app.windows().get<Memory>().gridSet().model().Rows() - 1));
    RatioRow(what, ms, QStringLiteral("wire time, bytes × 10 / 9600"), wireMs, 1.05);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const QByteArray rx = ClosedFullDump();
    BenchIndex(rx);
    BenchListing(rx);
    if (!QCoreApplication::arguments().contains(QStringLiteral("--quick"))) {
        BenchDownload();
    }
    return 0;
}
