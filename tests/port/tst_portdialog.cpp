#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "ComEnvironment.h"
#include "PtyPair.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "core/port/PortChoice.h"
#include "platform/Clock.h"
#include "shell/Panel.h"
#include "shell/Port.h"
#include "tst_port.h"
#include "windows/common/App.h"
#include "windows/port/SerialDevices.h"

namespace {

// The program at start: the port dialog shown.
struct Start {
    Start() : app(dialogs, clock, shell) { port().show(); }

    Port& port() { return app.windows().get<Port>(); }
    QComboBox* txtCom() { return port().findChild<QComboBox*>(QStringLiteral("TxtCOM")); }
    QPushButton* button(const char* name) {
        return port().findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QProgressBar* progress() {
        return port().findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    }
    QStringList entries() {
        QStringList out;
        for (int i = 0; i < txtCom()->count(); ++i) {
            out.append(txtCom()->itemText(i));
        }
        return out;
    }
    void type(const QString& text) {
        txtCom()->lineEdit()->clear();
        QTest::keyClicks(txtCom()->lineEdit(), text);
    }

    ScriptedDialogs dialogs;
    SystemClock clock;
    RecordingShell shell;
    App app;
};

}  // namespace

void TestPortDialog::numberFor_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");  // 0: matches nothing
    QTest::newRow("Auto") << "Auto" << 1;
    QTest::newRow("COM  1") << "COM  1" << 1;
    QTest::newRow("COM  9") << "COM  9" << 9;
    QTest::newRow("COM  16") << "COM  16" << 16;
    QTest::newRow("COM3 without blanks") << "COM3" << 0;
    QTest::newRow("one blank") << "COM 3" << 0;
    QTest::newRow("leading zero") << "COM  03" << 0;
    QTest::newRow("trailing blank") << "COM  3 " << 0;
    QTest::newRow("leading blank") << " COM  3" << 0;
    QTest::newRow("lower case") << "com  3" << 0;
    QTest::newRow("AUTO") << "AUTO" << 0;
    QTest::newRow("COM  0") << "COM  0" << 0;
    QTest::newRow("COM  17") << "COM  17" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestPortDialog::numberFor() {
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(PortChoice::numberFor(text).value_or(0), number);
}

void TestPortDialog::startsWithSixteenEntries() {
    ComEnvironment env;
    PtyPair pty;
    env.set(1, pty.path());
    Start start;
    QCOMPARE(start.port().windowTitle(), QStringLiteral("COM Port"));
    QCOMPARE(start.entries(), PortChoice::allEntries());
    QCOMPARE(start.entries().size(), 16);
    QCOMPARE(start.entries().last(), QStringLiteral("COM  16"));
    QCOMPARE(start.txtCom()->currentIndex(), 0);
    QCOMPARE(start.txtCom()->currentText(), QStringLiteral("COM  1"));
    QVERIFY(start.button("CmdOk")->isDefault());
    auto* device = start.port().findChild<QLabel*>(QStringLiteral("LblDevice"));
    QVERIFY(device->text().contains(pty.path()));
    start.type(QStringLiteral("COM  7"));
    QCOMPARE(device->text(), QStringLiteral("COM 7 stands for no device."));
}

void TestPortDialog::ok_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("opens");
    QTest::newRow("COM  1") << "COM  1" << 1 << true;
    QTest::newRow("Auto") << "Auto" << 1 << true;
    QTest::newRow("COM  16") << "COM  16" << 16 << true;
    QTest::newRow("COM3 matches nothing") << "COM3" << 0 << false;
    QTest::newRow("com  1 matches nothing") << "com  1" << 0 << false;
    QTest::newRow("COM  5 has no device") << "COM  5" << 5 << false;
}

void TestPortDialog::ok() {
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(bool, opens);

    ComEnvironment env;
    PtyPair one;
    PtyPair sixteen;
    env.set(1, one.path());
    env.set(16, sixteen.path());
    env.claimRest();
    Start start;
    start.type(text);
    QTest::mouseClick(start.button("CmdOk"), Qt::LeftButton);

    QCOMPARE(int(start.app.rs232.ComPortNo), number);
    Panel* panel = start.app.windows().find<Panel>();
    QVERIFY(panel);
    QCOMPARE(panel->isVisible(), opens);
    QCOMPARE(start.app.link().isOpen(), opens);
    if (opens) {
        QVERIFY(start.dialogs.messages.isEmpty());
    } else {
        QCOMPARE(start.dialogs.messages.size(), 1);
        QCOMPARE(start.dialogs.messages.first().icon, Dialogs::Icon::Critical);
        QCOMPARE(start.dialogs.messages.first().text, QStringLiteral("COM Port Open Error !!!"));
    }
    // The dialog is gone for good either way.
    QVERIFY(!start.app.windows().find<Port>());
}

