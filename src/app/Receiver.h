#pragma once

#include <QObject>

#include "app/State.h"

class Clock;
class SerialLink;

// The receive tick (Timer1, every 150 ms): takes one well-framed 7-byte packet from the link
// and decodes it into the reading; after five silent one-second waits it enters the no-data
// state until a byte arrives. Driven by the link's readyRead and by timers, never by polling.
class Receiver : public QObject {
    Q_OBJECT

public:
    static constexpr int Interval = 150;  // ms, the receive tick

    Receiver(SerialLink& link, Meter& meter, Clock& clock, QObject* parent = nullptr);

    // Timer1 on or off; the logger download borrows the port while it is off.
    void setEnabled(bool on);
    bool isEnabled() const { return enabled_; }
    bool inNoData() const { return noData_; }

Q_SIGNALS:
    // A packet has been decoded into the reading.
    void readingDecoded();
    // The link entered (true) or left (false) its no-data state.
    void noDataChanged(bool noData);

private:
    SerialLink& link_;
    Meter& meter_;
    Clock& clock_;
    bool enabled_ = false;
    bool noData_ = false;
};
