#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "ProgramRig.h"
#include "tst_e2e.h"
#include "windows/graphs/RealTimeRange.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/records/List.h"

namespace {

using Kind = ScriptedDialogs::Kind;

// 40 mOhm / 4 V (status 0x03) until the range change to 40 mOhm / 40 V, then a new reading.
constexpr char MeterScenario[] =
    "0    counts 1111 2222\n"
    "6    status 0x07\n"
    "7.5  counts 3333 4444\n";
constexpr char ChangeSent[] = "status 0x07";
constexpr qint16 NewRange = 7;
// How long the person keeps the question on screen once the meter has changed: longer than a
// window that goes with its question takes to bring the program down.
constexpr int LingerMs = 400;
// Time for the program to read the change once the meter has sent it, when it reads at all.
constexpr int ReadChangeMs = 2500;
// A question still on screen then is answered Cancel, and the test fails.
constexpr int GiveUpMs = 20000;

// A person who leaves one kind of question on screen until the meter has changed its range,
// and a little longer. Meanwhile the question is a modal dialog of its window with its own
// event loop, as Qt's dialogs are.
class SlowPerson {
  public:
    SlowPerson(ProgramRig& rig, SimProcess& sim, SimLog& log, Kind kind)
        : rig_(rig), sim_(sim), log_(log), kind_(kind) {
        rig.dialogs.whileShown = [this](Kind asked, QWidget* parent) {
            if (asked == kind_ && !lingered) {
                lingered = true;
                linger(parent);
            }
        };
    }

    bool lingered = false;
    bool askedBeforeChange = false;
    bool readWhileShown = false;  // the program took in the new range meanwhile
    bool stayedOnScreen = false;  // the question, after the change
    bool windowStayed = false;    // the question's window, after the change
    bool inFront = false;         // the question had the focus, above any window reopened
    QPointer<QWidget> window;

  private:
    void linger(QWidget* parent) {
        window = parent;
        askedBeforeChange = rig_.app.meter.RangeCode != NewRange && log_.count(ChangeSent) == 0;
        QDialog question(parent);
        question.setWindowTitle(QStringLiteral("Question"));
        QTimer answer;
        answer.setSingleShot(true);
        QObject::connect(&answer, &QTimer::timeout, &question, [&] {
            stayedOnScreen = question.isVisible();
            inFront = QApplication::activeWindow() == &question;
            windowStayed = window && window->isVisible();
            question.accept();
        });
        auto look = [&] {
            if (!readWhileShown && rig_.app.meter.RangeCode == NewRange) {
                readWhileShown = true;
                answer.start(LingerMs);
            } else if (!answer.isActive() && log_.count(ChangeSent) > 0) {
                answer.start(ReadChangeMs);
            }
        };
        QObject::connect(&rig_.app.receiver(), &Receiver::readingDecoded, &question, look);
        // After the log's own connection, so that the log has the line.
        QObject::connect(&sim_.process(), &QProcess::readyReadStandardError, &question, look);
        QTimer::singleShot(GiveUpMs, &question, &QDialog::reject);
        question.exec();
    }

    ProgramRig& rig_;
    SimProcess& sim_;
    SimLog& log_;
    Kind kind_;
};

}  // namespace

