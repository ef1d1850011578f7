#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// The meter's end of the serial line: the master side of a pseudo-terminal in raw mode. The
// program opens the slave device. While nobody has the device open, what the meter sends is
// lost, as on a cable that nobody listens to; the line is watched every 100 ms meanwhile,
// since a pty master reports a hang-up without end until the slave is opened again.
class PtyDevice : public QObject {
    Q_OBJECT
  public:
    explicit PtyDevice(QObject* parent = nullptr);
    ~PtyDevice() override;

    bool open(QString* error);
    QString devicePath() const { return path_; }
    bool hasListener() const { return listener_; }

    // Queues bytes for the line and writes what the pty takes; the rest goes out as the reader
    // makes room. Dropped while nobody listens.
    void write(const QByteArray& bytes);
    // Bytes queued here that the pty has not taken yet.
    qint64 backlog() const { return backlog_.size(); }

  Q_SIGNALS:
    void received(const QByteArray& bytes);
    void listenerChanged(bool present);
    // The backlog has just been written out.
    void drained();

  private:
    void onReadable();
    void onWritable();
    void checkListener();
    void loseListener();
    // Writes from the backlog until it is empty or the pty is full.
    void flush();

    int master_ = -1;
    QString path_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QTimer watch_;
    QByteArray backlog_;
    bool listener_ = false;
};
