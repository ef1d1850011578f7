#pragma once

#include <QObject>
#include <QSerialPort>
#include <QTimer>

// The meter's link: one serial port at 9600 8N1, no flow control, opened through the COM map.
// It only moves bytes and reports errors; framing and decoding are elsewhere. A device that
// goes away (a USB adapter pulled, a pty whose other side closed) is closed at once and
// reopened by its path once a second until it is back.
class SerialLink : public QObject {
    Q_OBJECT

  public:
    enum class OpenResult {
        Ok,
        Busy,          // held by another program (its lock file, EBUSY)
        NoPermission,  // EACCES: the user is not in the dialout group
        Missing,       // the COM number stands for no device, or the device is gone
        Failed,
    };

    static constexpr int ReopenIntervalMs = 1000;

    explicit SerialLink(QObject* parent = nullptr);

    OpenResult open(int comNo);
    // Opens a device by its path rather than its COM number (comNo() is then 0).
    OpenResult openDevice(const QString& path);
    void close();
    bool isOpen() const { return port_.isOpen(); }
    // The device went away and the link is trying to reopen it.
    bool isLost() const { return reopen_.isActive(); }
    int comNo() const { return comNo_; }
    QString path() const { return path_; }

    // The byte stream: readAll, bytesAvailable, write, readyRead.
    QSerialPort& port() { return port_; }

    // Opens a device path as the meter's port is opened, and classifies the failure. Symlinks
    // are followed first, so that every name of one device shares Qt's lock file.
    static OpenResult openPath(QSerialPort& port, const QString& path);
    // Whether a device could be opened now; leaves it closed.
    static OpenResult probe(const QString& path);
    // Qt reports a held lock, EBUSY and EACCES all as PermissionError: whether the device
    // exists and whether this user may read and write it tell them apart.
    static OpenResult classify(QSerialPort::SerialPortError error, bool exists, bool accessible);
    // Errors of an open port that mean the device has gone.
    static bool meansDeviceLost(QSerialPort::SerialPortError error);

  Q_SIGNALS:
    // The device went away; the port is closed.
    void lost();
    // The device is back and open again.
    void restored();

  private:
    void onError(QSerialPort::SerialPortError error);
    void dropDevice();
    void tryReopen();

    QSerialPort port_;
    QTimer reopen_;
    int comNo_ = 0;
    QString path_;
    bool dropping_ = false;
};
