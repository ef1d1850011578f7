#include "windows/logger/LoggerCommands.h"

#include <QFontMetricsF>
#include <QScopeGuard>
#include <optional>

#include "core/logger/LoggerSets.h"
#include "core/logger/SetListing.h"
#include "core/logger/StartingTime.h"
#include "core/meter/Receiver.h"
#include "core/records/ListLayout.h"
#include "core/records/Progress.h"
#include "platform/Clock.h"
#include "platform/TextRules.h"
#include "platform/widgets/Dialogs.h"
#include "platform/widgets/Grid.h"
#include "windows/common/App.h"
#include "windows/logger/DataList.h"
#include "windows/logger/Memory.h"

namespace {

// Asks until the answer is a real date and time; null when the person cancels.
std::optional<QString> AskStartingTime(App& app, QWidget* parent) {
    for (;;) {
        const QDateTime now = app.clock().now();
        const QString answer = app.dialogs().input(
            parent, StartingTime::Prompt(), StartingTime::Title(), TextRules::FormatStamp(now));
        if (answer.isEmpty()) {
            return std::nullopt;
        }
        if (auto stamp = StartingTime::Parse(answer, now.date())) {
            return stamp;
        }
        app.dialogs().message(parent, Dialogs::Icon::Critical, Dialogs::appTitle(),
                              StartingTime::Refusal());
    }
}

}  // namespace

void MemoryCommand(App& app) {
    app.setTimer1(false);
    if (app.meter.DownloadBusy) {
        return;  // the running download switches the tick back on when it ends
    }
    if (app.meter.MemoryOpen) {
        app.windows().unload<Memory>();
    }
    app.meter.DownloadBusy = true;
    Memory& memory = app.windows().get<Memory>();
    memory.show();
    memory.startDownload();
}

void ListSetCommand(App& app, int row) {
    // The download owns the port: switching the receive tick on now would take its bytes.
    if (app.meter.DownloadBusy) {
        return;
    }
    app.setTimer1(false);
    const auto end = qScopeGuard([&app] {
        app.setTimer1(true);
        // The port label back to the link's state: a meter still silent stays "No COM".
        Q_EMIT app.linkStateStale();
    });
    // Every click makes a fresh list.
    app.windows().unload<DataList>();
    Memory* memory = app.windows().find<Memory>();
    if (!memory) {
        return;
    }
    Grid& sets = memory->gridSet();
    sets.setCurrent(row, 0);
    app.rs232.SetNumber = TextRules::LeadingNumber(sets.model().text(row, 0));
    const auto block = LoggerSets::SetBlock(app.rs232.RxBuffer, app.rs232.SetNumber);
    if (!block) {
        return;
    }
    const auto start = AskStartingTime(app, memory);
    if (!start) {
        return;
    }
    app.rs232.SetRecords = LoggerSets::BlockRecords(*block);

    DataList& list = app.windows().get<DataList>();
    list.show();
    Grid& grid = list.grid();
    const QFontMetricsF metrics(memory->font());
    for (int c = 0; c < ListLayout::Columns; ++c) {
        grid.setCurrent(0, c);
        grid.setColWidth(c, qRound(metrics.horizontalAdvance(ListLayout::widthSample(c))));
    }
    const int setRow = int(app.rs232.SetNumber);
    app.transfer.SetOhmRangeText = sets.model().text(setRow, 1);
    app.transfer.SetVoltRangeText = sets.model().text(setRow, 2);
    // The caption counts the records as they are decoded, then names the list again.
    Progress progress(app.clock(),
                      [&list](qint64 record) { list.setWindowTitle(QString::number(record)); });
    const int listed = SetListing::Fill(grid.model(), *block, *start,
                                        [&progress](qint64 record) { progress.update(record); });
    if (listed > 0) {
        progress.finish(listed);
    }
    list.setWindowTitle(QStringLiteral("Data List"));
}
