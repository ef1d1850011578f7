#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "LiveReading.h"
#include "LoggerContent.h"
#include "PortTap.h"
#include "Scenario.h"
#include "SimOptions.h"
#include "SimProcess.h"
#include "core/logger/LoggerDump.h"
#include "core/meter/Decode.h"

namespace {

// A received stream as the program's receive tick sees it: framed packets, stray bytes between
// them, and an incomplete packet at the end that was still on its way.
struct StreamParts {
    QVector<QByteArray> packets;
    int strayBytes = 0;
    qsizetype tail = 0;
};

StreamParts Split(const QByteArray& stream) {
    StreamParts parts;
    qsizetype i = 0;
    while (stream.size() - i >= PacketSize) {
        const QByteArray seven = stream.mid(i, PacketSize);
        if (IsFramedPacket(seven)) {
            parts.packets.append(seven);
            i += PacketSize;
        } else {
            ++parts.strayBytes;
            ++i;
        }
    }
    parts.tail = stream.size() - i;
    return parts;
}

Meter Decoded(const QByteArray& packet) {
    Meter meter;
    DecodePacket(meter, packet);
    return meter;
}

double MilliOhm(const Meter& m) {
    return m.OhmText.toDouble() * (m.MilliOhmUnit ? 1.0 : 1000.0);
}

QString Describe(const Scenario::Event& e) {
    static const char* const names[] = {"Status",    "Counts",  "Range",    "Overload", "Negative",
                                        "NoReading", "Silence", "Misframe", "Garbage",  "Burst",
                                        "Drift",     "Restart", "Quit"};
    QString text =
        QStringLiteral("%1 %2").arg(e.atMs).arg(QLatin1StringView(names[int(e.command)]));
    for (qint64 a : e.args) {
        text += QStringLiteral(" %1").arg(a);
    }
    return text;
}

QString Describe(const LoggerContent& c) {
    QStringList sets;
    for (const LoggerDump::Set& s : c.sets) {
        QString text = QStringLiteral("%1/%2/%3")
                           .arg(s.sampling)
                           .arg(s.records.size())
                           .arg(s.records.isEmpty() ? 0 : s.records.first().status);
        if (!s.records.isEmpty()) {
            text += QStringLiteral(" %1,%2..%3,%4")
                        .arg(s.records.first().ohmCount)
                        .arg(s.records.first().voltCount)
                        .arg(s.records.last().ohmCount)
                        .arg(s.records.last().voltCount);
        }
        sets.append(text);
    }
    return QStringLiteral("end %1; ").arg(c.endMarker ? "on" : "off") +
           sets.join(QStringLiteral("; "));
}

QVector<qsizetype> Occurrences(const QByteArray& haystack, const QByteArray& needle) {
    QVector<qsizetype> at;
    for (qsizetype i = haystack.indexOf(needle); i >= 0; i = haystack.indexOf(needle, i + 1)) {
        at.append(i);
    }
    return at;
}

QByteArray Request() {
    return QByteArray(1, char(LoggerDump::RequestByte));
}

}  // namespace

class TestSim : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();

    void scenarioText_data();
    void scenarioText();
    void loggerFile_data();
    void loggerFile();
    void commandLine_data();
    void commandLine();
    void shippedExamplesLoad();
    void builtInLoggers_data();
    void builtInLoggers();
    void batteryShowsInEveryRange_data();
    void batteryShowsInEveryRange();

    void fixedReadings_data();
    void fixedReadings();
    void driftingBattery();
    void scenarioEventsReachTheLine();
    void loggerDump_data();
    void loggerDump();
    void dumpPausesLivePackets();
    void sevenByteAnswerFirst();
    void shortDumpThenSilence();
    void silentLoggerKeepsLivePackets();
    void endlessLogger();
    void pacingAtNineSixHundredBaud();
    void cleanExit_data();
    void cleanExit();
    void refusedStart_data();
    void refusedStart();

  private:
    QString writeFile(const QString& name, const QByteArray& text);
    QTemporaryDir dir_;
};

