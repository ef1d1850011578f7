#pragma once

#include <QObject>
#include <memory>

#include "core/state/State.h"
#include "platform/SerialLink.h"

class Clock;
class Receiver;
class Sampler;
class SecondTicker;

// The headless core's owner: the shared state, the serial link, the receive tick (Timer1), the
// sampling tick (Timer2) and the sampler. Reading and recording run on it with no window at
// all; windows and the command line subscribe to the signals of its objects.
class Session : public QObject {
    Q_OBJECT

  public:
    explicit Session(Clock& clock, QObject* parent = nullptr);
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Meter meter;
    FileTransfer transfer;
    Rs232 rs232;
    PanelState panel;

    Clock& clock() const { return clock_; }
    SerialLink& link() { return *link_; }        // Comm1
    Receiver& receiver() { return *receiver_; }  // Timer1
    Sampler& sampler() { return *sampler_; }     // what Timer2 runs
    SecondTicker& timer2() { return *timer2_; }

    // Opens COM rs232.ComPortNo and, when it opened, starts both ticks from fresh state: not
    // recording, sampling every 2 s, stamps counted from now.
    SerialLink::OpenResult start();
    // What start does once the port is open (the command line opens it by path too).
    void startTicks();
    // The same fresh state with no meter at all: no port is opened and neither tick runs, so
    // nothing receives or samples and the link stays in its no-data state. Files can be viewed.
    void startWithoutMeter();
    bool withoutMeter() const { return withoutMeter_; }

    // Timer1: the logger download and printing switch it off and on.
    void setTimer1(bool on);
    bool timer1() const;
    static int timer1Interval();

    // The end: both ticks stop, the recording file is closed as it stands, the port released.
    void stop();

  private:
    void resetState();

    Clock& clock_;
    bool withoutMeter_ = false;
    std::unique_ptr<SerialLink> link_;
    std::unique_ptr<Receiver> receiver_;
    std::unique_ptr<Sampler> sampler_;
    std::unique_ptr<SecondTicker> timer2_;
};
