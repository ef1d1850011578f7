#include "PortTap.h"

#include <QEventLoop>
#include <QTimer>

bool PortTap::open(const QString& path) {
    port_.setPortName(path);
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    connect(&port_, &QSerialPort::readyRead, this, &PortTap::onReadyRead);
    clock_.start();
    return port_.open(QIODevice::ReadWrite);
}

void PortTap::send(const QByteArray& bytes) {
    port_.write(bytes);
    port_.flush();
}

void PortTap::onReadyRead() {
    const QByteArray chunk = port_.readAll();
    bytes_.append(chunk);
    chunks_.append({clock_.elapsed(), chunk.size()});
}

void PortTap::forget() {
    bytes_.clear();
    chunks_.clear();
}

bool PortTap::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&port_, &QSerialPort::readyRead, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    while (!done() && timeout.isActive()) {
        loop.exec();
    }
    return done();
}

void PortTap::collectFor(int ms) {
    waitUntil([] { return false; }, ms);
}

void PortTap::collectUntilQuiet(int quietMs, int maxMs) {
    const qint64 end = clock_.elapsed() + maxMs;
    for (;;) {
        const qsizetype before = bytes_.size();
        const qint64 left = end - clock_.elapsed();
        if (left <= 0) {
            return;
        }
        waitUntil([&] { return bytes_.size() != before; }, int(std::min<qint64>(quietMs, left)));
        if (bytes_.size() == before) {
            return;
        }
    }
}
