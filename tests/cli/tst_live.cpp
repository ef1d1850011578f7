#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include "CliProcess.h"
#include "ProgramRig.h"
#include "platform/SerialLink.h"
#include "tst_cli.h"

namespace {

// A meter that sends 12.34 mOhm and 0.056 V ten times a second.
const QStringList FixedMeter = {"--period", "100",  "--status", "0x03",
                                "--ohm",    "1234", "--volt",   "56"};

QDateTime Stamp(const QByteArray& line) {
    const QList<QByteArray> fields = line.chopped(2).split('\t');
    return QDateTime::fromString(QString::fromLatin1(fields.value(1) + ' ' + fields.value(2)),
                                 QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

// Every line whole: ended by CR LF, five fields, numbered from 1 after the header.
void VerifyWhole(const QList<QByteArray>& lines, const QByteArray& header) {
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.first(), header);
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        QVERIFY2(line.endsWith("\r\n"), line.constData());
        const QList<QByteArray> fields = line.chopped(2).split('\t');
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields.at(0), QByteArray::number(i));
        QVERIFY2(Stamp(line).isValid(), line.constData());
    }
}

}  // namespace

void TestCliLive::ports() {
    SimProcess sim({"--period", "0"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    {
        CliProcess cli({"ports"}, sim.path());
        QCOMPARE(cli.finish(), 0);
        const QStringList lines = cli.outLines();
        QVERIFY2(lines.contains(QStringLiteral("COM 1\t%1\tpseudo-terminal\tfree").arg(sim.path())),
                 cli.out().constData());
        QVERIFY2(
            lines.contains(QStringLiteral("COM 2\t/nonexistent/kelvomark-com2\tunknown\tmissing")),
            cli.out().constData());
    }
    // Held by another program: busy.
    QSerialPort holder;
    QCOMPARE(SerialLink::openPath(holder, sim.path()), SerialLink::OpenResult::Ok);
    CliProcess cli({"ports"}, sim.path());
    QCOMPARE(cli.finish(), 0);
    QVERIFY2(
        cli.outLines().contains(QStringLiteral("COM 1\t%1\tpseudo-terminal\tbusy").arg(sim.path())),
        cli.out().constData());
    // And read says so, naming the port.
    CliProcess read({"read", "--count", "1"}, sim.path());
    QCOMPARE(read.finish(), 1);
    QVERIFY2(read.err().contains(QStringLiteral("COM1 (%1): busy").arg(sim.path())),
             qPrintable(read.err()));
}

void TestCliLive::readFormats_data() {
    QTest::addColumn<QStringList>("meter");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("line");  // a pattern after the time

    QTest::newRow("text") << FixedMeter << "text"
                          << "  12.34 mOhm  0.056 V  40mOhm 4Voltage$";
    QTest::newRow("tsv") << FixedMeter << "tsv"
                         << "\t12.34\tmOhm\t0.056\tV\t40mOhm\t4Voltage\t3\t-$";
    QTest::newRow("text flags")
        << QStringList{"--period", "100", "--status", "0xE0"} << "text"
        << "  ---- Ohm  -OL V  40Ohm 4Voltage  \\[volt-overload negative no-reading\\]$";
    QTest::newRow("tsv flags") << QStringList{"--period", "100",    "--status",
                                              "0x17",     "--volt", "1262"}
                               << "tsv"
                               << "\tOL\tmOhm\t12.62\tV\t40mOhm\t40Voltage\t7\tohm-overload$";
}

// Each reading a line as it comes, with its time in ISO 8601 and the local offset.
void TestCliLive::readFormats() {
    QFETCH(QStringList, meter);
    QFETCH(QString, format);
    QFETCH(QString, line);
    SimProcess sim(meter);
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    CliProcess cli({"read", "--count", "3", "--format", format}, sim.path());
    QCOMPARE(cli.finish(), 0);
    const QStringList lines = cli.outLines();
    QCOMPARE(lines.size(), 3);
    const QRegularExpression pattern(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d)") +
        line);
    for (const QString& text : lines) {
        const QRegularExpressionMatch match = pattern.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        const QDateTime time = QDateTime::fromString(match.captured(1), Qt::ISODateWithMs);
        QVERIFY2(time >= before && time <= QDateTime::currentDateTime(), qPrintable(text));
    }
}

// A silence of seven seconds is told on stderr and does not end the command; JSON Lines carry
// numbers, or null where the meter shows no number.
void TestCliLive::readGoesOnAfterNoCom() {
    QTemporaryDir dir;
    const QString scenario = WriteText(dir.filePath(QStringLiteral("silence.txt")),
                                       "0    status 0x03\n"
                                       "0    counts 1234 56\n"
                                       "1    silence 7\n"
                                       "2    status 0x60\n");
    SimProcess sim({"--period", "100", "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    CliProcess cli({"read", "--format", "json"}, sim.path());
    QVERIFY(cli.waitFor([&] { return cli.err().contains(QLatin1String("No COM")); }, 15000));
    QVERIFY(cli.waitFor([&] { return cli.out().contains("-OL"); }, 15000));
    QVERIFY(cli.running());
    cli.signal(SIGINT);
    QCOMPARE(cli.finish(), 0);
    QVERIFY2(cli.err().contains(QLatin1String("COM1: the meter is sending again")),
             qPrintable(cli.err()));

    const QStringList lines = cli.outLines();
    QVERIFY(lines.size() >= 2);
    QJsonObject first;
    QJsonObject last;
    for (const QString& text : lines) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError && document.isObject(), qPrintable(text));
        (first.isEmpty() ? first : last) = document.object();
    }
    QCOMPARE(first.value(QStringLiteral("ohm")).toDouble(), 12.34);
    QCOMPARE(first.value(QStringLiteral("ohm_text")).toString(), QStringLiteral("12.34"));
    QCOMPARE(first.value(QStringLiteral("ohm_unit")).toString(), QStringLiteral("mOhm"));
    QCOMPARE(first.value(QStringLiteral("volt")).toDouble(), 0.056);
    QCOMPARE(first.value(QStringLiteral("range_code")).toInt(), 3);
    QVERIFY(!first.value(QStringLiteral("volt_negative")).toBool());
    // 40 Ohm range, voltage overload and negative: "-OL".
    QCOMPARE(last.value(QStringLiteral("volt_text")).toString(), QStringLiteral("-OL"));
    QVERIFY(last.value(QStringLiteral("volt")).isNull());
    QCOMPARE(last.value(QStringLiteral("ohm")).toDouble(), 12.34);
    QCOMPARE(last.value(QStringLiteral("ohm_unit")).toString(), QStringLiteral("Ohm"));
    QVERIFY(last.value(QStringLiteral("volt_overload")).toBool());
    QVERIFY(last.value(QStringLiteral("time")).toString().contains(u'T'));
}

void TestCliLive::readTimeout_data() {
    QTest::addColumn<QStringList>("meter");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");

    QTest::newRow("silent meter") << QStringList{"--period", "0"}
                                  << QStringList{"--count", "4", "--timeout", "1"} << 1
                                  << "COM1: no reading came for 1 s (--timeout)";
    QTest::newRow("meter that sends")
        << FixedMeter << QStringList{"--count", "4", "--timeout", "1"} << 0 << "";
    // Four readings a second at the meter's pace keep restarting the time.
    QTest::newRow("slow meter") << QStringList{"--period", "600", "--status", "0x03"}
                                << QStringList{"--count", "3", "--timeout", "1"} << 0 << "";
}

// --timeout ends a read that would wait for ever, with status 1; readings keep it going.
void TestCliLive::readTimeout() {
    QFETCH(QStringList, meter);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, says);
    SimProcess sim(meter);
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    CliProcess cli(QStringList{"read"} + options, sim.path());
    QCOMPARE(cli.finish(15000), status);
    QVERIFY2(cli.err().contains(says), qPrintable(cli.err()));
    QCOMPARE(cli.outLines().size(), status == 0 ? int(options.at(1).toInt()) : 0);
}

