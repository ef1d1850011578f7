#include <QSignalSpy>
#include <QTest>

#include "core/meter/SecondTicker.h"
#include "platform/Clock.h"
#include "tst_app.h"

void TestSecondTicker::nextTickAt_data() {
    QTest::addColumn<qint64>("origin");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<qint64>("next");
    QTest::newRow("at the origin") << qint64(0) << qint64(0) << qint64(1000);
    QTest::newRow("just after") << qint64(0) << qint64(1) << qint64(1000);
    QTest::newRow("just before a second") << qint64(0) << qint64(999) << qint64(1000);
    QTest::newRow("on a second") << qint64(0) << qint64(1000) << qint64(2000);
    QTest::newRow("origin not on a second") << qint64(500) << qint64(1499) << qint64(1500);
    QTest::newRow("on a second after such an origin")
        << qint64(500) << qint64(1500) << qint64(2500);
    QTest::newRow("ten seconds late: no catching up")
        << qint64(0) << qint64(10250) << qint64(11000);
    QTest::newRow("before the origin") << qint64(1000) << qint64(0) << qint64(2000);
    QTest::newRow("a day on") << qint64(123456789) << qint64(123456789 + 86400000 - 1)
                              << qint64(123456789 + 86400000);
}

void TestSecondTicker::nextTickAt() {
    QFETCH(qint64, origin);
    QFETCH(qint64, now);
    QFETCH(qint64, next);
    QCOMPARE(SecondTicker::nextTickAt(origin, now), next);
}

void TestSecondTicker::ticksOnWholeSecondsSinceOrigin() {
    SystemClock clock;
    SecondTicker ticker(clock);
    const qint64 origin = clock.monotonicMs();
    QVector<qint64> at;
    connect(&ticker, &SecondTicker::tick, this, [&] { at.append(clock.monotonicMs() - origin); });
    ticker.start(origin);
    QTRY_VERIFY_WITH_TIMEOUT(at.size() >= 3, 6000);
    ticker.stop();
    // Tick k lands in second k since the origin: never early, and the error of one tick is
    // not carried into the next.
    for (int k = 0; k < 3; ++k) {
        QVERIFY2(at[k] >= (k + 1) * 1000, qPrintable(QString::number(at[k])));
        QCOMPARE(at[k] / 1000, qint64(k + 1));
    }
}

void TestSecondTicker::neverEarlyNeverCatchesUp() {
    ManualClock clock;
    SecondTicker ticker(clock);
    QSignalSpy ticks(&ticker, &SecondTicker::tick);
    ticker.start(0);

    // The timer fires after a real second, but the clock says 400 ms: not yet.
    clock.advanceMs(400);
    QTest::qWait(1150);
    QCOMPARE(ticks.count(), 0);

    clock.advanceMs(600);
    QTRY_COMPARE_WITH_TIMEOUT(ticks.count(), 1, 1500);

    // Nine seconds lost (the machine slept): one tick, not a burst of nine.
    clock.advanceMs(9500);
    QTRY_COMPARE_WITH_TIMEOUT(ticks.count(), 2, 1500);
    QTest::qWait(200);
    QCOMPARE(ticks.count(), 2);
}
