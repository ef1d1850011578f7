#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QVector>
#include <functional>

// The program's end of the line in these tests: a QSerialPort on the simulator's device that
// collects everything it receives, with the time each chunk arrived.
class PortTap : public QObject {
    Q_OBJECT
  public:
    struct Chunk {
        qint64 atMs;
        qsizetype size;
    };

    bool open(const QString& path);
    void send(const QByteArray& bytes);

    // Runs the event loop until `done` holds or the timeout; returns done().
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    // Collects for a while.
    void collectFor(int ms);
    // Collects until nothing has come for `quietMs` (or `maxMs` in all).
    void collectUntilQuiet(int quietMs, int maxMs);

    const QByteArray& bytes() const { return bytes_; }
    const QVector<Chunk>& chunks() const { return chunks_; }
    qint64 elapsedMs() const { return clock_.elapsed(); }
    qint64 lastArrivalMs() const { return chunks_.isEmpty() ? -1 : chunks_.constLast().atMs; }
    void forget();

  private:
    void onReadyRead();

    QSerialPort port_;
    QByteArray bytes_;
    QVector<Chunk> chunks_;
    QElapsedTimer clock_;
};