// A device given by its path is not named twice when it goes away.
void TestCliLive::readTellsTheDeviceOnce() {
    SimProcess sim(FixedMeter);
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    CliProcess cli({"read", "--port", sim.path()});
    QVERIFY(cli.waitFor([&] { return !cli.out().isEmpty(); }, 10000));
    QVERIFY(sim.stop());
    QVERIFY(cli.waitFor([&] { return cli.err().contains(QLatin1String("went away")); }, 10000));
    cli.signal(SIGINT);
    QCOMPARE(cli.finish(), 0);
    QVERIFY2(cli.err().contains(sim.path() + QStringLiteral(": the device went away")),
             qPrintable(cli.err()));
    QCOMPARE(cli.err().count(sim.path()), 1);
}

void TestCliLive::recordDuration_data() {
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("duration");
    QTest::addColumn<int>("records");

    QTest::newRow("1 s for 3 s") << 1 << 3 << 3;
    QTest::newRow("2 s for 4 s") << 2 << 4 << 2;
    QTest::newRow("2 s for 5 s") << 2 << 5 << 2;  // whole records only
}

// --interval S --duration D: the header, then D/S records.
void TestCliLive::recordDuration() {
    QFETCH(int, interval);
    QFETCH(int, duration);
    QFETCH(int, records);
    SimProcess sim(FixedMeter);
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("cell.Kmk"));
    CliProcess cli({"record", "--interval", QString::number(interval), "--duration",
                    QString::number(duration), file},
                   sim.path());
    QCOMPARE(cli.finish(), 0);
    const QList<QByteArray> lines = FileLines(file);
    VerifyWhole(lines, "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n");
    QCOMPARE(lines.size() - 1, records);
    QVERIFY2(cli.err().contains(QLatin1String("the duration is over")), qPrintable(cli.err()));
}

