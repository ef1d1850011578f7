#include <QTest>
#include <limits>

#include "core/cells/Profile.h"
#include "core/cells/Verdict.h"
#include "tst_cells.h"

Q_DECLARE_METATYPE(Profile)

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Open = std::numeric_limits<double>::infinity();

Profile Limits(std::optional<double> irPass, std::optional<double> irFail,
               std::optional<Window> voltPass = std::nullopt,
               std::optional<Window> voltWarn = std::nullopt) {
    Profile profile;
    profile.name = QStringLiteral("test");
    profile.irPass = irPass;
    profile.irFail = irFail;
    profile.voltPass = voltPass;
    profile.voltWarn = voltWarn;
    return profile;
}

}  // namespace

void TestVerdict::judge_data() {
    QTest::addColumn<Profile>("profile");
    QTest::addColumn<double>("milliohms");
    QTest::addColumn<double>("volts");
    QTest::addColumn<double>("selfDischarge");  // NaN: not known
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QStringList>("reasons");
    QTest::addColumn<QString>("bin");

    const Profile ir = Limits(60, 70);
    QTest::newRow("no limits pass")
        << Profile{} << 500.0 << 1.0 << NaN << "PASS" << QStringList{} << "";
    QTest::newRow("at the pass limit") << ir << 60.0 << 3.9 << NaN << "PASS" << QStringList{} << "";
    QTest::newRow("just above pass")
        << ir << 60.01 << 3.9 << NaN << "WARN" << QStringList{"IR 60.01 mOhm above 60"} << "";
    QTest::newRow("at the fail limit")
        << ir << 70.0 << 3.9 << NaN << "WARN" << QStringList{"IR 70 mOhm above 60"} << "";
    QTest::newRow("above the fail limit")
        << ir << 72.4 << 3.9 << NaN << "FAIL" << QStringList{"IR 72.4 mOhm above 70"} << "";
    QTest::newRow("only a pass limit: no warn band")
        << Limits(60, std::nullopt) << 61.0 << 3.9 << NaN << "FAIL"
        << QStringList{"IR 61 mOhm above 60"} << "";
    QTest::newRow("only a fail limit")
        << Limits(std::nullopt, 70) << 69.0 << 3.9 << NaN << "PASS" << QStringList{} << "";
    QTest::newRow("ohm range value in milliohms")
        << ir << 1234.0000000000002 << 3.9 << NaN << "FAIL" << QStringList{"IR 1234 mOhm above 70"}
        << "";
    QTest::newRow("resistance not measured")
        << Profile{} << NaN << 3.9 << NaN << "FAIL" << QStringList{"IR not measured"} << "";

    const Profile volts = Limits(std::nullopt, std::nullopt, Window{3.5, 4.2}, Window{3.0, 4.25});
    QTest::newRow("inside the pass window")
        << volts << 30.0 << 3.5 << NaN << "PASS" << QStringList{} << "";
    QTest::newRow("below pass, inside warn")
        << volts << 30.0 << 3.2 << NaN << "WARN" << QStringList{"Voltage 3.2 V below 3.5"} << "";
    QTest::newRow("above pass, inside warn")
        << volts << 30.0 << 4.22 << NaN << "WARN" << QStringList{"Voltage 4.22 V above 4.2"} << "";
    QTest::newRow("below warn") << volts << 30.0 << 2.512 << NaN << "FAIL"
                                << QStringList{"Voltage 2.512 V below 3"} << "";
    QTest::newRow("above warn") << volts << 30.0 << 4.3 << NaN << "FAIL"
                                << QStringList{"Voltage 4.3 V above 4.25"} << "";
    QTest::newRow("pass window without warn fails outside")
        << Limits(std::nullopt, std::nullopt, Window{3.5, 4.2}) << 30.0 << 3.4 << NaN << "FAIL"
        << QStringList{"Voltage 3.4 V below 3.5"} << "";
    QTest::newRow("voltage not measured")
        << volts << 30.0 << NaN << NaN << "FAIL" << QStringList{"Voltage not measured"} << "";
    QTest::newRow("reverse polarity")
        << volts << 30.0 << -3.9 << NaN << "FAIL" << QStringList{"Voltage -3.9 V below 3"} << "";

    Profile both = Limits(60, 70, Window{3.5, 4.2}, Window{3.0, 4.25});
    both.selfDischargeMax = 10;
    both.bins = {{"A", 40}, {"B", 60}, {"C", Open}};
    QTest::newRow("worst of several, reasons in order")
        << both << 65.0 << 2.9 << 14.2 << "FAIL"
        << QStringList{"IR 65 mOhm above 60", "Voltage 2.9 V below 3",
                       "Self-discharge 14.2 mV/day above 10"}
        << "C";
    QTest::newRow("self-discharge at the limit passes")
        << both << 30.0 << 3.9 << 10.0 << "PASS" << QStringList{} << "A";
    QTest::newRow("self-discharge above the limit fails")
        << both << 30.0 << 3.9 << 10.5 << "FAIL"
        << QStringList{"Self-discharge 10.5 mV/day above 10"} << "A";
    QTest::newRow("bin edge belongs to the lower bin")
        << both << 40.0 << 3.9 << NaN << "PASS" << QStringList{} << "A";
    QTest::newRow("just above the edge")
        << both << 40.01 << 3.9 << NaN << "PASS" << QStringList{} << "B";
    QTest::newRow("open last bin")
        << both << 900.0 << 3.9 << NaN << "FAIL" << QStringList{"IR 900 mOhm above 70"} << "C";

    Profile closed = both;
    closed.bins = {{"A", 40}, {"B", 60}};
    QTest::newRow("above the last edge: no bin")
        << closed << 61.0 << 3.9 << NaN << "WARN" << QStringList{"IR 61 mOhm above 60"} << "";
    QTest::newRow("no resistance: no bin")
        << closed << NaN << 3.9 << NaN << "FAIL" << QStringList{"IR not measured"} << "";

    Profile byVolt = Limits(std::nullopt, std::nullopt);
    byVolt.binOn = Profile::BinOn::Voltage;
    byVolt.bins = {{"Low", 3.28}, {"Mid", 3.31}, {"High", Open}};
    QTest::newRow("bins on the voltage")
        << byVolt << 1.0 << 3.30 << NaN << "PASS" << QStringList{} << "Mid";
}

