#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QSerialPortInfo>
#include <QString>
#include <QVector>

// What "COM n" stands for on Linux: KELVOMARK_COM<n> names a device path; the other numbers,
// lowest first, go to the serial devices the system reports, USB adapters first.
struct ComPort {
    int number = 0;
    QString path;
    bool fromEnvironment = false;
    QSerialPortInfo info;  // empty for a path named by the environment that the system does not list
};

namespace ComMap {

constexpr int PortCount = 16;

QVector<ComPort> build(const QProcessEnvironment& environment,
                       const QList<QSerialPortInfo>& devices);
// The map for this machine now.
QVector<ComPort> current();
// The device path of COM n now, or an empty text when n stands for no device.
QString pathFor(int number);

}  // namespace ComMap
