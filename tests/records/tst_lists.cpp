#include <QDir>
#include <QEvent>
#include <QPointer>
#include <QTest>
#include <optional>

#include "FileLimit.h"
#include "RecordsRig.h"
#include "platform/Grid.h"
#include "records/List.h"
#include "records/ListLayout.h"
#include "records/LiveList.h"
#include "records/ToolbarCommands.h"
#include "tst_records.h"

namespace {

// Notes every caption a window shows.
class CaptionLog : public QObject {
  public:
    explicit CaptionLog(QWidget& window) : window_(window) { window.installEventFilter(this); }
    QStringList captions;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::WindowTitleChange) {
            captions.append(window_.windowTitle());
        }
        return false;
    }

  private:
    QWidget& window_;
};

QStringList column(const GridModel& grid, int col) {
    QStringList cells;
    for (int r = 1; r < grid.Rows(); ++r) {
        cells.append(grid.text(r, col));
    }
    return cells;
}

QStringList numbers(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i) {
        out.append(QString::number(i));
    }
    return out;
}

}  // namespace

void TestLists::topRowFollows_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("topRow");
    QTest::newRow("20 rows") << 20 << 1;
    QTest::newRow("21 rows") << 21 << 2;
    QTest::newRow("25 rows") << 25 << 6;
}

void TestLists::topRowFollows() {
    QFETCH(int, rows);
    QFETCH(int, topRow);

    RecordsRig rig;
    QVERIFY(rig.loaded);
    rig.app.transfer.SamplingTime = 1;
    ToolbarClick(rig.app, QStringLiteral("List"));
    List* list = rig.app.windows().find<List>();
    QVERIFY(list && list->isVisible());
    rig.tick(rows);
    const GridModel& grid = list->grid().model();
    QCOMPARE(grid.Rows(), rows + 1);
    QCOMPARE(list->grid().topRow(), topRow);
    QCOMPARE(column(grid, 0), numbers(1, rows));
    QCOMPARE(grid.row(1).join(u'|'), QStringLiteral("1|2021/07/01|10:20:31|12.34|4.012"));
    QCOMPARE(grid.row(0).join(u'|'), QStringLiteral("No.s|   Date|   Time|Ohm|Voltage"));
}

void TestLists::listStopsAtLimit() {
    RecordsRig rig;
    QVERIFY(rig.loaded);
    rig.app.transfer.SamplingTime = 1;
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick(2);
    rig.app.transfer.ListCount = 43748;
    rig.tick(3);
    const GridModel& grid = rig.app.windows().get<List>().grid().model();
    QCOMPARE(column(grid, 0), (QStringList{"1", "2", "43749"}));
    QVERIFY(!rig.app.transfer.ListOpen);
    QVERIFY(rig.app.windows().isVisible<List>());
    // "List Display" again: it grows again, numbered from 1 below the old rows.
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick();
    QCOMPARE(column(grid, 0), (QStringList{"1", "2", "43749", "1"}));
}

void TestLists::reopenNumbersFromOne() {
    RecordsRig rig;
    QVERIFY(rig.loaded);
    rig.app.transfer.SamplingTime = 1;
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick(3);
    rig.app.windows().get<List>().close();
    QCOMPARE(rig.app.transfer.ListCount, 0);
    QVERIFY(!rig.app.transfer.ListOpen);
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick(2);
    QCOMPARE(column(rig.app.windows().get<List>().grid().model(), 0), (QStringList{"1", "2"}));
}

void TestLists::restartOnRangeChange_data() {
    QTest::addColumn<int>("newRange");
    QTest::addColumn<bool>("restarts");
    QTest::newRow("same range") << 3 << false;
    QTest::newRow("4 V to 40 V") << 7 << true;
    QTest::newRow("40 to 400 milliohm") << 2 << true;
}

void TestLists::restartOnRangeChange() {
    QFETCH(int, newRange);
    QFETCH(bool, restarts);

    RecordsRig rig;
    QVERIFY(rig.loaded);
    rig.app.transfer.SamplingTime = 1;
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick(3);
    QPointer<List> before = rig.app.windows().find<List>();
    rig.app.meter.RangeCode = qint16(newRange);
    RestartListOnRangeChange(rig.app);
    List* after = rig.app.windows().find<List>();
    QVERIFY(after && after->isVisible());
    QCOMPARE(after != before.data(), restarts);
    QVERIFY(rig.app.transfer.ListOpen);
    QCOMPARE(rig.app.meter.ListRangeCode, qint16(newRange));
    rig.tick();
    QCOMPARE(column(after->grid().model(), 0).last(), restarts ? QStringLiteral("1") : "4");
    QCOMPARE(after->grid().model().Rows(), restarts ? 2 : 5);
}

void TestLists::saveWritesRangeHeaders_data() {
    QTest::addColumn<int>("ohmRange");
    QTest::addColumn<bool>("milliOhm");
    QTest::addColumn<int>("voltRange");
    QTest::addColumn<QByteArray>("headerLine");
    QTest::newRow("40 mOhm, 4 V") << 40 << true << 4
                                  << QByteArray("No.s\t   Date\t   Time\t40mOhm\t4Voltage\t\r\n");
    QTest::newRow("400 mOhm, 40 V")
        << 400 << true << 40 << QByteArray("No.s\t   Date\t   Time\t400mOhm\t40Voltage\t\r\n");
    QTest::newRow("4 Ohm, 4 V") << 4 << false << 4
                                << QByteArray("No.s\t   Date\t   Time\t4Ohm\t4Voltage\t\r\n");
}

