#pragma once

#include <QObject>
#include <QSerialPort>

// The meter's link: one serial port at 9600 8N1, no flow control, opened through the COM map.
// It only moves bytes and reports errors; framing and decoding are elsewhere.
class SerialLink : public QObject {
    Q_OBJECT

public:
    enum class OpenResult {
        Ok,
        Busy,          // held by another program (the lock, EBUSY)
        NoPermission,  // EACCES: the user is not in the dialout group
        Missing,       // the COM number stands for no device, or the device is gone
        Failed,
    };

    explicit SerialLink(QObject* parent = nullptr);

    OpenResult open(int comNo);
    void close();
    bool isOpen() const { return port_.isOpen(); }
    int comNo() const { return comNo_; }

    // The byte stream: readAll, bytesAvailable, write, readyRead.
    QSerialPort& port() { return port_; }

    // Opens a device path as the meter's port would be opened, and classifies the failure.
    static OpenResult openPath(QSerialPort& port, const QString& path);

Q_SIGNALS:
    // The device went away (a USB adapter pulled); the link tries to reopen it.
    void lost();
    // The device is back and open again.
    void restored();

private:
    QSerialPort port_;
    int comNo_ = 0;
};