void TestUnderDialog::rangeChange_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<QString>("file");     // the answer to the file dialog; empty: Cancel
    QTest::addColumn<bool>("print");       // the answer to the printer dialog
    QTest::addColumn<Kind>("asked");       // the question left on screen
    QTest::addColumn<QString>("message");  // the start of the message shown, if any
    QTest::addColumn<bool>("readUnder");   // the program reads the change under the question
    QTest::addColumn<bool>("closes");      // and closes the question's window
    QTest::addColumn<QString>("written");  // "list": the list saved, "pdf": printed, or nothing

    const QString refusal = QStringLiteral("Aready in recording mode, close it and try again !");
    const QString notSaved = QStringLiteral("The list could not be saved to");
    // clang-format off
    QTest::newRow("List, save dialog, saved")
        << "List" << "Save" << false << "list.Kmk" << false << Kind::SaveFile << "" << true << true
        << "list";
    QTest::newRow("List, save dialog, cancelled")
        << "List" << "Save" << false << "" << false << Kind::SaveFile << "" << true << true << "";
    QTest::newRow("List, recording refusal")
        << "List" << "Save" << true << "" << false << Kind::Message << refusal << true << true << "";
    QTest::newRow("List, save failed")
        << "List" << "Save" << false << "missing/list.Kmk" << false << Kind::Message << notSaved
        << true << true << "";
    // The receive tick is off while a list prints: the range change waits for its end.
    QTest::newRow("List, printer dialog")
        << "List" << "Print" << false << "" << true << Kind::Printer << "" << false << false
        << "pdf";
    QTest::newRow("RealTimeX, printer dialog, printed")
        << "RealTimeX" << "Print" << false << "" << true << Kind::Printer << "" << true << true
        << "pdf";
    QTest::newRow("RealTimeY, printer dialog, cancelled")
        << "RealTimeY" << "Print" << false << "" << false << Kind::Printer << "" << true << true
        << "";
    // The graphs' range dialog is a window of its own: the graphs restart under it.
    QTest::newRow("RealTimeRange, refusal")
        << "RealTimeRange" << "OK" << false << "" << false << Kind::Message
        << "0 <= (m)Ohm <= 40, try again!" << true << false << "";
    // clang-format on
}