QString TestSim::writeFile(const QString& name, const QByteArray& text) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        return {};
    }
    return path;
}

void TestSim::initTestCase() {
    QVERIFY2(QFileInfo(SimProcess::Binary()).isExecutable(), "KELVOMARK_SIM names no simulator");
    QVERIFY(dir_.isValid());
}

void TestSim::scenarioText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");  // the events, or the error's "line N"
    QTest::newRow("comments and blanks") << "# start\n\n0 status 0x83   # both flags\n"
                                         << "0 Status 131";
    QTest::newRow("a leading 0 is decimal") << "0 status 010"
                                            << "0 Status 10";
    QTest::newRow("CR LF lines") << "0 drift off\r\n1 quit\r\n"
                                 << "0 Drift 0; 1000 Quit";
    QTest::newRow("seconds with a point") << "1.5 silence 0.25"
                                          << "1500 Silence 250";
    QTest::newRow("sorted, ties keep their order")
        << "2 quit\n1 drift off\n0.5 counts 0x04D2 56\n1 drift on"
        << "500 Counts 1234 56; 1000 Drift 0; 1000 Drift 1; 2000 Quit";
    QTest::newRow("range") << "0 range 2 1"
                           << "0 Range 2 1";
    QTest::newRow("overload both") << "0 overload both"
                                   << "0 Overload 48";
    QTest::newRow("misframe alternating") << "0 misframe 3"
                                          << "0 Misframe 3";
    QTest::newRow("misframe end") << "0 misframe 3 end"
                                  << "0 Misframe 3 2";
    QTest::newRow("garbage and burst") << "0 garbage 5\n0 burst 10"
                                       << "0 Garbage 5; 0 Burst 10";
    QTest::newRow("restart") << "3 restart"
                             << "3000 Restart";

    QTest::newRow("unknown command") << "0 status 3\n1 jump"
                                     << "line 2";
    QTest::newRow("status above a byte") << "0 status 256"
                                         << "line 1";
    QTest::newRow("count above 16 bits") << "0 counts 65536 0"
                                         << "line 1";
    QTest::newRow("argument missing") << "0 counts 5"
                                      << "line 1";
    QTest::newRow("argument too many") << "0 quit now"
                                       << "line 1";
    QTest::newRow("time alone") << "4"
                                << "line 1";
    QTest::newRow("time not a number") << "soon quit"
                                       << "line 1";
    QTest::newRow("negative time") << "-1 quit"
                                   << "line 1";
    QTest::newRow("comma decimal") << "0,5 quit"
                                   << "line 1";
    QTest::newRow("range code 4") << "0 range 4 0"
                                  << "line 1";
    QTest::newRow("volt range 2") << "0 range 1 2"
                                  << "line 1";
    QTest::newRow("switch word") << "0 drift yes"
                                 << "line 1";
    QTest::newRow("garbage of none") << "0 garbage 0"
                                     << "line 1";
    QTest::newRow("restart at 0 would loop") << "0 restart"
                                             << "line 1";
}

void TestSim::scenarioText() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString error;
    const auto events = Scenario::Parse(text, &error);
    if (expected.startsWith(u"line ")) {
        QVERIFY(!events);
        QVERIFY2(error.startsWith(expected + u':'), qPrintable(error));
        return;
    }
    QVERIFY2(events, qPrintable(error));
    QStringList described;
    for (const Scenario::Event& e : *events) {
        described.append(Describe(e));
    }
    QCOMPARE(described.join(QStringLiteral("; ")), expected);
}

