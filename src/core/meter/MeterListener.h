#pragma once

#include <QObject>
#include <QTimer>
#include <QVector>
#include <memory>
#include <vector>

#include "platform/ComMap.h"

class QSerialPort;

// Listens on several ports at once for the meter, which sends a live packet several times a
// second on its own: the first port on which a well-framed packet arrives is the meter's. A
// port that opens with nothing behind it (a built-in ttyS0) stays silent. Every port is closed
// again when the listening ends, so that the chosen one can be opened at once.
class MeterListener : public QObject {
    Q_OBJECT

  public:
    // Long enough for a few packets of the meter, short enough to wait for.
    static constexpr int ListenMs = 1500;

    explicit MeterListener(QObject* parent = nullptr);
    ~MeterListener() override;

    // Starts listening on COM `numbers` of `map`; those that cannot be opened (busy, gone) are
    // left out. Listening again first ends the listening before.
    void listen(const QVector<int>& numbers, const QVector<ComPort>& map, int ms = ListenMs);
    // Ends the listening with no verdict, closing every port.
    void stop();
    bool isListening() const { return timer_.isActive(); }

  Q_SIGNALS:
    // The meter is on COM `number`.
    void heard(int number);
    // No packet came within the time on any port.
    void silent();

  private:
    struct Ear;
    void onBytes(Ear& ear);
    void finish();

    std::vector<std::unique_ptr<Ear>> ears_;
    QTimer timer_;
};
