#pragma once

#include <QObject>
#include <QTimer>

#include "core/meter/PacketWait.h"
#include "core/state/State.h"

class Clock;
class SerialLink;

// The receive tick (Timer1, every 150 ms). At a tick with no wait running it drops what is
// waiting and waits up to one second for exactly one 7-byte packet; a misframed packet starts
// the wait again. After four waits in a row without a packet and a fifth, the link is in its
// no-data state ("No COM") until a byte arrives. Driven by the port's readyRead and by timers:
// nothing polls.
class Receiver : public QObject {
    Q_OBJECT

  public:
    static constexpr int Interval = 150;  // ms, the receive tick
    static constexpr int WaitMs = 1000;   // one wait for a packet

    Receiver(SerialLink& link, Meter& meter, PanelState& panel, Clock& clock,
             QObject* parent = nullptr);

    // Timer1 on or off. While off the receiver leaves the port alone (the logger download
    // borrows it) and any wait is abandoned; switched on again, it starts afresh.
    void setEnabled(bool on);
    bool isEnabled() const { return enabled_; }
    bool inNoData() const { return noData_; }
    // A wait for a packet is running.
    bool isWaiting() const { return waiting_; }

  Q_SIGNALS:
    // A packet has been decoded into the reading.
    void readingDecoded();
    // The link entered (true) or left (false) its no-data state.
    void noDataChanged(bool noData);

  private:
    void onTick();
    void startWait();
    void onReadyRead();
    void onDeadline();
    void endWait();
    void enterNoData();
    void checkNoData();
    void onLost();
    void onRestored();
    void dropWaiting();

    SerialLink& link_;
    Meter& meter_;
    PanelState& panel_;
    Clock& clock_;
    QTimer tick_;
    QTimer deadline_;
    bool enabled_ = false;
    bool waiting_ = false;
    bool noData_ = false;
    PacketWait wait_;
    qint64 waitStart_ = 0;  // monotonic ms
};