void TestSim::loggerFile_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");  // sampling/records/status first..last, or "line N"
    QTest::newRow("empty file") << ""
                                << "end on; ";
    QTest::newRow("default pattern") << "10 0x03 12"
                                     << "end on; 10/12/3 1850,3700..2124,3609";
    QTest::newRow("const") << "60 1 8 const 150 1480"
                           << "end on; 60/8/1 150,1480..150,1480";
    QTest::newRow("ramp wraps at 16 bits") << "1 3 3 ramp 65535 0 1 -1"
                                           << "end on; 1/3/3 65535,0..1,65534";
    QTest::newRow("no records") << "5 3 0"
                                << "end on; 5/0/0";
    QTest::newRow("endmarker off, two sets")
        << "endmarker off\n# sets\n10 6 2 const 1 2\n255 0 1 const 3 4"
        << "end off; 10/2/6 1,2..1,2; 255/1/0 3,4..3,4";
    QTest::newRow("a false marker can be planted") << "1 0xAA 1 const 0x0055 0xAA00"
                                                   << "end on; 1/1/170 85,43520..85,43520";
    QTest::newRow("largest that N can tell") << "1 3 9674 const 1 1"
                                             << "end on; 1/9674/3 1,1..1,1";

    QTest::newRow("one record beyond N") << "1 3 9675 const 1 1"
                                         << "line 1";
    QTest::newRow("beyond N over two sets") << "1 3 5000\n1 3 4675"
                                            << "line 2";
    QTest::newRow("sampling 256") << "256 3 1"
                                  << "line 1";
    QTest::newRow("count missing") << "10 3"
                                   << "line 1";
    QTest::newRow("unknown pattern") << "10 3 5 zigzag"
                                     << "line 1";
    QTest::newRow("pattern short of numbers") << "10 3 5 ramp 1 2 3"
                                              << "line 1";
    QTest::newRow("pattern with a number too many") << "10 3 5 const 1 2 3"
                                                    << "line 1";
    QTest::newRow("wave period 0") << "10 3 5 wave 1 2 3 4 0"
                                   << "line 1";
    QTest::newRow("endmarker word") << "endmarker yes"
                                    << "line 1";
    QTest::newRow("second line") << "10 3 1\nbogus"
                                 << "line 2";
}

void TestSim::loggerFile() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString error;
    const auto content = LoggerContent::Parse(text, &error);
    if (expected.startsWith(u"line ")) {
        QVERIFY(!content);
        QVERIFY2(error.startsWith(expected + u':'), qPrintable(error));
        return;
    }
    QVERIFY2(content, qPrintable(error));
    QCOMPARE(Describe(*content), expected);
    // Whatever the file holds, N still tells the length of the answer.
    const QByteArray dump = content->dump();
    QCOMPARE(quint8(dump.at(1)) * 256 + quint8(dump.at(2)),
             int(dump.size()) + LoggerDump::AddressBase);
}

void TestSim::commandLine_data() {
    using Fault = SimOptions::LoggerFault;
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("status");  // -1: not given
    QTest::addColumn<qint64>("byteUs");
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("fixed");
    const int none = int(Fault::None);
    QTest::newRow("defaults") << QStringList{} << true << 250 << -1 << qint64(1042) << none
                              << false;
    QTest::newRow("hex status fixes the reading")
        << QStringList{"--status", "0x83"} << true << 250 << 0x83 << qint64(1042) << none << true;
    QTest::newRow("a leading 0 is decimal")
        << QStringList{"--status", "010"} << true << 250 << 10 << qint64(1042) << none << true;
    QTest::newRow("volt alone fixes the reading")
        << QStringList{"--volt", "56"} << true << 250 << -1 << qint64(1042) << none << true;
    QTest::newRow("drift in a chosen range") << QStringList{"--status", "6", "--drift"} << true
                                             << 250 << 6 << qint64(1042) << none << false;
    QTest::newRow("no live packets, fastest logger")
        << QStringList{"--period", "0", "--byte-us", "0"} << true << 0 << -1 << qint64(0) << none
        << false;
    QTest::newRow("short fault") << QStringList{"--logger-fault", "short"} << true << 250 << -1
                                 << qint64(1042) << int(Fault::Short) << false;
    QTest::newRow("negative period")
        << QStringList{"--period", "-5"} << false << 0 << 0 << qint64(0) << 0 << false;
    QTest::newRow("count beyond 16 bits")
        << QStringList{"--ohm", "65536"} << false << 0 << 0 << qint64(0) << 0 << false;
    QTest::newRow("status with letters")
        << QStringList{"--status", "3x"} << false << 0 << 0 << qint64(0) << 0 << false;
    QTest::newRow("unknown fault")
        << QStringList{"--logger-fault", "loud"} << false << 0 << 0 << qint64(0) << 0 << false;
    QTest::newRow("stray argument")
        << QStringList{"demo"} << false << 0 << 0 << qint64(0) << 0 << false;
    QTest::newRow("unknown option")
        << QStringList{"--baud", "9600"} << false << 0 << 0 << qint64(0) << 0 << false;
}

