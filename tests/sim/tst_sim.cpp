#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "CellList.h"
#include "LiveReading.h"
#include "LoggerContent.h"
#include "PortTap.h"
#include "Scenario.h"
#include "SimOptions.h"
#include "SimProcess.h"
#include "SortSession.h"
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

// One reading of a sorting session as the program decodes it.
struct Seen {
    bool open = false;  // "OL" or "----"
    QString ohmText;
    double milliOhm = 0;
    double volt = 0;
    int range = 0;
    double ohmCount = 0;  // milliohm
    double voltCount = 0;
};

Seen See(const QByteArray& packet) {
    const Meter m = Decoded(packet);
    Seen seen;
    seen.open = m.OhmText == u"OL" || m.OhmText == u"----";
    seen.ohmText = m.OhmText;
    seen.milliOhm = seen.open ? 0 : MilliOhm(m);
    seen.volt = m.VoltText.toDouble();
    seen.range = m.RangeCode;
    seen.ohmCount = LiveReading::OhmCount(quint8(m.RangeCode));
    seen.voltCount = (m.RangeCode & LiveReading::Volt40Bit) ? 0.01 : 0.001;
    return seen;
}

Seen See(const LiveReading::Sample& sample) {
    return See(LiveReading::Packet(sample));
}

// The settling rule a sorting station uses by default: three readings in one range, each
// channel spreading no more than the larger of a share of its median and two counts. Gives the
// indexes of the readings that complete a capture, one per touch (re-armed by an open probe).
QVector<int> Captures(const QVector<Seen>& readings) {
    constexpr int K = 3;
    const auto settled = [](const QVector<Seen>& w) {
        const auto spreadOk = [&](auto value, double share, double count) {
            QVector<double> v;
            for (const Seen& s : w) {
                v.append(value(s));
            }
            std::sort(v.begin(), v.end());
            const double median = std::abs(v.at(v.size() / 2));
            return v.last() - v.first() <= std::max(median * share, 2 * count) + 1e-9;
        };
        return spreadOk([](const Seen& s) { return s.milliOhm; }, 0.01, w.first().ohmCount) &&
               spreadOk([](const Seen& s) { return s.volt; }, 0.002, w.first().voltCount);
    };
    QVector<int> at;
    QVector<Seen> window;
    bool armed = true;
    for (int i = 0; i < readings.size(); ++i) {
        const Seen& r = readings.at(i);
        if (r.open) {
            armed = true;
            window.clear();
            continue;
        }
        if (!armed) {
            continue;
        }
        if (!window.isEmpty() && window.first().range != r.range) {
            window.clear();
        }
        window.append(r);
        if (window.size() > K) {
            window.removeFirst();
        }
        if (window.size() == K && settled(window)) {
            at.append(i);
            armed = false;
            window.clear();
        }
    }
    return at;
}

