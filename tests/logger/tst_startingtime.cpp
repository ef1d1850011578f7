#include <QTest>

#include "core/logger/StartingTime.h"
#include "tst_logger.h"

void TestStartingTime::parse_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("stamp");  // empty: refused
    const QString refused;

    QTest::newRow("the pattern") << "2021/07/01 10:20:30"
                                 << "2021/07/01 10:20:30";
    QTest::newRow("zeros take today") << "0000/00/00 08:00:00"
                                      << "2024/03/09 08:00:00";
    QTest::newRow("bare numbers") << "5/1/2 3:4:5"
                                  << "2005/01/02 03:04:05";
    QTest::newRow("year 12 is 2012") << "12/12/12 12:12:12"
                                     << "2012/12/12 12:12:12";
    QTest::newRow("year 13 stays") << "13/1/1 1:1:1"
                                   << "0013/01/01 01:01:01";
    QTest::newRow("year keeps four digits") << "12021/7/1 1:1:1"
                                            << "2021/07/01 01:01:01";
    QTest::newRow("year 10000 is zero") << "10000/7/1 1:1:1"
                                        << "2024/07/01 01:01:01";
    QTest::newRow("day is two characters") << "2021/07/123 10:20:30"
                                           << "2021/07/12 10:20:30";
    QTest::newRow("hour is the two before the colon") << "2021/07/01 110:20:30"
                                                      << "2021/07/01 10:20:30";
    QTest::newRow("no seconds text") << "2021/07/01 10:20:"
                                     << "2021/07/01 10:20:00";
    QTest::newRow("leap day") << "2024/02/29 00:00:00"
                              << "2024/02/29 00:00:00";
    QTest::newRow("dashes") << "2021-07-01 10:20:30" << refused;
    QTest::newRow("one colon") << "2021/07/01 10:20" << refused;
    QTest::newRow("empty") << "" << refused;
    QTest::newRow("month 13") << "2021/13/01 10:20:30" << refused;
    QTest::newRow("minute 75") << "2021/07/01 10:75:30" << refused;
    QTest::newRow("30 February") << "2021/02/30 10:20:30" << refused;
    QTest::newRow("29 February 2023") << "2023/02/29 10:20:30" << refused;
    QTest::newRow("hour 24") << "2021/07/01 24:00:00" << refused;
    QTest::newRow("second 60") << "2021/07/01 10:20:60" << refused;
    // Each field is the digits at its start: no sign, point or exponent.
    QTest::newRow("minus: no digits, this year") << "-5/07/01 10:20:30"
                                                 << "2024/07/01 10:20:30";
    QTest::newRow("plus: no digits, this year") << "+5/07/01 10:20:30"
                                                << "2024/07/01 10:20:30";
    QTest::newRow("exponent ends the digits") << "2e3/07/01 10:20:30"
                                              << "2002/07/01 10:20:30";
    QTest::newRow("point ends the digits") << "2021/7.5/01 2.5:20:30"
                                           << "2021/07/01 00:20:30";
    QTest::newRow("blanks before digits") << "  2021/ 7/ 1 10: 20: 30"
                                          << "2021/07/01 10:20:03";
    QTest::newRow("no digits anywhere") << "x/x/x x:x:x"
                                        << "2024/03/09 00:00:00";
    QTest::newRow("twenty digits") << "12345678901234567890/7/1 1:1:1"
                                   << "7890/07/01 01:01:01";
    QTest::newRow("month 13.5 is 13") << "2021/13.5/01 10:20:30" << refused;
}

void TestStartingTime::parse() {
    QFETCH(QString, answer);
    QFETCH(QString, stamp);
    const auto parsed = StartingTime::Parse(answer, QDate(2024, 3, 9));
    QCOMPARE(parsed.value_or(QString()), stamp);
}
