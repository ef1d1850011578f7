#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cstring>

#include "platform/TextRules.h"
#include "tst_platform.h"

using namespace TextRules;

void TestTextRules::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12.34" << 12.34;
    QTest::newRow("blanks skipped") << "   7.5" << 7.5;
    QTest::newRow("tab skipped") << "\t3" << 3.0;
    QTest::newRow("unit after") << "40m Ohm" << 40.0;
    QTest::newRow("range text") << "400m" << 400.0;
    QTest::newRow("voltage") << "4 Voltage" << 4.0;
    QTest::newRow("negative") << "-1.234" << -1.234;
    QTest::newRow("plus") << "+2" << 2.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("two points") << "1.2.3" << 1.2;
    QTest::newRow("letters") << "OL" << 0.0;
    QTest::newRow("minus letters") << "-OL" << 0.0;
    QTest::newRow("dashes") << "----" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blank only") << "   " << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("exponent") << "1.5e3" << 1500.0;
    QTest::newRow("bare e") << "2e" << 2.0;
    QTest::newRow("e then letters") << "2eV" << 2.0;
    QTest::newRow("huge exponent") << "1e999999" << 0.0;
    QTest::newRow("tiny exponent") << "1e-999999" << 0.0;
    QTest::newRow("plus exponent") << "2.5e+2" << 250.0;
    QTest::newRow("many digits") << "000123456789012345678901234567890" << 1.2345678901234568e29;
    QTest::newRow("exponent, leading zeros") << "7e0000001" << 70.0;
    QTest::newRow("negative exponent, leading zeros") << "5e-00000001x" << 0.5;
    QTest::newRow("exponent beyond six digits") << "7e00000880220014)" << 0.0;
    QTest::newRow("tiny") << "1e-0000400" << 0.0;
    QTest::newRow("comma ends") << "3,5" << 3.0;
}

void TestTextRules::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(LeadingNumber(text), value);
}

void TestTextRules::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("2.51") << 2.51 << 3.0;
    QTest::newRow("-0.4") << -0.4 << 0.0;
    QTest::newRow("86400.5") << 86400.5 << 86400.0;
}

void TestTextRules::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(RoundHalfEven(value), rounded);
}

void TestTextRules::generalNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << 15 << "0";
    QTest::newRow("half") << 12.5 << 15 << "12.5";
    QTest::newRow("whole") << 25.0 << 15 << "25";
    QTest::newRow("negative") << -40.0 << 15 << "-40";
    QTest::newRow("single float") << double(0.1f) << 7 << "0.1";
    QTest::newRow("thirds") << 400.0 / 3 << 7 << "133.3333";
    QTest::newRow("large") << 864000.0 << 15 << "864000";
    QTest::newRow("small") << 0.001 << 15 << "0.001";
}

void TestTextRules::generalNumber() {
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(QString, text);
    QCOMPARE(GeneralNumber(value, digits), text);
}

void TestTextRules::oneDecimal_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("leadingZero");
    QTest::addColumn<QString>("text");
    QTest::newRow("#.0 below one") << 0.54 << false << ".5";
    QTest::newRow("#.0 rounds up") << 63.05 << false << "63.1";
    QTest::newRow("#.0 hundred") << 100.0 << false << "100.0";
    QTest::newRow("0.0 remained") << 43.7646 << true << "43.8";
    QTest::newRow("0.0 below one") << 0.25 << true << "0.3";
}

void TestTextRules::oneDecimal() {
    QFETCH(double, value);
    QFETCH(bool, leadingZero);
    QFETCH(QString, text);
    QCOMPARE(OneDecimal(value, leadingZero), text);
}

void TestTextRules::stamps_data() {
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("after");
    QTest::newRow("plain") << "2021/07/01 10:20:30" << qint64(10) << "2021/07/01 10:20:40";
    QTest::newRow("midnight") << "2021/07/01 23:59:59" << qint64(1) << "2021/07/02 00:00:00";
    QTest::newRow("month end") << "2021/06/30 23:59:58" << qint64(2) << "2021/07/01 00:00:00";
    QTest::newRow("year end") << "2021/12/31 23:59:59" << qint64(1) << "2022/01/01 00:00:00";
    QTest::newRow("leap day") << "2024/02/28 12:00:00" << qint64(86400) << "2024/02/29 12:00:00";
    QTest::newRow("spring forward hour exists")
        << "2021/03/28 01:59:59" << qint64(1) << "2021/03/28 02:00:00";
    QTest::newRow("a day") << "2021/07/01 10:20:30" << qint64(86400) << "2021/07/02 10:20:30";
    QTest::newRow("unreadable unchanged") << "not a stamp" << qint64(5) << "not a stamp";
}

void TestTextRules::stamps() {
    QFETCH(QString, stamp);
    QFETCH(qint64, seconds);
    QFETCH(QString, after);
    QCOMPARE(AddSeconds(stamp, seconds), after);
    if (ParseStamp(after)) {
        QCOMPARE(StampDate(after) + u' ' + StampTime(after), after);
    }
}

