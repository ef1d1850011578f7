#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "ComEnvironment.h"
#include "PtyFeeder.h"
#include "PtyPair.h"
#include "Rig.h"
#include "core/meter/Receiver.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "platform/widgets/ClickLabel.h"
#include "tst_app.h"

namespace {

// Two readings told apart on the display.
const QByteArray ReadingA = Packet(1111, 2222, 0x00);  // 11.11 ohm, 2.222 V
const QByteArray ReadingB = Packet(3333, 4444, 0x00);  // 33.33 ohm, 4.444 V
const QString OhmA = QStringLiteral("11.11");
const QString OhmB = QStringLiteral("33.33");

}  // namespace

void TestReceive::readingShown_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("ohm");
    QTest::addColumn<QString>("volt");
    QTest::addColumn<bool>("milliOhm");
    QTest::newRow("02 04 D2 00 38 03 03") << QByteArray::fromHex("0204D200380303") << "12.34"
                                          << "0.056" << true;
    QTest::newRow("40 ohm") << Packet(1234, 56, 0x00) << "12.34"
                            << "0.056" << false;
    QTest::newRow("4 ohm") << Packet(1234, 56, 0x01) << "1.234"
                           << "0.056" << false;
    QTest::newRow("400 mohm") << Packet(1234, 56, 0x02) << "123.4"
                              << "0.056" << true;
    QTest::newRow("40 mohm, 40 V") << Packet(1234, 56, 0x07) << "12.34"
                                   << "0.56" << true;
    QTest::newRow("no reading, -OL") << Packet(1234, 56, 0xE0) << "----"
                                     << "-OL" << false;
}

void TestReceive::readingShown() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, ohm);
    QFETCH(QString, volt);
    QFETCH(bool, milliOhm);

    ComEnvironment env;
    PtyPair pty;
    env.set(1, pty.path());
    SystemClock clock;
    Rig rig(clock);
    QVERIFY(rig.load());
    QCOMPARE(rig.panel().lblCom()->text(), QStringLiteral("Com1"));

    PtyFeeder meter(pty);
    meter.send(bytes);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), ohm, 3000);
    QCOMPARE(rig.panel().valVoltage()->text(), volt);
    QCOMPARE(rig.panel().lblMOhm()->isVisible(), milliOhm);
    QCOMPARE(rig.panel().lblCom()->text(), QStringLiteral("Com1"));
}

void TestReceive::notOnePacketIgnored_data() {
    QTest::addColumn<QByteArray>("chunk");
    QByteArray badStart = ReadingB;
    badStart[0] = 0x01;
    QByteArray badEnd = ReadingB;
    badEnd[6] = 0x04;
    QTest::newRow("start byte 01") << badStart;
    QTest::newRow("end byte 04") << badEnd;
    QTest::newRow("packet and three more") << ReadingB + QByteArray::fromHex("000102");
    QTest::newRow("two packets at once") << ReadingB + ReadingB;
    QTest::newRow("six bytes") << ReadingB.left(6);
}

void TestReceive::notOnePacketIgnored() {
    QFETCH(QByteArray, chunk);

    ComEnvironment env;
    PtyPair pty;
    env.set(1, pty.path());
    SystemClock clock;
    Rig rig(clock);
    QVERIFY(rig.load());
    PtyFeeder meter(pty);
    meter.send(ReadingA);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmA, 3000);

    meter.send(chunk);
    QTest::qWait(1100);
    QCOMPARE(rig.panel().valOhm()->text(), OhmA);

    // Nothing is stuck: the next clean packet shows.
    meter.send(ReadingB);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmB, 4000);
    QCOMPARE(rig.panel().lblCom()->text(), QStringLiteral("Com1"));
}

void TestReceive::garbageBurst() {
    ComEnvironment env;
    PtyPair pty;
    env.set(1, pty.path());
    SystemClock clock;
    Rig rig(clock);
    QVERIFY(rig.load());
    PtyFeeder meter(pty);
    meter.send(ReadingA);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmA, 3000);

    meter.silence();
    QByteArray garbage(10000, Qt::Uninitialized);
    for (int i = 0; i < garbage.size(); ++i) {
        garbage[i] = char((i * 73 + 11) & 0xFF);
    }
    // In pieces: the pty takes only so much before the program reads it.
    for (qsizetype at = 0; at < garbage.size(); at += 1000) {
        QVERIFY(pty.write(garbage.mid(at, 1000)));
        QTest::qWait(5);
    }
    meter.send(ReadingB);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmB, 5000);
    QCOMPARE(rig.panel().lblCom()->text(), QStringLiteral("Com1"));
}

void TestReceive::silenceThenFirstByte() {
    ComEnvironment env;
    PtyPair pty;
    env.set(1, pty.path());
    SystemClock clock;
    Rig rig(clock);
    QVERIFY(rig.load());
    PtyFeeder meter(pty);
    meter.send(ReadingA);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmA, 3000);
    QSignalSpy noData(&rig.app.receiver(), &Receiver::noDataChanged);

    meter.silence();
    QElapsedTimer silent;
    silent.start();
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().lblCom()->text(), QStringLiteral("No COM"), 8000);
    // Five one-second waits, the first starting after the last packet.
    QVERIFY2(silent.elapsed() >= 4500, qPrintable(QString::number(silent.elapsed())));
    QVERIFY(rig.app.panel.NoData);
    QCOMPARE(noData.count(), 1);

    // The first bytes end the no-data state and are dropped: that tick shows no reading.
    QVERIFY(pty.write(ReadingB));
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().lblCom()->text(), QStringLiteral("COM1"), 1000);
    QVERIFY(!rig.app.panel.NoData);
    QCOMPARE(noData.count(), 2);
    QTest::qWait(400);
    QCOMPARE(rig.panel().valOhm()->text(), OhmA);

    meter.send(ReadingB);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmB, 3000);
}

