#include "platform/ComMap.h"

#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace {

// The next run of `text` from `pos`: all digits or all non-digits.
QStringView nextRun(const QString& text, qsizetype pos) {
    const bool digits = text.at(pos).isDigit();
    qsizetype end = pos;
    while (end < text.size() && text.at(end).isDigit() == digits) {
        ++end;
    }
    return QStringView(text).mid(pos, end - pos);
}

// Compares two digit runs by value without overflow: leading zeros dropped, then length, then
// the digits; equal values with more leading zeros come after.
int compareNumbers(QStringView a, QStringView b) {
    const auto stripped = [](QStringView s) {
        qsizetype i = 0;
        while (i + 1 < s.size() && s.at(i) == u'0') {
            ++i;
        }
        return s.mid(i);
    };
    const QStringView sa = stripped(a);
    const QStringView sb = stripped(b);
    if (sa.size() != sb.size()) {
        return sa.size() < sb.size() ? -1 : 1;
    }
    if (const int c = sa.compare(sb); c != 0) {
        return c;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

SerialDevice SerialDevice::from(const QSerialPortInfo& info) {
    SerialDevice device;
    device.portName = info.portName();
    device.systemLocation = info.systemLocation();
    device.description = info.description();
    device.manufacturer = info.manufacturer();
    device.serialNumber = info.serialNumber();
    device.hasUsbId = info.hasVendorIdentifier() && info.hasProductIdentifier();
    device.vendorId = info.vendorIdentifier();
    device.productId = info.productIdentifier();
    return device;
}

QString SerialDevice::usbId() const {
    if (!hasUsbId) {
        return QString();
    }
    return QStringLiteral("%1:%2")
        .arg(vendorId, 4, 16, QLatin1Char('0'))
        .arg(productId, 4, 16, QLatin1Char('0'));
}

QString ComMap::resolveLinks(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

bool ComMap::naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const QStringView ra = nextRun(a, i);
        const QStringView rb = nextRun(b, j);
        const bool da = ra.at(0).isDigit();
        const bool db = rb.at(0).isDigit();
        int c = 0;
        if (da && db) {
            c = compareNumbers(ra, rb);
        } else if (da != db) {
            c = da ? -1 : 1;
        } else {
            c = ra.compare(rb);
        }
        if (c != 0) {
            return c < 0;
        }
        i += ra.size();
        j += rb.size();
    }
    return a.size() - i < b.size() - j;
}

bool ComMap::isUsbAdapter(const QString& portName) {
    return portName.startsWith(QLatin1String("ttyUSB")) ||
           portName.startsWith(QLatin1String("ttyACM"));
}

QVector<ComPort> ComMap::build(const QProcessEnvironment& environment,
                               const QVector<SerialDevice>& devices, const Resolver& resolve) {
    QVector<ComPort> ports;
    QSet<QString> named;
    for (int n = 1; n <= PortCount; ++n) {
        const QString path = environment.value(variableName(n));
        if (path.isEmpty()) {
            continue;
        }
        ComPort port;
        port.number = n;
        port.path = path;
        port.fromEnvironment = true;
        const QString device = resolve(path);
        named.insert(device);
        for (const SerialDevice& info : devices) {
            if (resolve(info.systemLocation) == device) {
                port.device = info;
                break;
            }
        }
        ports.append(port);
    }

    QVector<SerialDevice> rest;
    for (const SerialDevice& info : devices) {
        if (!named.contains(resolve(info.systemLocation))) {
            rest.append(info);
        }
    }
    std::stable_sort(rest.begin(), rest.end(), [](const SerialDevice& a, const SerialDevice& b) {
        const bool usbA = isUsbAdapter(a.portName);
        const bool usbB = isUsbAdapter(b.portName);
        if (usbA != usbB) {
            return usbA;
        }
        return naturalLess(a.portName, b.portName);
    });

    auto next = rest.cbegin();
    for (int n = 1; n <= PortCount && next != rest.cend(); ++n) {
        if (find(ports, n)) {
            continue;
        }
        ComPort port;
        port.number = n;
        port.path = next->systemLocation;
        port.device = *next;
        ports.append(port);
        ++next;
    }
    std::sort(ports.begin(), ports.end(),
              [](const ComPort& a, const ComPort& b) { return a.number < b.number; });
    return ports;
}

QVector<SerialDevice> ComMap::systemDevices() {
    QVector<SerialDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        devices.append(SerialDevice::from(info));
    }
    return devices;
}

QVector<ComPort> ComMap::current() {
    return build(QProcessEnvironment::systemEnvironment(), systemDevices());
}

QString ComMap::variableName(int number) {
    return QStringLiteral("KELVOMARK_COM%1").arg(number);
}

const ComPort* ComMap::find(const QVector<ComPort>& ports, int number) {
    for (const ComPort& port : ports) {
        if (port.number == number) {
            return &port;
        }
    }
    return nullptr;
}

QString ComMap::pathFor(int number) {
    const QVector<ComPort> ports = current();
    const ComPort* port = find(ports, number);
    return port ? port->path : QString();
}
