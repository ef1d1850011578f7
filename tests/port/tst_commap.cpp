#include <QHash>
#include <QTest>

#include "platform/ComMap.h"
#include "tst_port.h"

namespace {

// "n=value" pairs.
QHash<QString, QString> pairs(const QStringList& list) {
    QHash<QString, QString> out;
    for (const QString& item : list) {
        const qsizetype at = item.indexOf(u'=');
        out.insert(item.left(at), item.mid(at + 1));
    }
    return out;
}

}  // namespace

void TestComMap::build_data() {
    QTest::addColumn<QStringList>("variables");  // "n=path": KELVOMARK_COM<n>
    QTest::addColumn<QStringList>("devices");    // port names the system reports, in its order
    QTest::addColumn<QStringList>("links");      // "link=device"
    QTest::addColumn<QStringList>("expected");   // "n=path"

    const QStringList none;
    QTest::newRow("nothing") << none << none << none << none;
    QTest::newRow("one adapter is COM 1") << none << QStringList{"ttyS0", "ttyUSB0"} << none
                                          << QStringList{"1=/dev/ttyUSB0", "2=/dev/ttyS0"};
    QTest::newRow("natural order")
        << none << QStringList{"ttyUSB10", "ttyUSB2", "ttyUSB1"} << none
        << QStringList{"1=/dev/ttyUSB1", "2=/dev/ttyUSB2", "3=/dev/ttyUSB10"};
    QTest::newRow("ACM and USB are both adapters")
        << none << QStringList{"ttyS1", "ttyUSB0", "ttyS0", "ttyACM0"} << none
        << QStringList{"1=/dev/ttyACM0", "2=/dev/ttyUSB0", "3=/dev/ttyS0", "4=/dev/ttyS1"};
    QTest::newRow("ttyS10 after ttyS9") << none << QStringList{"ttyS10", "ttyS9"} << none
                                        << QStringList{"1=/dev/ttyS9", "2=/dev/ttyS10"};
    QTest::newRow("variable takes its number")
        << QStringList{"1=/dev/pts/4"} << QStringList{"ttyUSB0"} << none
        << QStringList{"1=/dev/pts/4", "2=/dev/ttyUSB0"};
    QTest::newRow("variable on a higher number")
        << QStringList{"3=/tmp/meter"} << QStringList{"ttyUSB0", "ttyUSB1", "ttyUSB2"} << none
        << QStringList{"1=/dev/ttyUSB0", "2=/dev/ttyUSB1", "3=/tmp/meter", "4=/dev/ttyUSB2"};
    QTest::newRow("device named by a variable is not numbered twice")
        << QStringList{"2=/dev/ttyUSB1"} << QStringList{"ttyUSB0", "ttyUSB1"} << none
        << QStringList{"1=/dev/ttyUSB0", "2=/dev/ttyUSB1"};
    QTest::newRow("a by-id link is its device")
        << QStringList{"1=/dev/serial/by-id/usb-FTDI"} << QStringList{"ttyUSB0", "ttyUSB1"}
        << QStringList{"/dev/serial/by-id/usb-FTDI=/dev/ttyUSB0"}
        << QStringList{"1=/dev/serial/by-id/usb-FTDI", "2=/dev/ttyUSB1"};
    QTest::newRow("empty variable is no variable")
        << QStringList{"1="} << QStringList{"ttyUSB0"} << none << QStringList{"1=/dev/ttyUSB0"};

    QStringList twenty;
    QStringList sixteen;
    for (int i = 0; i < 20; ++i) {
        twenty.append(QStringLiteral("ttyS%1").arg(i));
        if (i < 16) {
            sixteen.append(QStringLiteral("%1=/dev/ttyS%2").arg(i + 1).arg(i));
        }
    }
    QTest::newRow("more devices than numbers") << none << twenty << none << sixteen;
    QStringList everyNumber;
    for (int n = 1; n <= 16; ++n) {
        everyNumber.append(QStringLiteral("%1=/tmp/com%1").arg(n));
    }
    QTest::newRow("variables take every number")
        << everyNumber << QStringList{"ttyUSB0"} << none << everyNumber;
}

void TestComMap::build() {
    QFETCH(QStringList, variables);
    QFETCH(QStringList, devices);
    QFETCH(QStringList, links);
    QFETCH(QStringList, expected);

    QProcessEnvironment environment;
    for (const auto& [n, path] : pairs(variables).asKeyValueRange()) {
        environment.insert(QStringLiteral("KELVOMARK_COM") + n, path);
    }
    QVector<SerialDevice> reported;
    for (const QString& name : devices) {
        SerialDevice device;
        device.portName = name;
        device.systemLocation = QStringLiteral("/dev/") + name;
        reported.append(device);
    }
    const QHash<QString, QString> linkTargets = pairs(links);
    const auto resolve = [&](const QString& path) { return linkTargets.value(path, path); };

    QStringList got;
    for (const ComPort& port : ComMap::build(environment, reported, resolve)) {
        got.append(QStringLiteral("%1=%2").arg(port.number).arg(port.path));
        const bool named =
            variables.contains(QStringLiteral("%1=%2").arg(port.number).arg(port.path));
        QCOMPARE(port.fromEnvironment, named);
    }
    QCOMPARE(got, expected);
}

void TestComMap::naturalLess_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("less");
    QTest::newRow("2 before 10") << "ttyUSB2"
                                 << "ttyUSB10" << true;
    QTest::newRow("10 after 2") << "ttyUSB10"
                                << "ttyUSB2" << false;
    QTest::newRow("equal") << "ttyS3"
                           << "ttyS3" << false;
    QTest::newRow("prefix first") << "ttyS"
                                  << "ttyS0" << true;
    QTest::newRow("letters decide") << "ttyACM9"
                                    << "ttyUSB0" << true;
    QTest::newRow("leading zeros after") << "ttyUSB7"
                                         << "ttyUSB007" << true;
    QTest::newRow("leading zeros equal value") << "ttyUSB007"
                                               << "ttyUSB7" << false;
    QTest::newRow("no overflow") << "ttyUSB99999999999999999999"
                                 << "ttyUSB2" << false;
    QTest::newRow("second number") << "tty1a2"
                                   << "tty1a10" << true;
}

void TestComMap::naturalLess() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, less);
    QCOMPARE(ComMap::naturalLess(a, b), less);
}