// Runs of phases, as "O6 B3 H8 ...".
QString Runs(const QVector<SortSession::Phase>& phases) {
    QStringList runs;
    for (qsizetype i = 0; i < phases.size();) {
        qsizetype j = i;
        while (j < phases.size() && phases.at(j) == phases.at(i)) {
            ++j;
        }
        runs.append(QStringLiteral("%1%2").arg(QLatin1Char("OBH"[int(phases.at(i))])).arg(j - i));
        i = j;
    }
    return runs.join(u' ');
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
    void cellFile_data();
    void cellFile();
    void sortOptions_data();
    void sortOptions();
    void sortSession_data();
    void sortSession();
    void randomCellsArePlausible();

    void fixedReadings_data();
    void fixedReadings();
    void driftingBattery();
    void scenarioEventsReachTheLine();
    void sortingSessionOnTheLine();
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
    const QFileInfoList cellFiles = QDir(root.filePath(QStringLiteral("cells")))
                                        .entryInfoList({QStringLiteral("*.txt")}, QDir::Files);
    QVERIFY(!cellFiles.isEmpty());
    for (const QFileInfo& info : cellFiles) {
        QString error;
        QVERIFY2(CellList::Load(info.filePath(), &error), qPrintable(error));
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

void TestSim::cellFile_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");  // milliohms/volts/label of each cell, or "line N"
    QTest::newRow("two cells, a label, comments")
        << "# pack A\n\n38.2 3.912 A-01   # the first\n72.4 4.105\n"
        << "38.2/3.912/A-01@3 72.4/4.105/@4";
    QTest::newRow("CR LF, tabs") << "38.2\t3.912\r\n41.7 3.9\r\n"
                                 << "38.2/3.912/@1 41.7/3.9/@2";
    QTest::newRow("a short and a reversed cell") << "0 -3.7 flipped"
                                                 << "0/-3.7/flipped@1";
    QTest::newRow("the largest values shown") << "39500 39.9"
                                              << "39500/39.9/@1";
    QTest::newRow("only comments") << "# nothing yet\n"
                                   << "";

    QTest::newRow("volts missing") << "38.2 3.9\n41.7"
                                   << "line 2";
    QTest::newRow("a word too many") << "38.2 3.9 A-01 spare"
                                     << "line 1";
    QTest::newRow("comma decimal") << "38,2 3.9"
                                   << "line 1";
    QTest::newRow("unit written on") << "38.2mOhm 3.9"
                                     << "line 1";
    QTest::newRow("negative resistance") << "-1 3.9"
                                         << "line 1";
    QTest::newRow("beyond 40 Ohm") << "39501 3.9"
                                   << "line 1";
    QTest::newRow("beyond 40 V") << "38.2 40"
                                 << "line 1";
    QTest::newRow("not a number") << "38.2 nan"
                                  << "line 1";
    QTest::newRow("third line after a blank") << "1 2\n\n1 x"
                                              << "line 3";
}

void TestSim::cellFile() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString error;
    const auto cells = CellList::Parse(text, &error);
    if (expected.startsWith(u"line ")) {
        QVERIFY(!cells);
        QVERIFY2(error.startsWith(expected + u':'), qPrintable(error));
        return;
    }
    QVERIFY2(cells, qPrintable(error));
    QStringList described;
    for (const SimCell& c : *cells) {
        described.append(
            QStringLiteral("%1/%2/%3@%4").arg(c.milliOhm).arg(c.volt).arg(c.label).arg(c.line));
    }
    QCOMPARE(described.join(u' '), expected);
}

void TestSim::sortOptions_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");  // open/bounce/hold readings and cells, or the error
    QTest::newRow("defaults at the meter's pace")
        << QStringList{"--sort", "random"} << "6/3/8 cells 0";
    QTest::newRow("milliseconds round to readings")
        << QStringList{"--sort",    "random", "--period", "100", "--open-ms", "240",
                       "--hold-ms", "260",    "--bounce", "0",   "--cells",   "5"}
        << "2/0/3 cells 5";
    QTest::newRow("never less than one reading")
        << QStringList{"--sort", "random", "--open-ms", "1", "--hold-ms", "1"} << "1/3/1 cells 0";
    QTest::newRow("with a scenario and a seed")
        << QStringList{"--sort", "cells.txt", "--scenario", "s.txt", "--seed", "7"}
        << "6/3/8 cells 0";

    QTest::newRow("timing without a session") << QStringList{"--hold-ms", "500"} << "needs --sort";
    QTest::newRow("open text without a session")
        << QStringList{"--open-shows", "----"} << "needs --sort";
    QTest::newRow("a fixed reading as well")
        << QStringList{"--sort", "random", "--ohm", "1234"} << "--sort and --ohm";
    QTest::newRow("a drifting battery as well")
        << QStringList{"--sort", "random", "--drift"} << "--sort and --drift";
    QTest::newRow("no live packets")
        << QStringList{"--sort", "random", "--period", "0"} << "--period";
    QTest::newRow("no cells") << QStringList{"--sort", "random", "--cells", "0"} << "--cells";
    QTest::newRow("negative bounce")
        << QStringList{"--sort", "random", "--bounce", "-1"} << "--bounce";
    QTest::newRow("unknown open text")
        << QStringList{"--sort", "random", "--open-shows", "0.000"} << "--open-shows";
}

void TestSim::sortOptions() {
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    SimOptions options;
    const auto parsed = SimOptions::Parse(QStringList{"kelvomark-sim"} + args, options);
    if (parsed.outcome != SimOptions::Outcome::Run) {
        QVERIFY2(parsed.text.contains(expected), qPrintable(parsed.text));
        return;
    }
    const SortSession::Timing t = options.sortTiming();
    QCOMPARE(QStringLiteral("%1/%2/%3 cells %4")
                 .arg(t.openReadings)
                 .arg(t.bounceReadings)
                 .arg(t.holdReadings)
                 .arg(options.cells),
             expected);
}

