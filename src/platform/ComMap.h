#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QSerialPortInfo>
#include <QString>
#include <QVector>
#include <functional>

// A serial device as the system reports it.
struct SerialDevice {
    QString portName;        // ttyUSB0
    QString systemLocation;  // /dev/ttyUSB0
    QString description;
    QString manufacturer;
    QString serialNumber;
    bool hasUsbId = false;
    quint16 vendorId = 0;
    quint16 productId = 0;

    static SerialDevice from(const QSerialPortInfo& info);
    // "0403:6001", or an empty text for a device that is not on USB.
    QString usbId() const;
};

// What "COM n" stands for on Linux: KELVOMARK_COM<n> names a device path; the other numbers,
// lowest first, go to the serial devices the system reports, USB adapters first.
struct ComPort {
    int number = 0;
    QString path;
    bool fromEnvironment = false;
    // Empty for a path named by the environment that the system does not list (a pty).
    SerialDevice device;
};

namespace ComMap {

constexpr int PortCount = 16;

// Turns a device path into the device it finally stands for (symlinks followed), so that a
// /dev/serial/by-id link and the device it points to count as one device.
using Resolver = std::function<QString(const QString& path)>;
QString resolveLinks(const QString& path);

// The numbers in use, lowest first. A variable's device is not given a second number.
QVector<ComPort> build(const QProcessEnvironment& environment, const QVector<SerialDevice>& devices,
                       const Resolver& resolve = resolveLinks);
// The serial devices the system reports now.
QVector<SerialDevice> systemDevices();
// The map for this machine now.
QVector<ComPort> current();
// The environment variable that names COM n's device: KELVOMARK_COM<n>.
QString variableName(int number);
// COM n in a map, or null when n stands for no device.
const ComPort* find(const QVector<ComPort>& ports, int number);
// The device path of COM n now, or an empty text when n stands for no device.
QString pathFor(int number);

// Natural name order: digit runs compare by value, so ttyUSB2 comes before ttyUSB10.
bool naturalLess(const QString& a, const QString& b);
// USB serial adapters: ttyUSB* (FTDI, CH340, PL2303 ...) and ttyACM* (CDC ACM).
bool isUsbAdapter(const QString& portName);

}  // namespace ComMap