void TestLists::saveWritesRangeHeaders() {
    QFETCH(int, ohmRange);
    QFETCH(bool, milliOhm);
    QFETCH(int, voltRange);
    QFETCH(QByteArray, headerLine);

    RecordsRig rig;
    QVERIFY(rig.loaded);
    rig.app.transfer.SamplingTime = 1;
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick(3);
    rig.app.meter.OhmRange = qint16(ohmRange);
    rig.app.meter.MilliOhmUnit = milliOhm;
    rig.app.meter.VoltRange = qint16(voltRange);
    List& list = rig.app.windows().get<List>();
    list.grid().setColWidth(ListLayout::Ohm, 3);
    const QString path = rig.path(QStringLiteral("list save"));
    rig.dialogs.files.enqueue(path);
    CaptionLog log(list);

    list.toolbarClick(QStringLiteral("Save"));

    QCOMPARE(RecordsRig::fileBytes(path), headerLine +
                                              "1\t2021/07/01\t10:20:31\t12.34\t4.012\t\r\n"
                                              "2\t2021/07/01\t10:20:32\t12.34\t4.012\t\r\n"
                                              "3\t2021/07/01\t10:20:33\t12.34\t4.012\t\r\n");
    QCOMPARE(rig.dialogs.lastFilter,
             QStringLiteral("Kelvomark (*.Kmk)|*.Kmk|All Files (*.*)|*.*|"));
    QCOMPARE(list.grid().model().row(0).join(u'|'),
             QStringLiteral("No.s|   Date|   Time|Ohm|Voltage"));
    QCOMPARE(list.grid().colWidth(ListLayout::Ohm),
             list.grid().textWidth(ListLayout::widthSample(ListLayout::Ohm)));
    QVERIFY(!rig.app.transfer.SaveAccepted);
    QVERIFY(rig.dialogs.messages.isEmpty());
    // The clock stands still: the first count, the exact final count, the caption back.
    QCOMPARE(log.captions,
             (QStringList{"0Records Completed", "3Records Completed", "Real Time List"}));
}

void TestLists::saveRefusedWhileRecording() {
    RecordsRig rig;
    QVERIFY(rig.loaded);
    rig.app.transfer.SamplingTime = 1;
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick(2);
    rig.dialogs.files.enqueue(rig.path(QStringLiteral("rec.Kmk")));
    ToolbarClick(rig.app, QStringLiteral("Save"));
    QVERIFY(rig.app.transfer.Recording);
    const QString listPath = rig.path(QStringLiteral("list.Kmk"));
    rig.dialogs.files.enqueue(listPath);

    List& list = rig.app.windows().get<List>();
    list.toolbarClick(QStringLiteral("Save"));

    QCOMPARE(rig.dialogs.messages.size(), 1);
    QCOMPARE(rig.dialogs.messages.first().icon, Dialogs::Icon::Critical);
    QCOMPARE(rig.dialogs.messages.first().title, Dialogs::appTitle());
    QCOMPARE(rig.dialogs.messages.first().text,
             QStringLiteral("Aready in recording mode, close it and try again !"));
    QCOMPARE(rig.dialogs.files.size(), 1);
    QVERIFY(!QFile::exists(listPath));
    QCOMPARE(list.grid().model().row(0).join(u'|'),
             QStringLiteral("No.s|   Date|   Time|Ohm|Voltage"));
    QVERIFY(rig.app.transfer.Recording);
}

void TestLists::saveCancelled() {
    RecordsRig rig;
    QVERIFY(rig.loaded);
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick(2);
    List& list = rig.app.windows().get<List>();
    CaptionLog log(list);
    list.toolbarClick(QStringLiteral("Save"));
    QVERIFY(!rig.app.transfer.SaveAccepted);
    QVERIFY(log.captions.isEmpty());
    QVERIFY(rig.dialogs.messages.isEmpty());
    QCOMPARE(list.grid().model().row(0).join(u'|'),
             QStringLiteral("No.s|   Date|   Time|Ohm|Voltage"));
}

void TestLists::saveFailureKeepsOldFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("sizeLimit");  // 0: none
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full") << "old.Kmk" << 200 << "File too large";
    QTest::newRow("missing folder") << "gone/old.Kmk" << 0 << "No such file or directory";
}

void TestLists::saveFailureKeepsOldFile() {
    QFETCH(QString, name);
    QFETCH(int, sizeLimit);
    QFETCH(QString, reason);

    RecordsRig rig;
    QVERIFY(rig.loaded);
    rig.app.transfer.SamplingTime = 1;
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick(40);
    const QString path = rig.path(name);
    const QByteArray old =
        "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n1\t2021/06/30\t09:00:00\t1\t2\r\n";
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(old);
        }
    }
    const QByteArray before = RecordsRig::fileBytes(path);
    rig.dialogs.files.enqueue(path);
    List& list = rig.app.windows().get<List>();
    {
        std::optional<FileLimit> limit;
        if (sizeLimit > 0) {
            limit.emplace(rlim_t(sizeLimit));
        }
        list.toolbarClick(QStringLiteral("Save"));
    }
    QCOMPARE(RecordsRig::fileBytes(path), before);
    QCOMPARE(rig.dialogs.messages.size(), 1);
    const ScriptedDialogs::Shown& shown = rig.dialogs.messages.first();
    QCOMPARE(shown.icon, Dialogs::Icon::Critical);
    QVERIFY2(shown.text.contains(path) && shown.text.contains(reason), qPrintable(shown.text));
    QCOMPARE(list.windowTitle(), QStringLiteral("Real Time List"));
    QCOMPARE(list.grid().model().text(0, ListLayout::Ohm), QStringLiteral("Ohm"));
    // No temporary file left behind.
    QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files),
             sizeLimit > 0 ? QStringList{name} : QStringList{});
}