void TestSim::sortSession_data() {
    using Shows = SortSession::OpenShows;
    QTest::addColumn<QString>("cells");  // a cell file's text, or "random"
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("open");
    QTest::addColumn<int>("bounce");
    QTest::addColumn<int>("hold");
    QTest::addColumn<int>("shows");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("runs");       // empty: not checked
    QTest::addColumn<QString>("ranges");     // range code of each touch's hold
    QTest::addColumn<QString>("openTexts");  // the resistance text of each open spell
    const int ol = int(Shows::Overload);
    QTest::newRow("two cells, then open for ever")
        << "38.2 3.912\n72.4 4.105" << 0 << 4 << 3 << 5 << ol << 40 << "O4 B3 H5 O4 B3 H5 O16"
        << "3 6"
        << "OL OL OL";
    QTest::newRow("no bounce") << "38.2 3.912" << 2 << 2 << 0 << 4 << ol << 14 << "O2 H4 O2 H4 O2"
                               << "3 3"
                               << "OL OL OL";
    QTest::newRow("a long bounce")
        << "38.2 3.912" << 1 << 1 << 12 << 3 << ol << 20 << "O1 B12 H3 O4"
        << "3"
        << "OL OL";
    QTest::newRow("round the list again")
        << "20 3.6 X\n30 3.7 Y" << 3 << 1 << 1 << 3 << ol << 16 << "O1 B1 H3 O1 B1 H3 O1 B1 H3 O1"
        << "3 3 3"
        << "OL OL OL OL";
    QTest::newRow("open shows dashes")
        << "38.2 3.912" << 2 << 2 << 2 << 3 << int(Shows::NoReading) << 16 << ""
        << "3 3"
        << "---- ---- ----";
    QTest::newRow("open shows both in turn")
        << "38.2 3.912" << 3 << 2 << 2 << 3 << int(Shows::Mixed) << 24 << ""
        << "3 3 3"
        << "OL ---- OL ----";
    QTest::newRow("a hold too short to settle")
        << "38.2 3.912" << 3 << 2 << 3 << 2 << ol << 24 << ""
        << "3 3 3"
        << "OL OL OL OL";
    // Ranges at their edges, and cells that leave a bounce little room.
    QTest::newRow("top of 40 mOhm, top of 4 V")
        << "39.4 3.989" << 0 << 2 << 6 << 4 << ol << 30 << ""
        << "3"
        << "OL OL";
    QTest::newRow("just into 400 mOhm and 40 V")
        << "39.6 3.99" << 0 << 2 << 6 << 4 << ol << 30 << ""
        << "6"
        << "OL OL";
    QTest::newRow("a short") << "0 3.7" << 0 << 2 << 6 << 4 << ol << 30 << ""
                             << "3"
                             << "OL OL";
    QTest::newRow("a tiny resistance") << "0.5 3.7" << 0 << 2 << 6 << 4 << ol << 30 << ""
                                       << "3"
                                       << "OL OL";
    QTest::newRow("a reversed cell") << "38.2 -3.912" << 0 << 2 << 6 << 4 << ol << 30 << ""
                                     << "3"
                                     << "OL OL";
    QTest::newRow("every range") << "350 3.7\n3500 12\n35000 39.8\n1 0.001" << 0 << 2 << 6 << 4
                                 << ol << 60 << ""
                                 << "2 5 4 3"
                                 << "OL OL OL OL OL";
    QTest::newRow("random cells") << "random" << 300 << 2 << 4 << 4 << ol << 3300 << ""
                                  << ""
                                  << "";
}

