#include "platform/SerialLink.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "platform/ComMap.h"

SerialLink::SerialLink(QObject* parent) : QObject(parent) {
    reopen_.setInterval(ReopenIntervalMs);
    connect(&reopen_, &QTimer::timeout, this, &SerialLink::tryReopen);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::OpenResult SerialLink::classify(QSerialPort::SerialPortError error, bool exists,
                                            bool accessible) {
    if (error == QSerialPort::NoError) {
        return OpenResult::Ok;
    }
    if (!exists || error == QSerialPort::DeviceNotFoundError) {
        return OpenResult::Missing;
    }
    if (!accessible) {
        return OpenResult::NoPermission;
    }
    switch (error) {
        case QSerialPort::PermissionError:  // the lock file is held, or EBUSY
        case QSerialPort::OpenError:        // this port object holds it already
            return OpenResult::Busy;
        default:
            return OpenResult::Failed;
    }
}

bool SerialLink::meansDeviceLost(QSerialPort::SerialPortError error) {
    // A pulled USB adapter reads EIO or ENODEV; a hung-up pty reads end-of-file, which Qt
    // reports as ReadError over and over until the port is closed.
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
           error == QSerialPort::DeviceNotFoundError;
}

SerialLink::OpenResult SerialLink::openPath(QSerialPort& port, const QString& path) {
    if (path.isEmpty()) {
        return OpenResult::Missing;
    }
    port.setPortName(ComMap::resolveLinks(path));
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (port.open(QIODevice::ReadWrite)) {
        return OpenResult::Ok;
    }
    const QByteArray native = QFile::encodeName(path);
    const bool exists = QFileInfo::exists(path);
    const bool accessible = ::access(native.constData(), R_OK | W_OK) == 0;
    const OpenResult result = classify(port.error(), exists, accessible);
    port.clearError();
    return result;
}

SerialLink::OpenResult SerialLink::probe(const QString& path) {
    QSerialPort port;
    const OpenResult result = openPath(port, path);
    port.close();
    return result;
}

SerialLink::OpenResult SerialLink::open(int comNo) {
    comNo_ = comNo;
    if (port_.isOpen()) {
        return OpenResult::Ok;
    }
    path_ = ComMap::pathFor(comNo);
    return openPath(port_, path_);
}

SerialLink::OpenResult SerialLink::openDevice(const QString& path) {
    comNo_ = 0;
    if (port_.isOpen()) {
        return OpenResult::Ok;
    }
    path_ = path;
    return openPath(port_, path_);
}

void SerialLink::close() {
    reopen_.stop();
    if (port_.isOpen()) {
        port_.close();
    }
    port_.clearError();
}

void SerialLink::onError(QSerialPort::SerialPortError error) {
    if (!meansDeviceLost(error) || !port_.isOpen() || dropping_) {
        return;
    }
    // Closed from the event loop, not from inside the port's own notifier.
    dropping_ = true;
    QMetaObject::invokeMethod(this, &SerialLink::dropDevice, Qt::QueuedConnection);
}

void SerialLink::dropDevice() {
    dropping_ = false;
    if (!port_.isOpen()) {
        return;
    }
    port_.close();
    port_.clearError();
    reopen_.start();
    Q_EMIT lost();
}

void SerialLink::tryReopen() {
    if (openPath(port_, path_) == OpenResult::Ok) {
        reopen_.stop();
        Q_EMIT restored();
    }
}
