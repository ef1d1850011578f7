#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "FileLimit.h"
#include "ProgramRig.h"
#include "SimLoggers.h"
#include "SmallDisk.h"
#include "tst_faults.h"
#include "windows/logger/DataList.h"
#include "windows/logger/Memory.h"

void TestSaveFaults::listSaveFails_data() {
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("the disk fills up") << true;
    QTest::newRow("a file size limit") << false;
}

// A logger set of 9000 records saved over an older file where it does not fit: the older file
// stays as it was, no part-written file is left, and a message names the file.
void TestSaveFaults::listSaveFails() {
    QFETCH(bool, fullDisk);
    std::optional<SmallDisk> disk;
    QTemporaryDir plain;
    if (fullDisk) {
        disk.emplace(16);
        if (!disk->isMounted()) {
            QSKIP(qPrintable(QStringLiteral("no tmpfs: ") + disk->errorString()));
        }
    }
    const QString folder = fullDisk ? disk->path() : plain.path();
    const QString file = QDir(folder).filePath(QStringLiteral("set1.Kmk"));
    const QByteArray older =
        "No.s\t   Date\t   Time\t40m Ohm\t4 Voltage\t\r\n"
        "1\t2024/03/01\t09:00:00\t18.50\t3.912\t\r\n";
    QVERIFY(!WriteText(file, older).isEmpty());

    SimProcess sim({"--period", "250", "--status", "0x03", "--ohm", "1234", "--volt", "56",
                    "--logger", "full", "--byte-us", "10"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    ProgramRig rig;
    QVERIFY(rig.start(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("12.34"), 10000);
    rig.click(QStringLiteral("Memory"));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.app.meter.DownloadBusy, 10000);
    QCOMPARE(rig.loggerSets(), SimLoggers::FullRows);
    Memory* memory = rig.app.windows().find<Memory>();
    rig.dialogs.inputs.enqueue(QStringLiteral("2024/03/09 12:00:00"));
    ClickRow(memory->gridSet(), 1);
    DataList* list = rig.app.windows().find<DataList>();
    QVERIFY(list);
    QCOMPARE(list->grid().model().Rows(), 9001);

    rig.dialogs.files.enqueue(file);
    {
        std::optional<FileLimit> limit;
        if (!fullDisk) {
            limit.emplace(8192);
        }
        list->toolbarButton(QStringLiteral("Save"))->trigger();
    }
    QCOMPARE(rig.dialogs.messages.size(), 1);
    const ScriptedDialogs::Shown& shown = rig.dialogs.messages.first();
    QCOMPARE(shown.icon, Dialogs::Icon::Critical);
    QVERIFY2(shown.text.contains(QDir::toNativeSeparators(file)), qPrintable(shown.text));
    QFile kept(file);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), older);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("set1.Kmk")});
    QCOMPARE(list->windowTitle(), QStringLiteral("Data List"));
    QCOMPARE(list->grid().model().text(0, 3), QStringLiteral(" Ohm"));
    QCOMPARE(list->grid().model().text(0, 4), QStringLiteral(" Voltage"));
}