namespace {

// How dark the darkest ink of a label is, over white: 0 black, 255 white.
int DarkestInk(QWidget& label) {
    QImage image(label.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
        }
    }
    return darkest;
}

}  // namespace

// During "No COM" the reading on the face is an old one: its digits fade and its description
// says so, its text stays; the next reading, not the link's return, brings them back.
void TestReceive::oldReadingFades() {
    ComEnvironment env;
    PtyPair pty;
    env.set(1, pty.path());
    SystemClock clock;
    Rig rig(clock);
    QVERIFY(rig.load());
    PtyFeeder meter(pty);
    meter.send(ReadingA);
    QLabel* ohm = rig.panel().valOhm();
    QLabel* volt = rig.panel().valVoltage();
    QTRY_COMPARE_WITH_TIMEOUT(ohm->text(), OhmA, 3000);
    const int fresh = DarkestInk(*ohm);
    QCOMPARE(ohm->accessibleDescription(), QStringLiteral("Resistance"));
    QCOMPARE(volt->accessibleDescription(), QStringLiteral("Voltage"));

    meter.silence();
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().lblCom()->text(), QStringLiteral("No COM"), 8000);
    QCOMPARE(ohm->text(), OhmA);
    QCOMPARE(volt->text(), QStringLiteral("2.222"));
    const QString old = QStringLiteral(", an old reading: no data from the meter");
    QCOMPARE(ohm->accessibleDescription(), QStringLiteral("Resistance") + old);
    QCOMPARE(volt->accessibleDescription(), QStringLiteral("Voltage") + old);
    const int faded = DarkestInk(*ohm);
    QVERIFY2(faded > fresh + 60, qPrintable(QStringLiteral("%1 %2").arg(fresh).arg(faded)));
    QVERIFY(DarkestInk(*volt) > fresh + 60);

    // The first bytes end the silence but are dropped: still the old reading.
    QVERIFY(pty.write(ReadingB));
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().lblCom()->text(), QStringLiteral("COM1"), 1000);
    QCOMPARE(ohm->text(), OhmA);
    QCOMPARE(DarkestInk(*ohm), faded);

    meter.send(ReadingB);
    QTRY_COMPARE_WITH_TIMEOUT(ohm->text(), OhmB, 3000);
    QCOMPARE(DarkestInk(*ohm), fresh);
    QCOMPARE(ohm->accessibleDescription(), QStringLiteral("Resistance"));
    QCOMPARE(volt->accessibleDescription(), QStringLiteral("Voltage"));
}

void TestReceive::deviceVanishesAndReturns() {
    // A new pty cannot take the old one's path, so COM 1 is a link that is pointed anew, as
    // /dev/serial/by-id links are when an adapter comes back.
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    auto first = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(first->path(), link));
    ComEnvironment env;
    env.set(1, link);
    SystemClock clock;
    Rig rig(clock);
    QVERIFY(rig.load());
    PtyFeeder meter(*first);
    meter.send(ReadingA);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmA, 3000);

    QSignalSpy errors(&rig.app.link().port(), &QSerialPort::errorOccurred);
    QSignalSpy lost(&rig.app.link(), &SerialLink::lost);
    QSignalSpy restored(&rig.app.link(), &SerialLink::restored);
    meter.silence();
    // A pulled adapter takes its device name with it, so the retries cannot open another
    // program's pty that happens to get the same number.
    first->closeMaster();
    QVERIFY(QFile::remove(link));
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().lblCom()->text(), QStringLiteral("No COM"), 2000);
    QCOMPARE(lost.count(), 1);
    QVERIFY(!rig.app.link().isOpen());
    QTest::qWait(300);
    // A hung-up pty reports a read error on every pass of the event loop while it stays open.
    QVERIFY2(errors.count() < 20, qPrintable(QString::number(errors.count())));

    PtyPair second;
    QVERIFY(QFile::link(second.path(), link));
    meter.moveTo(second);
    meter.send(ReadingB);
    QTRY_COMPARE_WITH_TIMEOUT(restored.count(), 1, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().lblCom()->text(), QStringLiteral("COM1"), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmB, 3000);
}

void TestReceive::offLeavesPortAlone() {
    ComEnvironment env;
    PtyPair pty;
    env.set(1, pty.path());
    SystemClock clock;
    Rig rig(clock);
    QVERIFY(rig.load());
    PtyFeeder meter(pty);
    meter.send(ReadingA);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmA, 3000);

    meter.silence();
    QTRY_VERIFY_WITH_TIMEOUT(rig.app.receiver().isWaiting(), 1000);
    rig.app.setTimer1(false);
    QVERIFY(pty.write(ReadingB));
    // Past the end of the wait that was running: nothing may drop or take the bytes, which
    // now belong to the logger download.
    QTest::qWait(1300);
    QCOMPARE(rig.app.link().port().bytesAvailable(), qint64(ReadingB.size()));
    QCOMPARE(rig.panel().valOhm()->text(), OhmA);
    QCOMPARE(rig.panel().lblCom()->text(), QStringLiteral("Com1"));

    rig.app.setTimer1(true);
    meter.send(ReadingB);
    QTRY_COMPARE_WITH_TIMEOUT(rig.panel().valOhm()->text(), OhmB, 3000);
}