// The same readings recorded by the desktop program and by the command line: the same bytes
// but for the dates and times, which are each program's own moments.
void TestCliLive::recordLikeTheDesktop() {
    QTemporaryDir dir;
    SimProcess desktopMeter(FixedMeter);
    SimProcess cliMeter(FixedMeter);
    QVERIFY2(desktopMeter.isReady(), qPrintable(desktopMeter.errorText()));
    QVERIFY2(cliMeter.isReady(), qPrintable(cliMeter.errorText()));

    const QString cliFile = dir.filePath(QStringLiteral("cli.Kmk"));
    CliProcess cli(
        {"record", "--port", cliMeter.path(), "--interval", "1", "--max-records", "3", cliFile});

    const QString desktopFile = dir.filePath(QStringLiteral("desktop.Kmk"));
    {
        ProgramRig rig;
        QVERIFY(rig.start(desktopMeter.path()));
        QTRY_COMPARE_WITH_TIMEOUT(rig.ohm(), QStringLiteral("12.34"), 10000);
        rig.setSamplingTime(1);
        rig.dialogs.files.enqueue(desktopFile);
        rig.click(QStringLiteral("Save"));
        QTRY_VERIFY_WITH_TIMEOUT(FileLines(desktopFile).size() >= 4, 15000);
        rig.click(QStringLiteral("Save"));
    }
    QCOMPARE(cli.finish(), 0);
    QVERIFY2(cli.err().contains(QStringLiteral("%1: 3 records").arg(cliFile)),
             qPrintable(cli.err()));

    const QList<QByteArray> desktop = FileLines(desktopFile);
    const QList<QByteArray> recorded = FileLines(cliFile);
    QCOMPARE(recorded.size(), 4);
    VerifyWhole(recorded, "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n");
    const auto form = [](QByteArray line) {
        static const QRegularExpression stamp(
            QStringLiteral("\t\\d{4}/\\d\\d/\\d\\d\t\\d\\d:\\d\\d:\\d\\d\t"));
        return QString::fromLatin1(line).replace(stamp, QStringLiteral("\tDATE\tTIME\t"));
    };
    for (int i = 0; i < recorded.size(); ++i) {
        QCOMPARE(form(recorded.at(i)), form(desktop.at(i)));
    }
    // One second apart, and true to the clock.
    for (int i = 2; i < recorded.size(); ++i) {
        QCOMPARE(Stamp(recorded.at(i - 1)).secsTo(Stamp(recorded.at(i))), 1);
    }
    QVERIFY(qAbs(Stamp(recorded.last()).secsTo(QDateTime::currentDateTime())) < 10);
}

