#include <QAction>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "ComEnvironment.h"
#include "PtyPair.h"
#include "Rig.h"
#include "core/records/Sampler.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "platform/widgets/ClickLabel.h"
#include "shell/Port.h"
#include "tst_app.h"

void TestPanel::loadSetsState() {
    ComEnvironment env;
    PtyPair pty;
    env.set(3, pty.path());
    ManualClock clock(QDateTime(QDate(2021, 7, 1), QTime(23, 59, 58)));
    clock.advanceMs(5000);
    Rig rig(clock);
    rig.app.meter.MemoryOpen = true;
    rig.app.meter.DownloadBusy = true;
    rig.app.transfer.Recording = true;

    QVERIFY(rig.load(3));
    QCOMPARE(rig.panel().lblCom()->text(), QStringLiteral("Com3"));
    QCOMPARE(rig.panel().windowTitle(), QStringLiteral("Panel   V10.04"));
    QVERIFY(rig.app.link().isOpen());
    QVERIFY(!rig.app.transfer.Recording);
    QCOMPARE(rig.app.transfer.SamplingTime, 2);
    QCOMPARE(rig.app.panel.SampleStamp, QStringLiteral("2021/07/02 00:00:03"));
    QCOMPARE(rig.app.panel.LoadStamp, QStringLiteral("2021/07/02 00:00:03"));
    QCOMPARE(rig.app.panel.LoadMonotonicMs, qint64(5000));
    QVERIFY(!rig.app.meter.MemoryOpen);
    QVERIFY(!rig.app.meter.DownloadBusy);
    QVERIFY(rig.app.timer1());
    QVERIFY(rig.panel().timer2().isActive());
    QVERIFY(rig.panel().helpPanel()->isHidden());
    QVERIFY(rig.panel().lblMOhm()->isHidden());
    QVERIFY(rig.dialogs.messages.isEmpty());
}

void TestPanel::openError_data() {
    QTest::addColumn<QString>("device");  // "free", "held", "held via link", "missing"
    QTest::addColumn<int>("number");
    QTest::newRow("held by another program") << "held" << 1;
    QTest::newRow("held, named by a link") << "held via link" << 1;
    QTest::newRow("missing device") << "missing" << 1;
    QTest::newRow("no number chosen") << "free" << 0;
}

void TestPanel::openError() {
    QFETCH(QString, device);
    QFETCH(int, number);

    ComEnvironment env;
    PtyPair pty;
    QTemporaryDir dir;
    QSerialPort holder;
    if (device.startsWith(QLatin1String("held"))) {
        QCOMPARE(SerialLink::openPath(holder, pty.path()), SerialLink::OpenResult::Ok);
    }
    if (device == QLatin1String("held via link")) {
        const QString link = dir.filePath(QStringLiteral("meter"));
        QVERIFY(QFile::link(pty.path(), link));
        env.set(1, link);
    } else if (device == QLatin1String("missing")) {
        env.set(1, dir.filePath(QStringLiteral("gone")));
    } else {
        env.set(1, pty.path());
    }
    SystemClock clock;
    Rig rig(clock);

    QVERIFY(!rig.load(number));
    QCOMPARE(rig.dialogs.messages.size(), 1);
    QCOMPARE(rig.dialogs.messages.first().icon, Dialogs::Icon::Critical);
    QCOMPARE(rig.dialogs.messages.first().text, QStringLiteral("COM Port Open Error !!!"));
    QVERIFY(!rig.app.link().isOpen());
    QVERIFY(!rig.app.timer1());
    QVERIFY(holder.isOpen() == device.startsWith(QLatin1String("held")));
}

void TestPanel::captionToggle() {
    SystemClock clock;
    Rig rig(clock);
    Panel& panel = rig.panel();
    panel.show();
    QCOMPARE(panel.windowTitle(), QStringLiteral("Panel   V10.04"));
    QTest::mouseClick(panel.lblCom(), Qt::LeftButton);
    QCOMPARE(panel.windowTitle(), QStringLiteral("Panel   V10.04   2021.07.01.1"));
    QTest::mouseClick(panel.lblCom(), Qt::LeftButton);
    QCOMPARE(panel.windowTitle(), QStringLiteral("Panel   V10.04"));
}

void TestPanel::helpChoice() {
    SystemClock clock;
    Rig rig(clock);
    Panel& panel = rig.panel();
    panel.show();
    auto* option1 = panel.findChild<QRadioButton*>(QStringLiteral("Option1"));
    QVERIFY(option1);

    for (int time = 1; time <= 2; ++time) {
        panel.helpPanel()->show();  // the toolbar's "Help"
        QTest::mouseClick(option1, Qt::LeftButton);
        QVERIFY(panel.helpPanel()->isHidden());
        QVERIFY(!option1->isChecked());
        QCOMPARE(rig.shell.opened.size(), time);
        QCOMPARE(rig.shell.opened.last(), rig.app.helpDocumentPath());
    }
}

void TestPanel::recordingLook() {
    SystemClock clock;
    Rig rig(clock);
    Panel& panel = rig.panel();
    const auto image = [&](const QString& key) {
        return panel.toolbarButton(key)->icon().pixmap(32).toImage();
    };
    QVERIFY(image(QStringLiteral("Stop")) != image(QStringLiteral("ReSave")));
    panel.setRecordingLook(true);
    QCOMPARE(panel.toolbarButton(QStringLiteral("Save"))->toolTip(),
             QStringLiteral("Stop Recording"));
    QCOMPARE(image(QStringLiteral("Save")), image(QStringLiteral("Stop")));
    panel.setRecordingLook(false);
    QCOMPARE(panel.toolbarButton(QStringLiteral("Save"))->toolTip(), QStringLiteral("Save As"));
    QCOMPARE(image(QStringLiteral("Save")), image(QStringLiteral("ReSave")));
}

void TestPanel::closeEndsProgram() {
    ComEnvironment env;
    PtyPair pty;
    env.set(1, pty.path());
    SystemClock clock;
    Rig rig(clock);
    QVERIFY(rig.load());
    Port& other = rig.app.windows().get<Port>();
    other.show();

    rig.panel().close();
    QVERIFY(!rig.panel().isVisible());
    QVERIFY(!other.isVisible());
    QVERIFY(!rig.app.link().isOpen());
    QVERIFY(!rig.app.timer1());
    QVERIFY(!rig.panel().timer2().isActive());
    // The port is free again for the next program.
    QCOMPARE(SerialLink::probe(pty.path()), SerialLink::OpenResult::Ok);
}