void TestSim::sortSession() {
    QFETCH(QString, cells);
    QFETCH(int, count);
    QFETCH(int, open);
    QFETCH(int, bounce);
    QFETCH(int, hold);
    QFETCH(int, shows);
    QFETCH(int, steps);
    QFETCH(QString, runs);
    QFETCH(QString, ranges);
    QFETCH(QString, openTexts);
    QVector<SimCell> list;
    if (cells != u"random") {
        QString error;
        const auto parsed = CellList::Parse(cells, &error);
        QVERIFY2(parsed, qPrintable(error));
        list = *parsed;
    }
    SortSession session(list, count, {open, bounce, hold}, SortSession::OpenShows(shows), 1);
    QVector<SortSession::Phase> phases;
    QVector<Seen> seen;
    QVector<int> touchOf;
    QVector<SimCell> cellOf;
    QStringList holdRanges;
    QStringList openShown;
    for (int i = 0; i < steps; ++i) {
        const SortSession::Step step = session.next();
        phases.append(step.phase);
        seen.append(See(step.sample));
        touchOf.append(step.touch);
        cellOf.append(session.cell());
        const Seen& r = seen.constLast();
        QCOMPARE(r.open, step.phase == SortSession::Phase::Open);
        if (step.first && step.phase == SortSession::Phase::Hold) {
            holdRanges.append(QString::number(r.range));
        }
        if (step.first && step.phase == SortSession::Phase::Open) {
            openShown.append(r.ohmText);
        }
        if (step.phase == SortSession::Phase::Hold) {
            // The hold shows the cell, in the range the meter picks for it.
            const SimCell& c = session.cell();
            QVERIFY2(qAbs(r.milliOhm - c.milliOhm) <= c.milliOhm * 0.002 + r.ohmCount / 2 + 1e-9,
                     qPrintable(QStringLiteral("%1 for %2").arg(r.ohmText).arg(c.milliOhm)));
            QVERIFY2(qAbs(r.volt - c.volt) <= qAbs(c.volt) * 0.0004 + r.voltCount / 2 + 1e-9,
                     qPrintable(QStringLiteral("%1 for %2").arg(r.volt).arg(c.volt)));
            QCOMPARE(r.range, int(SortSession::RangeStatus(c)));
        }
        if (step.phase == SortSession::Phase::Bounce) {
            QCOMPARE(r.range, int(SortSession::RangeStatus(session.cell())));
            if (i > 0 && phases.at(i - 1) == SortSession::Phase::Bounce) {
                QVERIFY(r.milliOhm != seen.at(i - 1).milliOhm);
            }
        }
    }
    if (!runs.isEmpty()) {
        QCOMPARE(Runs(phases), runs);
    }
    if (!ranges.isEmpty()) {
        QCOMPARE(holdRanges.join(u' '), ranges);
        QCOMPARE(openShown.join(u' '), openTexts);
    }

    // A sorting station takes exactly one capture per touch, on the third reading of the hold,
    // and never one that a bounce takes part in.
    const QVector<int> captures = Captures(seen);
    QVector<int> expected;
    for (int i = 0; i + 2 < steps; ++i) {
        const bool holdStart = phases.at(i) == SortSession::Phase::Hold &&
                               (i == 0 || phases.at(i - 1) != SortSession::Phase::Hold);
        if (holdStart && hold >= 3) {
            expected.append(i + 2);
        }
    }
    QCOMPARE(captures, expected);
    for (int at : captures) {
        const SimCell& c = cellOf.at(at);
        QVERIFY2(qAbs(seen.at(at).milliOhm - c.milliOhm) <= c.milliOhm * 0.01 + 0.02,
                 qPrintable(QString::number(touchOf.at(at))));
    }
}

