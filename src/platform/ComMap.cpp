#include "platform/ComMap.h"

QVector<ComPort> ComMap::build(const QProcessEnvironment& environment,
                               const QList<QSerialPortInfo>& devices) {
    QVector<ComPort> ports;
    for (int n = 1; n <= PortCount; ++n) {
        const QString path = environment.value(QStringLiteral("KELVOMARK_COM%1").arg(n));
        if (!path.isEmpty()) {
            ComPort port;
            port.number = n;
            port.path = path;
            port.fromEnvironment = true;
            ports.append(port);
        }
    }
    Q_UNUSED(devices);
    return ports;
}

QVector<ComPort> ComMap::current() {
    return build(QProcessEnvironment::systemEnvironment(), QSerialPortInfo::availablePorts());
}

QString ComMap::pathFor(int number) {
    for (const ComPort& port : current()) {
        if (port.number == number) {
            return port.path;
        }
    }
    return QString();
}