void TestSim::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    SimOptions options;
    const auto parsed = SimOptions::Parse(QStringList{"kelvomark-sim"} + args, options);
    QCOMPARE(parsed.outcome == SimOptions::Outcome::Run, ok);
    if (!ok) {
        QVERIFY(!parsed.text.isEmpty());
        return;
    }
    QTEST(options.periodMs, "period");
    QTEST(options.status.value_or(-1), "status");
    QTEST(options.byteUs, "byteUs");
    QTEST(int(options.loggerFault), "fault");
    QTEST(options.fixedReading(), "fixed");
}

void TestSim::shippedExamplesLoad() {
    const QDir root(QStringLiteral(KELVOMARK_SIM_SOURCE));
    const QFileInfoList scenarioFiles = QDir(root.filePath(QStringLiteral("scenarios")))
                                            .entryInfoList({QStringLiteral("*.txt")}, QDir::Files);
    QVERIFY(!scenarioFiles.isEmpty());
    for (const QFileInfo& info : scenarioFiles) {
        QFile file(info.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString error;
        QVERIFY2(Scenario::Parse(QString::fromUtf8(file.readAll()), &error),
                 qPrintable(info.fileName() + u' ' + error));
    }
    const QFileInfoList loggerFiles = QDir(root.filePath(QStringLiteral("loggers")))
                                          .entryInfoList({QStringLiteral("*.txt")}, QDir::Files);
    QVERIFY(!loggerFiles.isEmpty());
    for (const QFileInfo& info : loggerFiles) {
        QString error;
        QVERIFY2(LoggerContent::Load(info.filePath(), &error), qPrintable(error));
    }
}

void TestSim::builtInLoggers_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sets");  // sampling/records/status of each set
    QTest::addColumn<bool>("full");
    QTest::newRow("empty") << "empty"
                           << "" << false;
    QTest::newRow("demo") << "demo"
                          << "10/12/3 10/25/6 60/8/1" << false;
    QTest::newRow("full") << "full"
                          << "1/9000/3 10/400/2 60/150/7 255/71/0" << true;
}

void TestSim::builtInLoggers() {
    QFETCH(QString, name);
    QFETCH(QString, sets);
    QFETCH(bool, full);
    QString error;
    const auto content = LoggerContent::Load(name, &error);
    QVERIFY2(content, qPrintable(error));
    QStringList described;
    QVector<qsizetype> starts;
    qsizetype at = 3;
    for (const LoggerDump::Set& s : content->sets) {
        described.append(QStringLiteral("%1/%2/%3")
                             .arg(s.sampling)
                             .arg(s.records.size())
                             .arg(s.records.first().status));
        starts.append(at);
        at += 5 + 5 * s.records.size();
    }
    QCOMPARE(described.join(u' '), sets);

    // No record may read as a marker: the program would split a set there.
    const QByteArray dump = content->dump();
    QCOMPARE(Occurrences(dump, LoggerDump::SetMarker), starts);
    const QVector<qsizetype> ends = Occurrences(dump, LoggerDump::EndMarker);
    QCOMPARE(ends, content->sets.isEmpty() ? QVector<qsizetype>{} : QVector<qsizetype>{at});
    const int n = quint8(dump.at(1)) * 256 + quint8(dump.at(2));
    if (full) {
        QVERIFY2(LoggerDump::MemoryTop - n >= 0 && LoggerDump::MemoryTop - n < 5,
                 qPrintable(QString::number(n)));
    }
}