// Enter in the box acts as OK does, on exactly the text typed.
void TestPortDialog::enterAccepts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");  // 0: matches nothing, "COM Port Open Error !!!"
    QTest::newRow("Auto") << "Auto" << 1;
    QTest::newRow("COM  3") << "COM  3" << 3;
    QTest::newRow("com  3") << "com  3" << 0;
    QTest::newRow("Com  3") << "Com  3" << 0;
    QTest::newRow("auto") << "auto" << 0;
    QTest::newRow("COM3") << "COM3" << 0;
    QTest::newRow("COM  3, a blank after") << "COM  3 " << 0;
}

void TestPortDialog::enterAccepts() {
    QFETCH(QString, text);
    QFETCH(int, number);

    ComEnvironment env;
    PtyPair one;
    PtyPair three;
    env.set(1, one.path());
    env.set(3, three.path());
    env.claimRest();
    Start start;
    QVERIFY(QTest::qWaitForWindowActive(&start.port()));
    start.txtCom()->setFocus();
    start.type(text);
    QTest::keyClick(start.txtCom()->lineEdit(), Qt::Key_Return);

    QCOMPARE(int(start.app.rs232.ComPortNo), number);
    Panel* panel = start.app.windows().find<Panel>();
    QVERIFY(panel);
    QCOMPARE(panel->isVisible(), number != 0);
    if (number != 0) {
        QVERIFY(start.dialogs.messages.isEmpty());
    } else {
        QCOMPARE(start.dialogs.messages.size(), 1);
        QCOMPARE(start.dialogs.messages.first().text, QStringLiteral("COM Port Open Error !!!"));
    }
    QVERIFY(!start.app.windows().find<Port>());
}

void TestPortDialog::scanListsFreeAndBusy() {
    ComEnvironment env;
    PtyPair four;
    PtyPair seven;
    PtyPair sixteen;
    env.set(4, four.path());
    env.set(7, seven.path());
    env.set(16, sixteen.path());
    env.claimRest();
    QSerialPort holder;  // another program holds COM 7
    QCOMPARE(SerialLink::openPath(holder, seven.path()), SerialLink::OpenResult::Ok);

    Start start;
    QTest::mouseClick(start.button("BtnAutoScan"), Qt::LeftButton);
    QCOMPARE(start.entries(), (QStringList{"COM  4", "COM  7", "COM  16"}));
    QCOMPARE(start.txtCom()->currentText(), QStringLiteral("COM  4"));
    QCOMPARE(start.progress()->maximum(), 16);
    QCOMPARE(start.progress()->value(), 16);
    QVERIFY(start.dialogs.messages.isEmpty());
    // No port talks: the first stays chosen, and once the listening is over no port is held.
    QTRY_VERIFY_WITH_TIMEOUT(!start.port().isListening(), 5000);
    QCOMPARE(start.txtCom()->currentText(), QStringLiteral("COM  4"));
    QCOMPARE(SerialLink::probe(four.path()), SerialLink::OpenResult::Ok);
    QCOMPARE(SerialLink::probe(sixteen.path()), SerialLink::OpenResult::Ok);
    QVERIFY(holder.isOpen());

    QTest::mouseClick(start.button("BtnReset"), Qt::LeftButton);
    QCOMPARE(start.entries(), PortChoice::allEntries());
    QCOMPARE(start.txtCom()->currentIndex(), -1);
    QCOMPARE(start.txtCom()->currentText(), QString());

    QTest::mouseClick(start.button("BtnAutoScan"), Qt::LeftButton);
    start.txtCom()->setCurrentIndex(2);
    QTest::mouseClick(start.button("CmdOk"), Qt::LeftButton);
    QCOMPARE(int(start.app.rs232.ComPortNo), 16);
    QVERIFY(start.app.link().isOpen());
    QVERIFY(start.dialogs.messages.isEmpty());
}

void TestPortDialog::scanFindsNothing() {
    ComEnvironment env;
    env.claimRest();
    Start start;
    QTest::mouseClick(start.button("BtnAutoScan"), Qt::LeftButton);
    QCOMPARE(start.entries(), QStringList());
    QCOMPARE(start.progress()->value(), 16);
    QCOMPARE(start.dialogs.messages.size(), 1);
    QCOMPARE(start.dialogs.messages.first().icon, Dialogs::Icon::Critical);
    QCOMPARE(start.dialogs.messages.first().text, QStringLiteral("Com Port Error !!!"));
    QVERIFY(start.port().isVisible());
}