// Stepping gives, step after step, what AddSeconds gives on the stamp before.
void TestTextRules::stampStepper_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<qint64>("step");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("last");
    QTest::newRow("a day of minutes")
        << "2021/07/01 10:20:30" << qint64(60) << 1440 << "2021/07/02 10:20:30";
    QTest::newRow("over a leap day")
        << "2024/02/28 23:00:00" << qint64(255) << 500 << "2024/03/01 10:25:00";
    QTest::newRow("summer time does not skip")
        << "2021/03/28 01:59:00" << qint64(20) << 9 << "2021/03/28 02:02:00";
    QTest::newRow("step of zero") << "2021/07/01 10:20:30" << qint64(0) << 3
                                  << "2021/07/01 10:20:30";
    QTest::newRow("unreadable stays")
        << "2021/13/01 10:20:30" << qint64(5) << 3 << "2021/13/01 10:20:30";
    QTest::newRow("past the year 9999 stops")
        << "9999/12/31 23:59:50" << qint64(5) << 4 << "10000/01/01 00:00:00";
}

void TestTextRules::stampStepper() {
    QFETCH(QString, start);
    QFETCH(qint64, step);
    QFETCH(int, steps);
    QFETCH(QString, last);
    StampStepper stepper(start);
    QString added = start;
    QCOMPARE(stepper.stamp(), start);
    for (int i = 0; i < steps; ++i) {
        stepper.advance(step);
        added = AddSeconds(added, step);
        QCOMPARE(stepper.stamp(), added);
    }
    QCOMPARE(stepper.stamp(), last);
}

void TestTextRules::isoTime_data() {
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("text");
    const QDate day(2021, 7, 1);
    QTest::newRow("east of UTC") << QDateTime(day, QTime(10, 20, 30, 250), Qt::OffsetFromUTC, 7200)
                                 << "2021-07-01T10:20:30.250+02:00";
    QTest::newRow("west, half hours")
        << QDateTime(day, QTime(0, 0, 5, 7), Qt::OffsetFromUTC, -12600)
        << "2021-07-01T00:00:05.007-03:30";
    QTest::newRow("UTC") << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC)
                         << "1999-12-31T23:59:59.999+00:00";
    QTest::newRow("year before 1000")
        << QDateTime(QDate(800, 1, 2), QTime(3, 4, 5), Qt::UTC) << "0800-01-02T03:04:05.000+00:00";
    QTest::newRow("west by less than an hour")
        << QDateTime(day, QTime(9, 8, 7, 60), Qt::OffsetFromUTC, -1800)
        << "2021-07-01T09:08:07.060-00:30";
    QTest::newRow("furthest east")
        << QDateTime(QDate(9999, 12, 31), QTime(23, 0), Qt::OffsetFromUTC, 14 * 3600)
        << "9999-12-31T23:00:00.000+14:00";
}

void TestTextRules::isoTime() {
    QFETCH(QDateTime, time);
    QFETCH(QString, text);
    QCOMPARE(IsoTime(time), text);
    QCOMPARE(QDateTime::fromString(text, Qt::ISODateWithMs), time);
}

namespace {

// Switches the C library's LC_NUMERIC to a comma-decimal locale for the life of the object, as
// Qt does at start on a German desktop. Builds one with localedef when the machine has none.
class CommaNumeric {
  public:
    CommaNumeric() : saved_(std::setlocale(LC_NUMERIC, nullptr)) {
        if (trySet()) {
            return;
        }
        const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
        if (localedef.isEmpty() || !dir_.isValid()) {
            return;
        }
        QProcess::execute(localedef,
                          {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                           QStringLiteral("UTF-8"), dir_.filePath(QStringLiteral("de_DE.UTF-8"))});
        savedLocPath_ = qgetenv("LOCPATH");
        qputenv("LOCPATH", QFile::encodeName(dir_.path()));
        trySet();
    }
    ~CommaNumeric() {
        std::setlocale(LC_NUMERIC, saved_.constData());
        if (savedLocPath_.isNull()) {
            qunsetenv("LOCPATH");
        } else {
            qputenv("LOCPATH", savedLocPath_);
        }
    }
    bool active() const { return active_; }

  private:
    bool trySet() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_NUMERIC, name) &&
                std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
                active_ = true;
                return true;
            }
        }
        return false;
    }

    QByteArray saved_;
    QByteArray savedLocPath_;
    QTemporaryDir dir_;
    bool active_ = false;
};

}  // namespace

void TestTextRules::commaDecimalCLibrary() {
    const CommaNumeric comma;
    if (!comma.active()) {
        QSKIP("no comma-decimal C locale on this machine");
    }
    QCOMPARE(LeadingNumber(u"12.5"), 12.5);
    QCOMPARE(LeadingNumber(u" -3.25e2 V"), -325.0);
    QCOMPARE(LeadingNumber(u"3,5"), 3.0);
}

void TestTextRules::commaDecimalLocale() {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(LeadingNumber(u"12.5"), 12.5);
    QCOMPARE(GeneralNumber(12.5), QStringLiteral("12.5"));
    QCOMPARE(OneDecimal(43.76, true), QStringLiteral("43.8"));
    QLocale::setDefault(saved);
}