// A window the program closes by itself, on a range change, while one of its questions is on
// screen: the program goes on, the answer does what was asked, and the meter is still read.
void TestUnderDialog::rangeChange() {
    QFETCH(QString, window);
    QFETCH(QString, command);
    QFETCH(bool, recording);
    QFETCH(QString, file);
    QFETCH(bool, print);
    QFETCH(Kind, asked);
    QFETCH(QString, message);
    QFETCH(bool, readUnder);
    QFETCH(bool, closes);
    QFETCH(QString, written);

    const bool chart = window.startsWith(QStringLiteral("RealTime"));
    if (asked == Kind::Printer && chart && !QPrinterInfo::defaultPrinter().isNull()) {
        QSKIP("a default printer is set up: the graphs print without the printer dialog");
    }
    QTemporaryDir dir;
    const QString scenario = WriteText(dir.filePath(QStringLiteral("meter.txt")), MeterScenario);
    SimProcess sim({"--period", "100", "--verbose", "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    SimLog log(sim);
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("11.11"), 10000);
    rig.setSamplingTime(1);
    if (recording) {
        rig.dialogs.files.enqueue(dir.filePath(QStringLiteral("recording.Kmk")));
        rig.click(QStringLiteral("Save"));
        QVERIFY(rig.app.transfer.Recording);
    }

    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    rig.dialogs.printerAnswers.enqueue(print);
    rig.dialogs.printerSetup = [pdf](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    if (!file.isEmpty()) {
        rig.dialogs.files.enqueue(dir.filePath(file));
    }
    SlowPerson person(rig, sim, log, asked);

    QPointer<AppWindow> target;
    QPointer<List> oldList;
    if (window == QStringLiteral("List")) {
        rig.click(QStringLiteral("List"));
        oldList = rig.app.windows().find<List>();
        QVERIFY(oldList);
        QTRY_VERIFY_WITH_TIMEOUT(oldList->grid().model().Rows() >= 3, 10000);
        target = oldList.data();
        oldList->toolbarClick(command);
    } else {
        rig.click(QStringLiteral("Graph"));
        if (window == QStringLiteral("RealTimeX")) {
            target = rig.app.windows().find<RealTimeX>();
        } else if (window == QStringLiteral("RealTimeY")) {
            target = rig.app.windows().find<RealTimeY>();
        } else {
            rig.app.windows().find<RealTimeX>()->findChild<QAction*>("Limit")->trigger();
            target = rig.app.windows().find<RealTimeRange>();
            QVERIFY(target);
            target->findChild<QLineEdit*>(QStringLiteral("TextXMax"))->setText("9999");
        }
        QVERIFY(target && target->isVisible());
        if (command == QStringLiteral("OK")) {
            target->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
        } else {
            target->findChild<QAction*>(command)->trigger();
        }
    }

    // The question was on screen from before the change to after it.
    QVERIFY(person.lingered);
    QVERIFY2(person.askedBeforeChange, "the meter changed its range before the question");
    QVERIFY(person.stayedOnScreen);
    QCOMPARE(person.readWhileShown, readUnder);
    QCOMPARE(person.window.data(), static_cast<QWidget*>(target.data()));
    QCOMPARE(person.windowStayed, !closes);
    QVERIFY(person.inFront);

    // The answer did what was asked.
    if (message.isEmpty()) {
        QVERIFY(rig.dialogs.messages.isEmpty());
    } else {
        QCOMPARE(rig.dialogs.messages.size(), 1);
        QVERIFY2(rig.dialogs.messages.first().text.startsWith(message),
                 qPrintable(rig.dialogs.messages.first().text));
    }
    const QString saved = dir.filePath(file.isEmpty() ? QStringLiteral("list.Kmk") : file);
    if (written == QStringLiteral("list")) {
        // The list as it was when the meter changed: its rows under its own range.
        QVERIFY(oldList);
        const int rows = oldList->grid().model().Rows();
        const QList<QByteArray> lines = FileLines(saved);
        QCOMPARE(lines.size(), rows);
        QCOMPARE(lines.first(), QByteArray("No.s\t   Date\t   Time\t40mOhm\t4Voltage\t\r\n"));
        for (int r = 1; r < rows; ++r) {
            const QList<QByteArray> fields = lines.at(r).split('\t');
            QCOMPARE(fields.at(0), QByteArray::number(r));
            QCOMPARE(fields.at(3), QByteArray("11.11"));
            QCOMPARE(fields.at(4), QByteArray("2.222"));
        }
    } else {
        QVERIFY(!QFileInfo::exists(saved));
    }
    if (written == QStringLiteral("pdf")) {
        QVERIFY(QFileInfo(pdf).size() > 0);
    } else {
        QVERIFY(!QFileInfo::exists(pdf));
    }

    // The closed window goes, fresh ones stand in the new range, and the meter is still read.
    if (closes) {
        QVERIFY(target && !target->isVisible());
        QTRY_VERIFY(target.isNull());
    }
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("33.33"), 10000);
    QCOMPARE(rig.volt(), QStringLiteral("44.44"));
    if (oldList) {
        QTRY_VERIFY(oldList.isNull());
    }
    if (window == QStringLiteral("List")) {
        List* list = rig.app.windows().find<List>();
        QVERIFY(list && list->isVisible());
        QCOMPARE(rig.app.meter.ListRangeCode, NewRange);
        QTRY_VERIFY_WITH_TIMEOUT(list->grid().model().Rows() >= 2, 10000);
        QCOMPARE(list->grid().model().text(1, 0), QStringLiteral("1"));
        QVERIFY(!rig.app.transfer.Recording);
    } else {
        RealTimeX* x = rig.app.windows().find<RealTimeX>();
        RealTimeY* y = rig.app.windows().find<RealTimeY>();
        QVERIFY(x && y && x->isVisible() && y->isVisible());
        QVERIFY(x->timer1().isActive() && y->timer1().isActive());
        QCOMPARE(rig.app.meter.GraphRangeCode, NewRange);
        QVERIFY(x->toolbar()->isVisible() && y->toolbar()->isVisible());
    }
    if (window == QStringLiteral("RealTimeRange")) {
        // Left open with the typed text, for the person to mend.
        QVERIFY(target && target->isVisible());
        QCOMPARE(target->findChild<QLineEdit*>(QStringLiteral("TextXMax"))->text(),
                 QStringLiteral("9999"));
    }
}