// Every port that opens is listed; the one on which the meter's packets arrive is chosen, the
// first when none talks. Bytes that never make a packet are not the meter.
void TestPortDialog::scanChoosesThePortThatTalks_data() {
    QTest::addColumn<QStringList>("ports");  // COM 1, 2, 3: "meter", "silent" or "garbage"
    QTest::addColumn<QString>("chosen");

    QTest::newRow("meter behind a silent port")
        << QStringList{"silent", "meter", "silent"} << "COM  2";
    QTest::newRow("meter last") << QStringList{"silent", "garbage", "meter"} << "COM  3";
    QTest::newRow("meter first") << QStringList{"meter", "silent", "silent"} << "COM  1";
    QTest::newRow("none talks") << QStringList{"silent", "silent", "silent"} << "COM  1";
    QTest::newRow("only noise") << QStringList{"silent", "garbage", "garbage"} << "COM  1";
}

void TestPortDialog::scanChoosesThePortThatTalks() {
    QFETCH(QStringList, ports);
    QFETCH(QString, chosen);

    ComEnvironment env;
    std::vector<std::unique_ptr<PtyPair>> ptys;
    std::unique_ptr<SimProcess> sim;
    for (int i = 0; i < ports.size(); ++i) {
        if (ports.at(i) == QLatin1String("meter")) {
            sim = std::make_unique<SimProcess>(QStringList{"--period", "250"});
            QVERIFY2(sim->isReady(), qPrintable(sim->errorText()));
            env.set(i + 1, sim->path());
        } else {
            ptys.push_back(std::make_unique<PtyPair>());
            env.set(i + 1, ptys.back()->path());
        }
    }
    env.claimRest();
    // Noise full of start and end bytes, repeating every six bytes: the byte six on from a start
    // byte is a start byte again, never an end byte.
    QTimer noise;
    QObject::connect(&noise, &QTimer::timeout, [&] {
        for (int i = 0, pty = 0; i < ports.size(); ++i) {
            if (ports.at(i) == QLatin1String("meter")) {
                continue;
            }
            if (ports.at(i) == QLatin1String("garbage")) {
                ptys.at(pty)->write(QByteArray("\x02\x11\x03\x02\x22\x03", 6));
            }
            ++pty;
        }
    });
    noise.start(40);

    Start start;
    QTest::mouseClick(start.button("BtnAutoScan"), Qt::LeftButton);
    QCOMPARE(start.entries(), (QStringList{"COM  1", "COM  2", "COM  3"}));
    QVERIFY(start.port().isListening());
    // The window answers while it listens.
    QVERIFY(start.button("BtnReset")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!start.port().isListening(), 5000);
    QCOMPARE(start.txtCom()->currentText(), chosen);
    const int number = PortChoice::numberFor(chosen).value();
    auto* device = start.port().findChild<QLabel*>(QStringLiteral("LblDevice"));
    QVERIFY2(device->text().contains(ComMap::pathFor(number)), qPrintable(device->text()));
    QVERIFY(start.dialogs.messages.isEmpty());

    // Nothing is held: the chosen port opens at once.
    QTest::mouseClick(start.button("CmdOk"), Qt::LeftButton);
    QVERIFY(start.app.link().isOpen());
    QCOMPARE(int(start.app.rs232.ComPortNo), number);
}

void TestPortDialog::serialDevices() {
    ComEnvironment env;
    PtyPair free;
    PtyPair held;
    env.set(1, free.path());
    env.set(2, held.path());
    env.set(3, QStringLiteral("/nonexistent/kelvomark-meter"));
    QSerialPort holder;
    QCOMPARE(SerialLink::openPath(holder, held.path()), SerialLink::OpenResult::Ok);

    Start start;
    QTest::mouseClick(start.button("BtnDeviceManager"), Qt::LeftButton);
    auto* window = start.port().findChild<SerialDevices*>(QStringLiteral("SerialDevices"));
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Serial Devices"));
    QTableWidget* table = window->table();
    QVERIFY(table->rowCount() >= 3);
    const auto cell = [&](int row, int col) { return table->item(row, col)->text(); };
    QCOMPARE(cell(0, 0), QStringLiteral("COM 1"));
    QCOMPARE(cell(0, 1), free.path());
    QCOMPARE(cell(0, 6), QStringLiteral("free"));
    QCOMPARE(cell(1, 6), QStringLiteral("busy"));
    QCOMPARE(cell(2, 1), QStringLiteral("/nonexistent/kelvomark-meter"));
    QCOMPARE(cell(2, 6), QStringLiteral("missing"));
    QVERIFY(window->findChild<QLabel*>(QStringLiteral("DialoutHint"))->isHidden());

    holder.close();
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("BtnRefresh")),
                      Qt::LeftButton);
    QCOMPARE(cell(1, 6), QStringLiteral("free"));
}
