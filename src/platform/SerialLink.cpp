#include "platform/SerialLink.h"

#include "platform/ComMap.h"

SerialLink::SerialLink(QObject* parent) : QObject(parent) {}

SerialLink::OpenResult SerialLink::openPath(QSerialPort& port, const QString& path) {
    if (path.isEmpty()) {
        return OpenResult::Missing;
    }
    port.setPortName(path);
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (port.open(QIODevice::ReadWrite)) {
        return OpenResult::Ok;
    }
    switch (port.error()) {
        case QSerialPort::DeviceNotFoundError: return OpenResult::Missing;
        case QSerialPort::PermissionError: return OpenResult::Busy;
        default: return OpenResult::Failed;
    }
}

SerialLink::OpenResult SerialLink::open(int comNo) {
    comNo_ = comNo;
    if (port_.isOpen()) {
        return OpenResult::Ok;
    }
    return openPath(port_, ComMap::pathFor(comNo));
}

void SerialLink::close() {
    if (port_.isOpen()) {
        port_.close();
    }
}