void TestSim::batteryShowsInEveryRange_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<double>("ohmStep");  // milliohm per count
    QTest::addColumn<double>("voltStep");
    QTest::newRow("40 Ohm, 4 V") << 0 << 10.0 << 0.001;
    QTest::newRow("4 Ohm, 4 V") << 1 << 1.0 << 0.001;
    QTest::newRow("400 mOhm, 4 V") << 2 << 0.1 << 0.001;
    QTest::newRow("40 mOhm, 4 V") << 3 << 0.01 << 0.001;
    QTest::newRow("40 Ohm, 40 V") << 4 << 10.0 << 0.01;
    QTest::newRow("4 Ohm, 40 V") << 5 << 1.0 << 0.01;
    QTest::newRow("400 mOhm, 40 V") << 6 << 0.1 << 0.01;
    QTest::newRow("40 mOhm, 40 V") << 7 << 0.01 << 0.01;
}

void TestSim::batteryShowsInEveryRange() {
    QFETCH(int, status);
    QFETCH(double, ohmStep);
    QFETCH(double, voltStep);
    // Over a long run the battery stays a battery, and every range shows it to its last digit.
    for (double t = 0; t < 2500; t += 7.3) {
        const double milliOhm = LiveReading::BatteryMilliOhm(t);
        const double volt = LiveReading::BatteryVolt(t);
        QVERIFY2(milliOhm > 11.5 && milliOhm < 25.5, qPrintable(QString::number(t)));
        QVERIFY2(volt > 3.55 && volt <= 3.9, qPrintable(QString::number(t)));
        const Meter m =
            Decoded(LiveReading::Packet(LiveReading::InRange(milliOhm, volt, quint8(status))));
        QCOMPARE(m.RangeCode, status);
        QVERIFY2(qAbs(MilliOhm(m) - milliOhm) <= ohmStep / 2 + 1e-9,
                 qPrintable(m.OhmText + u' ' + QString::number(milliOhm)));
        QVERIFY2(qAbs(m.VoltText.toDouble() - volt) <= voltStep / 2 + 1e-9,
                 qPrintable(m.VoltText + u' ' + QString::number(volt)));
    }
}

void TestSim::fixedReadings_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("ohm");
    QTest::addColumn<QString>("volt");
    QTest::addColumn<bool>("milliOhm");
    QTest::newRow("40 mOhm, 4 V") << QStringList{"--status", "3", "--ohm", "1234", "--volt", "56"}
                                  << "12.34"
                                  << "0.056" << true;
    QTest::newRow("negative voltage overload")
        << QStringList{"--status", "0x60", "--ohm", "1", "--volt", "1234"} << "0.01"
        << "-OL" << false;
    QTest::newRow("no reading, voltage by default")
        << QStringList{"--status", "0x90", "--ohm", "500"} << "----"
        << "3.700" << false;
}

void TestSim::fixedReadings() {
    QFETCH(QStringList, args);
    SimProcess sim(QStringList{"--period", "50"} + args);
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    tap.collectFor(1000);

    const StreamParts parts = Split(tap.bytes());
    QCOMPARE(parts.strayBytes, 0);
    // Twenty packets a second at 50 ms; loose bounds for a busy machine.
    QVERIFY2(parts.packets.size() >= 8 && parts.packets.size() <= 40,
             qPrintable(QString::number(parts.packets.size())));
    for (const QByteArray& packet : parts.packets) {
        const Meter m = Decoded(packet);
        QTEST(m.OhmText, "ohm");
        QTEST(m.VoltText, "volt");
        QTEST(m.MilliOhmUnit, "milliOhm");
    }
}

