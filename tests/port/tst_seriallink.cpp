#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "ComEnvironment.h"
#include "PtyPair.h"
#include "platform/SerialLink.h"
#include "tst_port.h"

Q_DECLARE_METATYPE(SerialLink::OpenResult)

void TestSerialLink::openResult_data() {
    QTest::addColumn<QString>("held");    // how another program holds the pty: "", "device", "link"
    QTest::addColumn<QString>("opened");  // what is opened: "device", "link", "missing", ...
    QTest::addColumn<SerialLink::OpenResult>("result");
    using R = SerialLink::OpenResult;
    QTest::newRow("free device") << ""
                                 << "device" << R::Ok;
    QTest::newRow("free, by a link") << ""
                                     << "link" << R::Ok;
    QTest::newRow("held") << "device"
                          << "device" << R::Busy;
    QTest::newRow("held, opened by a link") << "device"
                                            << "link" << R::Busy;
    QTest::newRow("held by a link, opened by the device") << "link"
                                                          << "device" << R::Busy;
    QTest::newRow("missing") << ""
                             << "missing" << R::Missing;
    QTest::newRow("dangling link") << ""
                                   << "dangling" << R::Missing;
    QTest::newRow("no path") << ""
                             << "empty" << R::Missing;
    QTest::newRow("not a serial device") << ""
                                         << "file" << R::Failed;
}

void TestSerialLink::openResult() {
    QFETCH(QString, held);
    QFETCH(QString, opened);
    QFETCH(SerialLink::OpenResult, result);

    PtyPair pty;
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(pty.path(), link));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")),
                        dir.filePath(QStringLiteral("dangling"))));
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QSerialPort other;
    if (!held.isEmpty()) {
        QCOMPARE(SerialLink::openPath(other, held == QLatin1String("link") ? link : pty.path()),
                 SerialLink::OpenResult::Ok);
    }
    const QHash<QString, QString> paths = {
        {QStringLiteral("device"), pty.path()},
        {QStringLiteral("link"), link},
        {QStringLiteral("missing"), dir.filePath(QStringLiteral("gone"))},
        {QStringLiteral("dangling"), dir.filePath(QStringLiteral("dangling"))},
        {QStringLiteral("empty"), QString()},
        {QStringLiteral("file"), file.fileName()},
    };
    QSerialPort port;
    QCOMPARE(SerialLink::openPath(port, paths.value(opened)), result);
    QCOMPARE(port.isOpen(), result == SerialLink::OpenResult::Ok);
    if (port.isOpen()) {
        QCOMPARE(port.baudRate(), 9600);
        QCOMPARE(port.dataBits(), QSerialPort::Data8);
        QCOMPARE(port.parity(), QSerialPort::NoParity);
        QCOMPARE(port.stopBits(), QSerialPort::OneStop);
        QCOMPARE(port.flowControl(), QSerialPort::NoFlowControl);
    }
    // A failed open leaves the holder's port as it was.
    QCOMPARE(other.isOpen(), !held.isEmpty());
}

void TestSerialLink::notPermittedForAnotherUser() {
    // A pty belongs to its creator and the tty group: to anyone else it is what a serial port
    // is to a user outside the dialout group.
    if (::geteuid() != 0) {
        QSKIP("needs root to act as another user");
    }
    PtyPair pty;
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(100);
        }
        ::_exit(int(SerialLink::probe(pty.path())));
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) {
        QSKIP("cannot change to another user here");
    }
    QCOMPARE(SerialLink::OpenResult(WEXITSTATUS(status)), SerialLink::OpenResult::NoPermission);
}

void TestSerialLink::lostAndRestored() {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    auto first = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(first->path(), link));
    ComEnvironment env;
    env.set(2, link);

    SerialLink serial;
    QSignalSpy lost(&serial, &SerialLink::lost);
    QSignalSpy restored(&serial, &SerialLink::restored);
    QCOMPARE(serial.open(2), SerialLink::OpenResult::Ok);
    QCOMPARE(serial.comNo(), 2);

    // A pulled adapter takes its device name with it. Without the link, the number of the
    // closed pty could be handed to another program's new pty and opened by the retries.
    first->closeMaster();
    QVERIFY(QFile::remove(link));
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 2000);
    QVERIFY(!serial.isOpen());
    QVERIFY(serial.isLost());
    // Still gone a few tries later: no second "lost", nothing restored.
    QTest::qWait(2200);
    QCOMPARE(lost.count(), 1);
    QCOMPARE(restored.count(), 0);

    PtyPair second;
    QVERIFY(QFile::link(second.path(), link));
    QTRY_COMPARE_WITH_TIMEOUT(restored.count(), 1, 2500);
    QVERIFY(serial.isOpen());
    QVERIFY(!serial.isLost());
    QVERIFY(second.write(QByteArrayLiteral("\x02")));
    QTRY_COMPARE_WITH_TIMEOUT(serial.port().bytesAvailable(), qint64(1), 2000);

    // Closing for good stops the tries.
    first = std::make_unique<PtyPair>();
    serial.close();
    QVERIFY(!serial.isLost());
}
