#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "ComEnvironment.h"
#include "PtyPair.h"
#include "Rig.h"
#include "ScriptedDialogs.h"
#include "core/records/Sampler.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "platform/widgets/ClickLabel.h"
#include "platform/widgets/Shell.h"
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

// Help with the desktop's real opener: a stand-in xdg-open first on the PATH answers as the real
// one does. When no program takes the manual, a message names the manual's file.
void TestPanel::helpWithoutViewer_data() {
    QTest::addColumn<QString>("opener");   // the script's body; empty: no xdg-open at all
    QTest::addColumn<bool>("manual");      // the manual is where the program looks
    QTest::addColumn<QString>("message");  // the start of the message; empty: none

    const QString noViewer = QStringLiteral("No program is set up to open PDF files");
    QTest::newRow("a viewer takes it") << "exit 0" << true << "";
    QTest::newRow("no method for PDF")
        << "echo 'xdg-open: no method available' >&2; exit 3" << true << noViewer;
    QTest::newRow("the viewer failed") << "exit 4" << true << noViewer;
    QTest::newRow("killed") << "kill -9 $$" << true << noViewer;
    QTest::newRow("no xdg-open") << "" << true << noViewer;
    QTest::newRow("the manual is missing") << "exit 2" << false << "The manual could not be found";
}

void TestPanel::helpWithoutViewer() {
    QFETCH(QString, opener);
    QFETCH(bool, manual);
    QFETCH(QString, message);

    // The manual where the program looks for it, beside this test program.
    const QString manualPath =
        QCoreApplication::applicationDirPath() + QStringLiteral("/help/english.pdf");
    QFile::remove(manualPath);
    if (manual) {
        QVERIFY(QDir().mkpath(QFileInfo(manualPath).path()));
        QFile file(manualPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n");
    }
    QTemporaryDir bin;
    const QString asked = bin.filePath(QStringLiteral("asked"));
    if (!opener.isEmpty()) {
        QFile script(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
            QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\n%2\n").arg(asked, opener).toLocal8Bit());
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", path);
        QFile::remove(manualPath);
    });

    SystemClock clock;
    ScriptedDialogs dialogs;
    DesktopShell shell;
    App app(dialogs, clock, shell);
    Panel& panel = app.windows().get<Panel>();
    panel.show();
    if (manual) {
        QCOMPARE(app.helpDocumentPath(), manualPath);
    }
    panel.helpPanel()->show();
    QTest::mouseClick(panel.findChild<QRadioButton*>(QStringLiteral("Option1")), Qt::LeftButton);

    if (!opener.isEmpty()) {
        // The shell makes the file before it writes the line, in one write: wait for the line.
        QTRY_VERIFY(QFileInfo(asked).size() > 0);
        QFile said(asked);
        QVERIFY(said.open(QIODevice::ReadOnly));
        QCOMPARE(said.readAll().trimmed(), app.helpDocumentPath().toLocal8Bit());
    }
    if (!message.isEmpty()) {
        QTRY_COMPARE(dialogs.messages.size(), 1);
        const QString text = dialogs.messages.first().text;
        QVERIFY2(text.startsWith(message), qPrintable(text));
        QVERIFY2(text.contains(app.helpDocumentPath()), qPrintable(text));
    } else {
        // Long enough for the opener's end to be heard.
        QTest::qWait(300);
        QVERIFY(dialogs.messages.isEmpty());
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
