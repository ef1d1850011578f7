#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "FileLimit.h"
#include "ProgramRig.h"
#include "tst_faults.h"

namespace {

// A meter with a fixed reading in the 40 mOhm / 4 V ranges, ten packets a second.
QStringList Reading(int ohm, int volt) {
    return {"--period",           "100",    "--status",           "0x03", "--ohm",
            QString::number(ohm), "--volt", QString::number(volt)};
}

const QByteArray Header = "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n";

// Checks that a recording holds its header and then whole data lines numbered from 1, and
// collects the stamp of each data line.
void CheckRecording(const QList<QByteArray>& lines, QList<QDateTime>& stamps) {
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.first(), Header);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        QVERIFY2(line.endsWith("\r\n"), line.constData());
        const QList<QByteArray> fields = line.chopped(2).split('\t');
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields.at(0), QByteArray::number(i));
        const QDateTime stamp = QDateTime::fromString(
            QString::fromLatin1(fields.at(1) + ' ' + fields.at(2)), u"yyyy/MM/dd HH:mm:ss");
        QVERIFY2(stamp.isValid(), line.constData());
        stamps.append(stamp);
    }
}

void Relink(const QString& link, const QString& target) {
    QFile::remove(link);
    QVERIFY(QFile::link(target, link));
}

}  // namespace

// The USB adapter pulled during a recording and plugged in again: the recording carries on in
// the same file after the gap, numbered on, and nothing written before is lost.
void TestRecordingFaults::adapterPulledAndBack() {
    QTemporaryDir dir;
    // COM 1 stands for a link, as /dev/serial/by-id/... stands for an adapter.
    const QString link = dir.filePath(QStringLiteral("meter"));
    const QString file = dir.filePath(QStringLiteral("battery.Kmk"));
    auto first = std::make_unique<SimProcess>(Reading(1111, 2222));
    QVERIFY2(first->isReady(), qPrintable(first->errorText()));
    Relink(link, first->path());
    ProgramRig rig;
    QVERIFY(rig.start(link));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("11.11"), 10000);
    rig.setSamplingTime(1);
    rig.dialogs.files.enqueue(file);
    rig.click(QStringLiteral("Save"));
    QVERIFY(rig.app.transfer.Recording);
    QTRY_VERIFY_WITH_TIMEOUT(FileLines(file).size() >= 4, 15000);

    // Pulled: the device and its link are gone.
    QVERIFY(first->stop());
    first.reset();
    QFile::remove(link);
    QTRY_COMPARE_WITH_TIMEOUT(rig.com1(), QStringLiteral("No COM"), 10000);
    const QList<QByteArray> before = FileLines(file);
    // Three seconds out, while the program tries to open it again.
    QTest::qWait(3000);
    QCOMPARE(FileLines(file), before);
    QVERIFY(rig.app.transfer.Recording);

    SimProcess second(Reading(3333, 4444));
    QVERIFY2(second.isReady(), qPrintable(second.errorText()));
    Relink(link, second.path());
    QTRY_COMPARE_WITH_TIMEOUT(rig.com1(), QStringLiteral("COM1"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("33.33"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(FileLines(file).size() >= before.size() + 3 &&
                                 FileLines(file).constLast().endsWith("\t33.33\t4.444\r\n"),
                             15000);
    rig.click(QStringLiteral("Save"));
    QVERIFY(!rig.app.transfer.Recording);
    QVERIFY(rig.dialogs.messages.isEmpty());

    const QList<QByteArray> lines = FileLines(file);
    QCOMPARE(lines.mid(0, before.size()), before);
    QList<QDateTime> stamps;
    CheckRecording(lines, stamps);
    if (QTest::currentTestFailed()) {
        return;
    }
    // One sample a second, and one gap of the seconds without the meter; it lies between the
    // last line before the adapter went and the first after it came back.
    int gapAt = -1;
    for (int i = 1; i < stamps.size(); ++i) {
        const qint64 step = stamps.at(i - 1).secsTo(stamps.at(i));
        QVERIFY(step >= 1);
        if (step >= 3) {
            QCOMPARE(gapAt, -1);
            gapAt = i + 1;  // the line number
        }
    }
    QCOMPARE(gapAt, int(before.size()));
    for (int i = 1; i < before.size(); ++i) {
        QVERIFY(lines.at(i).endsWith("\t11.11\t2.222\r\n"));
    }
    QVERIFY(lines.constLast().endsWith("\t33.33\t4.444\r\n"));
}

// The disk fills up in the middle of a line: the recording stops with a message naming the
// file, which ends with the last whole line; every earlier line is kept.
void TestRecordingFaults::diskFills() {
    SimProcess sim(Reading(1111, 2222));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("battery.Kmk"));
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("11.11"), 10000);
    rig.setSamplingTime(1);
    rig.dialogs.files.enqueue(file);
    rig.click(QStringLiteral("Save"));
    QTRY_VERIFY_WITH_TIMEOUT(FileLines(file).size() >= 4, 15000);

    const QList<QByteArray> before = FileLines(file);
    // A data line is about 35 bytes: one more fits whole, the next only in part.
    const qint64 room = QFileInfo(file).size() + 50;
    {
        FileLimit limit(room);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.dialogs.messages.isEmpty(), 15000);
    }
    QVERIFY(!rig.app.transfer.Recording);
    QCOMPARE(rig.dialogs.messages.size(), 1);
    const ScriptedDialogs::Shown& shown = rig.dialogs.messages.first();
    QCOMPARE(shown.icon, Dialogs::Icon::Critical);
    QVERIFY2(shown.text.contains(QDir::toNativeSeparators(file)), qPrintable(shown.text));
    QCOMPARE(rig.panel->toolbarButton(QStringLiteral("Save"))->toolTip(),
             QStringLiteral("Save As"));

    const QList<QByteArray> lines = FileLines(file);
    QCOMPARE(lines.size(), before.size() + 1);
    QCOMPARE(lines.mid(0, before.size()), before);
    QList<QDateTime> stamps;
    CheckRecording(lines, stamps);
    if (QTest::currentTestFailed()) {
        return;
    }
    QVERIFY(QFileInfo(file).size() <= room);
}

// Killed (SIGKILL) while it records: every line it reported written is in the file, whole and
// numbered in order.
void TestRecordingFaults::programKilled() {
    SimProcess sim(Reading(1234, 56));
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("battery.Kmk"));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KELVOMARK_COM1"), sim.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    int written = 0;
    connect(&program, &QProcess::readyReadStandardOutput, &program, [&] {
        while (program.canReadLine()) {
            const QByteArray line = program.readLine().trimmed();
            if (line.startsWith("written ")) {
                written = line.mid(8).toInt();
            }
        }
    });
    program.start(QStringLiteral(KELVOMARK_RECORDING_DRIVER), {file});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(written >= 4 || program.state() == QProcess::NotRunning, 20000);
    QCOMPARE(program.state(), QProcess::Running);

    program.kill();
    QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 10000);
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);
    const QList<QByteArray> lines = FileLines(file);
    QList<QDateTime> stamps;
    CheckRecording(lines, stamps);
    if (QTest::currentTestFailed()) {
        return;
    }
    QVERIFY2(lines.size() - 1 >= written,
             qPrintable(QStringLiteral("%1 lines reported written, %2 in the file")
                            .arg(written)
                            .arg(lines.size() - 1)));
    for (int i = 1; i < lines.size(); ++i) {
        QVERIFY(lines.at(i).endsWith("\t12.34\t0.056\r\n"));
    }
}