void TestVerdict::judge() {
    QFETCH(Profile, profile);
    QFETCH(double, milliohms);
    QFETCH(double, volts);
    QFETCH(double, selfDischarge);
    QFETCH(QString, verdict);
    QFETCH(QStringList, reasons);
    QFETCH(QString, bin);
    const Judgement judgement =
        Judge(profile, milliohms, volts,
              std::isnan(selfDischarge) ? std::nullopt : std::optional<double>(selfDischarge));
    QCOMPARE(VerdictName(judgement.verdict), verdict);
    QCOMPARE(ParseVerdict(verdict), judgement.verdict);
    QCOMPARE(judgement.reasons, reasons);
    QCOMPARE(judgement.bin, bin);
}

void TestVerdict::profileProblems_data() {
    QTest::addColumn<Profile>("profile");
    QTest::addColumn<QString>("problem");
    QTest::newRow("sound") << Limits(60, 70, Window{3, 4}, Window{2.5, 4.2}) << "";
    QTest::newRow("no name") << Profile{} << "the profile has no name";
    QTest::newRow("pass above fail")
        << Limits(80, 70) << "the pass resistance is above the fail resistance";
    QTest::newRow("negative limit") << Limits(-1, 70) << "a resistance limit is below 0";
    QTest::newRow("inverted pass window") << Limits(std::nullopt, std::nullopt, Window{4, 3})
                                          << "the pass voltage window ends below its start";
    QTest::newRow("warn narrower than pass")
        << Limits(std::nullopt, std::nullopt, Window{3, 4}, Window{3.1, 4.2})
        << "the warn voltage window does not hold the pass window";
    Profile bins = Limits(std::nullopt, std::nullopt);
    bins.bins = {{"A", 40}, {"B", 40}};
    QTest::newRow("bin edges not rising") << bins << "the bin edges are not in rising order";
    bins.bins = {{"A", 40}, {"A", 50}};
    QTest::newRow("bin name twice") << bins << "the bin name \"A\" is used twice";
    for (const Profile& example : Profile::Examples()) {
        QTest::newRow(qPrintable(example.name)) << example << "";
    }
}

void TestVerdict::profileProblems() {
    QFETCH(Profile, profile);
    QFETCH(QString, problem);
    QCOMPARE(profile.problem(), problem);
}