void TestSim::randomCellsArePlausible() {
    QRandomGenerator random(7);
    QSet<int> ranges;
    for (int i = 0; i < 2000; ++i) {
        const SimCell c = SortSession::RandomCell(random);
        QVERIFY2(c.milliOhm >= 20 && c.milliOhm <= 90, qPrintable(QString::number(c.milliOhm)));
        QVERIFY2(c.volt >= 3.0 && c.volt <= 4.2, qPrintable(QString::number(c.volt)));
        ranges.insert(SortSession::RangeStatus(c));
    }
    // 40 mOhm and 400 mOhm, 4 V and 40 V, in all four pairings.
    QCOMPARE(ranges, (QSet<int>{2, 3, 6, 7}));
    // One seed gives the same cells whatever the session's timing.
    SortSession a({}, 0, {1, 0, 1}, SortSession::OpenShows::Overload, 5);
    SortSession b({}, 0, {4, 6, 9}, SortSession::OpenShows::Overload, 5);
    QVector<double> seenA, seenB;
    const auto touched = [](const SortSession::Step& s) {
        return s.first && s.phase == SortSession::Phase::Hold;
    };
    for (int i = 0; i < 40; ++i) {
        if (touched(a.next())) {
            seenA.append(a.cell().milliOhm);
        }
    }
    while (seenB.size() < seenA.size()) {
        if (touched(b.next())) {
            seenB.append(b.cell().milliOhm);
        }
    }
    QCOMPARE(seenB, seenA);
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

void TestSim::sortingSessionOnTheLine() {
    // A barcode-less list of two cells in different ranges; open probes show "OL", then "----".
    const QString cells = writeFile(QStringLiteral("two-cells.txt"),
                                    "# id-less list\n38.2 3.912 A-01\n72.4 4.105 A-02\n");
    QVERIFY(!cells.isEmpty());
    SimProcess sim({"--period", "20", "--sort", cells, "--open-ms", "200", "--bounce", "3",
                    "--hold-ms", "300", "--open-shows", "mixed", "--verbose"});
    QVERIFY2(sim.isReady(), qPrintable(sim.errorText()));
    PortTap tap;
    QVERIFY(tap.open(sim.path()));
    // Two touches of 10 + 3 + 15 readings, then the probes stay open: wait for 20 of those.
    const int wanted = 2 * (10 + 3 + 15) + 20;
    QVERIFY(tap.waitUntil([&] { return tap.bytes().size() >= wanted * PacketSize; }, 20000));

    const StreamParts parts = Split(tap.bytes());
    QCOMPARE(parts.strayBytes, 0);
    // Each reading as the program sees it: open, bounce (jumping) or steady on the cell.
    const double cellOhm[2] = {38.2, 72.4};
    const double cellVolt[2] = {3.912, 4.105};
    const int cellRange[2] = {0x03, 0x06};
    QStringList kinds;
    QVector<Seen> seen;
    int touch = -1;
    bool wasOpen = true;
    for (const QByteArray& packet : parts.packets) {
        const Seen r = See(packet);
        seen.append(r);
        touch += !r.open && wasOpen;
        wasOpen = r.open;
        QString kind;
        if (r.open) {
            kind = r.ohmText;
        } else {
            QVERIFY2(touch < 2, "a third touch");
            QCOMPARE(r.range, cellRange[touch]);
            const bool steady =
                qAbs(r.milliOhm - cellOhm[touch]) <= cellOhm[touch] * 0.005 &&
                qAbs(r.volt - cellVolt[touch]) <= cellVolt[touch] * 0.001 + r.voltCount / 2;
            kind = steady ? QStringLiteral("steady") : QStringLiteral("bounce");
        }
        if (kinds.isEmpty() || kinds.constLast() != kind) {
            kinds.append(kind);
        }
    }
    QCOMPARE(kinds.join(u' '), QStringLiteral("OL bounce steady ---- bounce steady OL"));

    // The runs: bounce and hold as long as asked, and a station captures each cell once.
    QVector<int> runs;
    for (qsizetype i = 0; i < seen.size();) {
        qsizetype j = i;
        while (j < seen.size() && seen.at(j).open == seen.at(i).open) {
            ++j;
        }
        runs.append(int(j - i));
        i = j;
    }
    QCOMPARE(runs.size(), 5);
    QCOMPARE(runs.at(1), 3 + 15);
    QCOMPARE(runs.at(2), 10);
    QCOMPARE(runs.at(3), 3 + 15);
    QVERIFY(runs.at(4) >= 20);
    const QVector<int> captures = Captures(seen);
    QCOMPARE(captures.size(), 2);
    QCOMPARE(See(parts.packets.at(captures.at(0))).ohmText.left(3), QStringLiteral("38."));
    QCOMPARE(See(parts.packets.at(captures.at(1))).ohmText.left(3), QStringLiteral("72."));
    QVERIFY(sim.stop());
    // --verbose names each touch and its label.
    const QString told = sim.errorText();
    QVERIFY2(told.contains(QStringLiteral("cell 2 \"A-02\" (72.4 mOhm, 4.105 V): touch")),
             qPrintable(told));
    QVERIFY2(told.contains(QStringLiteral("all 2 cells done")), qPrintable(told));
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
    QTest::newRow("bad cell file")
        << QStringList{"--sort", writeFile(QStringLiteral("cells.txt"), "# ok\n38.2 3.9\n38.2\n")}
        << 2 << "cells.txt: line 3:";
    QTest::newRow("empty cell file")
        << QStringList{"--sort", writeFile(QStringLiteral("none.txt"), "# none\n")} << 2
        << "no cells";
    QTest::newRow("missing cell file")
        << QStringList{"--sort", "/nonexistent/cells.txt"} << 2 << "/nonexistent/cells.txt";
    QTest::newRow("scenario setting the reading while sorting")
        << QStringList{"--sort", "random", "--scenario",
                       writeFile(QStringLiteral("reading.txt"), "1 garbage 3\n2 status 3\n")}
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