// Nothing is recorded while the meter is silent, and the stamps show the gap.
void TestCliLive::recordGapAfterSilence() {
    QTemporaryDir dir;
    const QString scenario = WriteText(dir.filePath(QStringLiteral("silence.txt")),
                                       "0  counts 1234 56\n"
                                       "3  silence 9\n");
    SimProcess sim({"--period", "100", "--status", "0x03", "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    const QString file = dir.filePath(QStringLiteral("gap.Kmk"));
    CliProcess cli({"record", "--interval", "1", file}, sim.path());
    QVERIFY(cli.waitFor([&] { return cli.err().contains(QLatin1String("sending again")); }, 20000));
    const int before = int(FileLines(file).size());
    QVERIFY(cli.waitFor([&] { return FileLines(file).size() >= before + 2; }, 10000));
    cli.signal(SIGTERM);
    QCOMPARE(cli.finish(), 0);
    QVERIFY2(cli.err().contains(QLatin1String("COM1: No COM")), qPrintable(cli.err()));

    const QList<QByteArray> lines = FileLines(file);
    VerifyWhole(lines, "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n");
    int gaps = 0;
    for (int i = 2; i < lines.size(); ++i) {
        const qint64 step = Stamp(lines.at(i - 1)).secsTo(Stamp(lines.at(i)));
        QVERIFY2(step >= 1, lines.at(i).constData());
        gaps += step >= 3 ? 1 : 0;
    }
    QCOMPARE(gaps, 1);
}

// A range change ends the recording with status 1 and the reason; the file is whole, in the old
// range only.
void TestCliLive::recordStopsOnRangeChange() {
    QTemporaryDir dir;
    const QString scenario = WriteText(dir.filePath(QStringLiteral("range.txt")),
                                       "0  counts 1234 56\n"
                                       "4  range 2 1\n");
    SimProcess sim({"--period", "100", "--status", "0x03", "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    const QString file = dir.filePath(QStringLiteral("range.Kmk"));
    CliProcess cli({"record", "--interval", "1", "--quiet", file}, sim.path());
    QCOMPARE(cli.finish(20000), 1);
    QVERIFY2(cli.err().contains(QLatin1String(
                 "the meter changed range from 40mOhm 4Voltage to 400mOhm 40Voltage")),
             qPrintable(cli.err()));
    const QList<QByteArray> lines = FileLines(file);
    VerifyWhole(lines, "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n");
    QVERIFY(lines.size() >= 2);
    for (int i = 1; i < lines.size(); ++i) {
        QVERIFY(lines.at(i).endsWith("\t12.34\t0.056\r\n"));
    }
}

// --continue goes on in FILE-2.Kmk with a header of its own; a name already taken is skipped.
void TestCliLive::recordContinues() {
    QTemporaryDir dir;
    const QString scenario = WriteText(dir.filePath(QStringLiteral("range.txt")),
                                       "0  counts 1234 56\n"
                                       "3  range 2 1\n"
                                       "3  counts 1234 1262\n"
                                       "6  range 3 0\n"
                                       "6  counts 1234 56\n");
    SimProcess sim({"--period", "100", "--status", "0x03", "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    const QString file = dir.filePath(QStringLiteral("cell.Kmk"));
    const QString taken = dir.filePath(QStringLiteral("cell-3.Kmk"));
    QVERIFY(!WriteText(taken, "kept\r\n").isEmpty());
    CliProcess cli({"record", "--interval", "1", "--continue", file}, sim.path());
    const QString third = dir.filePath(QStringLiteral("cell-4.Kmk"));
    QVERIFY(cli.waitFor([&] { return FileLines(third).size() >= 3; }, 20000));
    cli.signal(SIGINT);
    QCOMPARE(cli.finish(), 0);
    QVERIFY2(cli.err().contains(QStringLiteral("going on in %1").arg(third)),
             qPrintable(cli.err()));

    VerifyWhole(FileLines(file), "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n");
    const QList<QByteArray> second = FileLines(dir.filePath(QStringLiteral("cell-2.Kmk")));
    VerifyWhole(second, "No.s\tDate\tTime\t400mOhm\t40Voltage\r\n");
    QVERIFY(second.size() >= 2);
    QVERIFY(second.at(1).endsWith("\t123.4\t12.62\r\n"));
    VerifyWhole(FileLines(third), "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n");
    QCOMPARE(FileLines(taken), QList<QByteArray>{"kept\r\n"});
}

// SIGTERM while the meter streams: the line being written is finished, the file closed.
void TestCliLive::recordSigtermLeavesWholeFile() {
    QTemporaryDir dir;
    SimProcess sim({"--period", "20", "--drift", "--status", "0x03"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    const QString file = dir.filePath(QStringLiteral("term.Kmk"));
    CliProcess cli({"record", "--interval", "1", file}, sim.path());
    QVERIFY(cli.waitFor([&] { return FileLines(file).size() >= 3; }, 15000));
    cli.signal(SIGTERM);
    QCOMPARE(cli.finish(), 0);
    QVERIFY2(cli.err().contains(QLatin1String("stopped by SIGTERM")), qPrintable(cli.err()));
    const QList<QByteArray> lines = FileLines(file);
    VerifyWhole(lines, "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n");
    QVERIFY2(cli.err().contains(QStringLiteral("%1: %2 records").arg(file).arg(lines.size() - 1)),
             qPrintable(cli.err()));
}

// A recording is never destroyed by running the command again, nor left behind empty when the
// meter never spoke.
void TestCliLive::recordRefusesToOverwrite() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("old.Kmk"));
    QVERIFY(!WriteText(file, "No.s\tDate\tTime\t40mOhm\t4Voltage\r\n").isEmpty());
    CliProcess refused({"record", "--interval", "1", file});
    QCOMPARE(refused.finish(), 1);
    QVERIFY2(refused.err().contains(QStringLiteral("%1 exists; --overwrite").arg(file)),
             qPrintable(refused.err()));
    QCOMPARE(FileLines(file).size(), 1);

    SimProcess silent({"--period", "0"});
    QVERIFY2(silent.isReady(), qPrintable(silent.errorText()));
    const QString fresh = dir.filePath(QStringLiteral("fresh.Kmk"));
    CliProcess cli({"record", "--interval", "1", "--duration", "2", fresh}, silent.path());
    QCOMPARE(cli.finish(), 0);
    QVERIFY2(cli.err().contains(QLatin1String("the meter sent no reading")), qPrintable(cli.err()));
    QVERIFY(!QFile::exists(fresh));
}
