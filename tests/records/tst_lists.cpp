#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QPointer>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTest>
#include <optional>

#include "FileLimit.h"
#include "GridChecks.h"
#include "RecordsRig.h"
#include "core/records/ListLayout.h"
#include "platform/widgets/Grid.h"
#include "shell/ToolbarCommands.h"
#include "windows/records/List.h"
#include "windows/records/LiveList.h"

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

QStringList column(List& list, int col) {
    QStringList cells;
    const GridModel& grid = list.grid().model();
    for (int r = 1; r < grid.Rows(); ++r) {
        cells.append(grid.text(r, col));
    }
    return cells;
}

// A rig with the live list open and `rows` samples in it, one a second.
List& openList(RecordsRig& rig, int rows) {
    rig.app.transfer.SamplingTime = 1;
    ToolbarClick(rig.app, QStringLiteral("List"));
    rig.tick(rows);
    return rig.app.windows().get<List>();
}

const QString ListHeader = QStringLiteral("No.s|   Date|   Time|Ohm|Voltage");

}  // namespace

class TestLists : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    // The list opens showing 20 whole rows in its own font, every column in view; from the 21st
    // row on the view moves down a row with each sample, and the newest row is in full view.
    void newestRowInView_data() {
        QTest::addColumn<int>("pointSize");  // 0: the default font
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("topRow");
        for (const int size : {0, 7, 20}) {
            const QByteArray font = size == 0 ? "default font" : QByteArray::number(size) + " pt";
            QTest::newRow(font + ", 20 rows") << size << 20 << 1;
            QTest::newRow(font + ", 21 rows") << size << 21 << 2;
            QTest::newRow(font + ", 25 rows") << size << 25 << 6;
            QTest::newRow(font + ", 60 rows") << size << 60 << 41;
        }
    }

    void newestRowInView() {
        QFETCH(int, pointSize);
        QFETCH(int, rows);
        QFETCH(int, topRow);

        const QFont font = QApplication::font();
        const auto restore = qScopeGuard([&font] { QApplication::setFont(font); });
        if (pointSize > 0) {
            QFont other = font;
            other.setPointSize(pointSize);
            QApplication::setFont(other);
        }
        RecordsRig rig;
        QVERIFY(rig.loaded);
        List& list = openList(rig, rows);
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        Grid& grid = list.grid();
        QCOMPARE(grid.font(), QApplication::font());
        QVERIFY(grid.rowHeight() > QFontMetrics(grid.font()).height());
        // 20 whole rows, and not a 21st.
        QCOMPARE(grid.viewport()->height() / grid.rowHeight(), 20);
        QVERIFY(!grid.horizontalScrollBar()->isVisible());
        QCOMPARE(ClippedColumns(grid), QStringList());
        QCOMPARE(grid.topRow(), topRow);
        const QRect newest = grid.visualRect(grid.model().index(rows - 1, 0));
        QVERIFY(grid.viewport()->rect().contains(newest));

        QCOMPARE(column(list, 0).size(), rows);
        QCOMPARE(column(list, 0).last(), QString::number(rows));
        QCOMPARE(list.grid().model().row(1).join(u'|'),
                 QStringLiteral("1|2021/07/01|10:20:31|12.34|4.012"));
        QCOMPARE(list.grid().model().row(0).join(u'|'), ListHeader);
    }

    // A person who scrolled back to older rows keeps them in sight: each sample moves the view
    // one row down from where it stands.
    void scrolledBackStays_data() {
        QTest::addColumn<int>("scrollTo");  // the scroll bar's value: the top row less 1
        QTest::newRow("to the first row") << 0;
        QTest::newRow("to row 10") << 9;
    }

    void scrolledBackStays() {
        QFETCH(int, scrollTo);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        List& list = openList(rig, 40);
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        Grid& grid = list.grid();
        QCOMPARE(grid.topRow(), 21);
        grid.verticalScrollBar()->setValue(scrollTo);
        QCOMPARE(grid.topRow(), scrollTo + 1);
        rig.tick();
        QCOMPARE(grid.topRow(), scrollTo + 2);
        rig.tick(2);
        QCOMPARE(grid.topRow(), scrollTo + 4);
        QCOMPARE(column(list, 0).last(), QStringLiteral("43"));
    }

    void numbering() {
        RecordsRig rig;
        QVERIFY(rig.loaded);
        List& list = openList(rig, 2);
        rig.app.transfer.ListCount = 43748;
        rig.tick(3);
        QCOMPARE(column(list, 0), (QStringList{"1", "2", "43749"}));
        QVERIFY(!rig.app.transfer.ListOpen);
        QVERIFY(list.isVisible());
        // Shown again, it grows again from 1 below the old rows.
        ToolbarClick(rig.app, QStringLiteral("List"));
        rig.tick();
        QCOMPARE(column(list, 0), (QStringList{"1", "2", "43749", "1"}));
        // Closed and opened: a new list from 1.
        list.close();
        QVERIFY(!rig.app.transfer.ListOpen);
        QCOMPARE(rig.app.transfer.ListCount, 0);
        QCOMPARE(column(openList(rig, 2), 0), (QStringList{"1", "2"}));
    }

    void restartOnRangeChange_data() {
        QTest::addColumn<int>("newRange");
        QTest::addColumn<bool>("restarts");
        QTest::newRow("same range") << 3 << false;
        QTest::newRow("4 V to 40 V") << 7 << true;
        QTest::newRow("40 to 400 milliohm") << 2 << true;
    }

    void restartOnRangeChange() {
        QFETCH(int, newRange);
        QFETCH(bool, restarts);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        QPointer<List> before = &openList(rig, 3);
        rig.app.meter.RangeCode = qint16(newRange);
        RestartListOnRangeChange(rig.app);
        List* after = rig.app.windows().find<List>();
        QVERIFY(after && after->isVisible());
        QCOMPARE(after != before.data(), restarts);
        QVERIFY(rig.app.transfer.ListOpen);
        QCOMPARE(rig.app.meter.ListRangeCode, qint16(newRange));
        rig.tick();
        QCOMPARE(column(*after, 0).join(u' '), QString::fromLatin1(restarts ? "1" : "1 2 3 4"));
    }

    void saveWritesRangeHeaders_data() {
        QTest::addColumn<int>("ohmRange");
        QTest::addColumn<bool>("milliOhm");
        QTest::addColumn<int>("voltRange");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("40 mOhm, 4 V")
            << 40 << true << 4 << QByteArray("No.s\t   Date\t   Time\t40mOhm\t4Voltage\t");
        QTest::newRow("4 Ohm, 40 V")
            << 4 << false << 40 << QByteArray("No.s\t   Date\t   Time\t4Ohm\t40Voltage\t");
    }

    void saveWritesRangeHeaders() {
        QFETCH(int, ohmRange);
        QFETCH(bool, milliOhm);
        QFETCH(int, voltRange);
        QFETCH(QByteArray, header);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        List& list = openList(rig, 2);
        rig.app.meter.OhmRange = qint16(ohmRange);
        rig.app.meter.MilliOhmUnit = milliOhm;
        rig.app.meter.VoltRange = qint16(voltRange);
        list.grid().setColWidth(ListLayout::Ohm, 3);
        const QString path = rig.path(QStringLiteral("list save"));
        rig.dialogs.files.enqueue(path);
        CaptionLog log(list);

        list.toolbarClick(QStringLiteral("Save"));

        QCOMPARE(RecordsRig::fileBytes(path), header +
                                                  "\r\n"
                                                  "1\t2021/07/01\t10:20:31\t12.34\t4.012\t\r\n"
                                                  "2\t2021/07/01\t10:20:32\t12.34\t4.012\t\r\n");
        QCOMPARE(rig.dialogs.lastFilter,
                 QStringLiteral("Kelvomark (*.Kmk)|*.Kmk|All Files (*.*)|*.*|"));
        QCOMPARE(list.grid().model().row(0).join(u'|'), ListHeader);
        QCOMPARE(list.grid().colWidth(ListLayout::Ohm),
                 list.grid().textWidth(ListLayout::widthSample(ListLayout::Ohm)));
        QVERIFY(!rig.app.transfer.SaveAccepted);
        QVERIFY(rig.dialogs.messages.isEmpty());
        // The clock stands still: the first count, the exact last one, the caption back.
        QCOMPARE(log.captions,
                 (QStringList{"0Records Completed", "2Records Completed", "Real Time List"}));
    }

    void saveWritesNothing_data() {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<QString>("message");
        QTest::newRow("while recording")
            << true << "Aready in recording mode, close it and try again !";
        QTest::newRow("cancelled") << false << "";
    }

    void saveWritesNothing() {
        QFETCH(bool, recording);
        QFETCH(QString, message);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        List& list = openList(rig, 2);
        if (recording) {
            rig.dialogs.files.enqueue(rig.path(QStringLiteral("rec.Kmk")));
            ToolbarClick(rig.app, QStringLiteral("Save"));
            rig.dialogs.files.enqueue(rig.path(QStringLiteral("list.Kmk")));
        }
        CaptionLog log(list);
        list.toolbarClick(QStringLiteral("Save"));
        QCOMPARE(rig.dialogs.files.size(), recording ? 1 : 0);
        QVERIFY(!QFile::exists(rig.path(QStringLiteral("list.Kmk"))));
        QVERIFY(log.captions.isEmpty());
        QCOMPARE(list.grid().model().row(0).join(u'|'), ListHeader);
        QCOMPARE(rig.app.transfer.Recording, recording);
        QCOMPARE(rig.dialogs.messages.size(), recording ? 1 : 0);
        if (recording) {
            const ScriptedDialogs::Shown& shown = rig.dialogs.messages.first();
            QCOMPARE(shown.icon, Dialogs::Icon::Critical);
            QCOMPARE(shown.title, Dialogs::appTitle());
            QCOMPARE(shown.text, message);
        }
    }

    void saveFailureKeepsOldFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sizeLimit");  // 0: none
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full") << "old.Kmk" << 200 << "File too large";
        QTest::newRow("missing folder") << "gone/old.Kmk" << 0 << "No such file or directory";
    }

    void saveFailureKeepsOldFile() {
        QFETCH(QString, name);
        QFETCH(int, sizeLimit);
        QFETCH(QString, reason);

        RecordsRig rig;
        QVERIFY(rig.loaded);
        List& list = openList(rig, 40);
        const QString path = rig.path(name);
        if (sizeLimit > 0) {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("No.s\tDate\tTime\t40mOhm\t4Voltage\r\n1\t2021/06/30\t09:00:00\t1\t2\r\n");
        }
        const QByteArray before = RecordsRig::fileBytes(path);
        rig.dialogs.files.enqueue(path);
        {
            std::optional<FileLimit> limit;
            if (sizeLimit > 0) {
                limit.emplace(rlim_t(sizeLimit));
            }
            list.toolbarClick(QStringLiteral("Save"));
        }
        QCOMPARE(RecordsRig::fileBytes(path), before);
        // No temporary file left behind.
        QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files),
                 sizeLimit > 0 ? QStringList{name} : QStringList{});
        QCOMPARE(rig.dialogs.messages.size(), 1);
        const ScriptedDialogs::Shown& shown = rig.dialogs.messages.first();
        QCOMPARE(shown.icon, Dialogs::Icon::Critical);
        QVERIFY2(shown.text.contains(path) && shown.text.contains(reason), qPrintable(shown.text));
        QCOMPARE(list.windowTitle(), QStringLiteral("Real Time List"));
        QCOMPARE(list.grid().model().row(0).join(u'|'), ListHeader);
    }
};

int runListTests(int argc, char* argv[]) {
    TestLists t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_lists.moc"