void TestSim::driftingBattery() {
    SimProcess sim({"--period", "50"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    tap.collectFor(1200);

    const StreamParts parts = Split(tap.bytes());
    QCOMPARE(parts.strayBytes, 0);
    QVERIFY(parts.packets.size() >= 8);
    QSet<QString> shown;
    for (const QByteArray& packet : parts.packets) {
        const Meter m = Decoded(packet);
        QCOMPARE(quint8(packet.at(5)), LiveReading::DefaultStatus);
        QVERIFY2(MilliOhm(m) >= 11.5 && MilliOhm(m) <= 25.5, qPrintable(m.OhmText));
        QVERIFY2(m.VoltText.toDouble() >= 3.55 && m.VoltText.toDouble() <= 3.95,
                 qPrintable(m.VoltText));
        shown.insert(m.OhmText);
    }
    // The last digit flickers.
    QVERIFY(shown.size() >= 2);
}

void TestSim::scenarioEventsReachTheLine() {
    // Counts chosen so that neither a misframed packet nor the garbage can pass for a packet.
    const QString scenario = writeFile(QStringLiteral("events.txt"),
                                       "0.5 range 2 1\n"
                                       "0.8 misframe 2\n"
                                       "1.2 garbage 5\n"
                                       "1.4 silence 0.8\n");
    QVERIFY(!scenario.isEmpty());
    SimProcess sim({"--period", "50", "--ohm", "1234", "--volt", "56", "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    tap.collectFor(2800);

    const StreamParts parts = Split(tap.bytes());
    QCOMPARE(parts.strayBytes, 2 * PacketSize + 5);
    QVERIFY(parts.packets.size() >= 10);
    // The range changes once, from 40 mOhm / 4 V to 400 mOhm / 40 V, flags untouched.
    QCOMPARE(quint8(parts.packets.first().at(5)), quint8(0x03));
    QCOMPARE(quint8(parts.packets.last().at(5)), quint8(0x06));
    int changes = 0;
    for (qsizetype i = 1; i < parts.packets.size(); ++i) {
        changes += parts.packets.at(i).at(5) != parts.packets.at(i - 1).at(5);
    }
    QCOMPARE(changes, 1);
    QCOMPARE(Decoded(parts.packets.last()).OhmText, QStringLiteral("123.4"));
    // The silence: one long gap in a stream that otherwise comes every 50 ms.
    qint64 longestGap = 0;
    for (qsizetype i = 1; i < tap.chunks().size(); ++i) {
        longestGap = qMax(longestGap, tap.chunks().at(i).atMs - tap.chunks().at(i - 1).atMs);
    }
    QVERIFY2(longestGap >= 600, qPrintable(QString::number(longestGap)));
}

void TestSim::loggerDump_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("empty: N = 17152 alone")
        << QStringList{"--logger", "empty"} << QByteArray::fromHex("00430000");
    QTest::newRow("demo") << QStringList{"--logger", "demo"} << LoggerContent::Demo().dump();
    QTest::newRow("demo without EndMarker")
        << QStringList{"--logger", "demo", "--logger-no-endmarker"}
        << LoggerDump::build(LoggerContent::Demo().sets, false);
    // 48 KB: more than a pty holds, so the simulator waits for the reader.
    QTest::newRow("full") << QStringList{"--logger", "full"} << LoggerContent::Full().dump();
    LoggerContent fromFile;
    fromFile.endMarker = false;
    fromFile.sets = {{7, RecordPattern{RecordPattern::Const, 99, 4000}.records(3, 0x44)}};
    QTest::newRow("file") << QStringList{"--logger",
                                         writeFile(QStringLiteral("one.txt"),
                                                   "endmarker off\n7 0x44 3 const 99 4000\n")}
                          << fromFile.dump();
}

void TestSim::loggerDump() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, expected);
    SimProcess sim(QStringList{"--period", "0", "--byte-us", "0"} + args);
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    tap.send(Request());
    tap.waitUntil([&] { return tap.bytes().size() >= expected.size(); }, 10000);
    tap.collectUntilQuiet(300, 2000);
    QCOMPARE(tap.bytes().size(), expected.size());
    QCOMPARE(tap.bytes(), expected);
}

void TestSim::dumpPausesLivePackets() {
    SimProcess sim({"--period", "20", "--byte-us", "500"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    tap.collectFor(300);
    tap.send(Request());
    const QByteArray dump = LoggerContent::Demo().dump();
    QVERIFY(tap.waitUntil([&] { return tap.bytes().contains(dump); }, 5000));
    tap.collectFor(300);

    const qsizetype at = tap.bytes().indexOf(dump);
    const StreamParts before = Split(tap.bytes().left(at));
    const StreamParts after = Split(tap.bytes().mid(at + dump.size()));
    QVERIFY(before.packets.size() >= 3);
    QCOMPARE(before.strayBytes, 0);
    QCOMPARE(before.tail, 0);
    QVERIFY(after.packets.size() >= 3);
    QCOMPARE(after.strayBytes, 0);
}

void TestSim::sevenByteAnswerFirst() {
    SimProcess sim({"--period", "0", "--byte-us", "0", "--logger-fault", "seven"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    const QByteArray dump = LoggerContent::Demo().dump();
    // Every other request gets the seven bytes, beginning with the first.
    for (const bool seven : {true, false, true}) {
        tap.forget();
        tap.send(Request());
        tap.waitUntil([&] { return tap.bytes().size() >= PacketSize; }, 5000);
        tap.collectUntilQuiet(300, 3000);
        if (seven) {
            QCOMPARE(tap.bytes().size(), qsizetype(PacketSize));
            QCOMPARE(quint8(tap.bytes().at(1)) * 256 + quint8(tap.bytes().at(2)), 17200);
        } else {
            QCOMPARE(tap.bytes(), dump);
        }
    }
}

void TestSim::shortDumpThenSilence() {
    SimProcess sim({"--period", "50", "--byte-us", "0", "--logger-fault", "short"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    tap.collectFor(200);
    tap.forget();
    tap.send(Request());
    tap.collectUntilQuiet(600, 5000);

    // A live packet may have been on its way when the request came.
    QByteArray answer = tap.bytes();
    while (IsFramedPacket(answer.left(PacketSize))) {
        answer.remove(0, PacketSize);
    }
    const QByteArray dump = LoggerContent::Demo().dump();
    QVERIFY2(answer.size() >= dump.size() / 2 && answer.size() <= dump.size() * 7 / 10,
             qPrintable(QString::number(answer.size())));
    QVERIFY(dump.startsWith(answer));
    // Silent from then on: no live packets, no answer to a new request.
    tap.forget();
    tap.send(Request());
    tap.collectFor(500);
    QCOMPARE(tap.bytes().size(), 0);
}

void TestSim::silentLoggerKeepsLivePackets() {
    SimProcess sim({"--period", "50", "--byte-us", "0", "--logger-fault", "silent"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    tap.send(Request());
    tap.collectFor(300);
    tap.send(Request());
    tap.collectFor(300);
    const StreamParts parts = Split(tap.bytes());
    QCOMPARE(parts.strayBytes, 0);
    QVERIFY(parts.packets.size() >= 5);
}

void TestSim::endlessLogger() {
    SimProcess sim({"--period", "0", "--byte-us", "100", "--logger-fault", "endless"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    const LoggerContent demo = LoggerContent::Demo();
    const QByteArray dump = demo.dump();
    tap.send(Request());
    // At ten bytes a millisecond the answer runs well past its end.
    QVERIFY(tap.waitUntil([&] { return tap.bytes().size() > dump.size() + 2000; }, 5000));
    QVERIFY(tap.bytes().startsWith(dump));
    // Then the last record again and again.
    const LoggerDump::Record last = demo.sets.last().records.last();
    const QByteArray record =
        LiveReading::Packet({last.ohmCount, last.voltCount, last.status}).mid(1, 5);
    QCOMPARE(tap.bytes().mid(dump.size(), 2000), record.repeated(400));
}

void TestSim::pacingAtNineSixHundredBaud() {
    const QString file = writeFile(QStringLiteral("paced.txt"), "10 3 400 const 1234 3700\n");
    SimProcess sim({"--period", "0", "--logger", file});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    const qsizetype size = 1 + 2 + 5 + 400 * 5 + 4 + 1;
    // Give the simulator its 100 ms to notice the open device, so that only the pace is timed.
    tap.collectFor(200);
    const qint64 sentAt = tap.elapsedMs();
    tap.send(Request());
    QVERIFY(tap.waitUntil([&] { return tap.bytes().size() >= size; }, 15000));
    const qint64 tookMs = tap.lastArrivalMs() - sentAt;
    // The last byte is due (size - 1) byte times after the first; never earlier.
    const double expectedMs = double(size - 1) * 1.042;
    qInfo("%lld bytes at 9600 baud: %lld ms (due at %.0f ms)", qint64(size), tookMs, expectedMs);
    QVERIFY2(tookMs >= expectedMs * 0.98, qPrintable(QString::number(tookMs)));
    QVERIFY2(tookMs <= expectedMs * 3 + 1000, qPrintable(QString::number(tookMs)));
}

void TestSim::cleanExit_data() {
    QTest::addColumn<int>("signal");  // 0: the scenario's quit
    QTest::newRow("SIGTERM") << 15;
    QTest::newRow("SIGINT") << 2;
    QTest::newRow("SIGHUP") << 1;
    QTest::newRow("scenario quit") << 0;
}

void TestSim::cleanExit() {
    QFETCH(int, signal);
    const QString link = dir_.filePath(QStringLiteral("meter"));
    // A link left by a killed simulator is replaced.
    QFile::remove(link);
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/pts"), link));
    const QString scenario = writeFile(QStringLiteral("quit.txt"), "0.2 quit\n");
    SimProcess sim({"--period", "50", "--link", link, "--scenario", scenario});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.path());
    PortTap tap;
    QVERIFY(tap.open(link));
    QVERIFY(tap.waitUntil([&] { return !tap.bytes().isEmpty(); }, 3000));
    if (signal != 0) {
        QVERIFY(sim.stop(signal));
    } else {
        QVERIFY(sim.waitForExit(5000));
    }
    QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSim::refusedStart_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("period not a number") << QStringList{"--period", "x"} << 2 << "--period";
    QTest::newRow("unknown fault") << QStringList{"--logger-fault", "loud"} << 2 << "loud";
    QTest::newRow("missing logger file")
        << QStringList{"--logger", "/nonexistent/logger.txt"} << 2 << "/nonexistent/logger.txt";
    QTest::newRow("bad scenario") << QStringList{"--scenario", writeFile(QStringLiteral("bad.txt"),
                                                                         "0 status 3\n1 jump\n")}
                                  << 2 << "line 2";
    QTest::newRow("link onto a file")
        << QStringList{"--link", writeFile(QStringLiteral("plain.txt"), "keep me")} << 1
        << "not a symlink";
}

void TestSim::refusedStart() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    SimProcess sim(args);
    QVERIFY(!sim.isReady());
    QVERIFY(sim.waitForExit(5000));
    QCOMPARE(sim.process().exitCode(), exitCode);
    QVERIFY2(sim.errorText().contains(said), qPrintable(sim.errorText()));
}

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
