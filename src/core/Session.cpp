#include "core/Session.h"

#include "core/meter/Receiver.h"
#include "core/meter/SecondTicker.h"
#include "core/records/Sampler.h"
#include "platform/Clock.h"
#include "platform/TextRules.h"

Session::Session(Clock& clock, QObject* parent)
    : QObject(parent),
      clock_(clock),
      link_(std::make_unique<SerialLink>()),
      receiver_(std::make_unique<Receiver>(*link_, meter, panel, clock)),
      sampler_(std::make_unique<Sampler>(meter, transfer, panel, clock)),
      timer2_(std::make_unique<SecondTicker>(clock)) {
    connect(timer2_.get(), &SecondTicker::tick, sampler_.get(), &Sampler::tick);
}

Session::~Session() {
    stop();
}

SerialLink::OpenResult Session::start() {
    const SerialLink::OpenResult opened = link_->open(rs232.ComPortNo);
    if (opened == SerialLink::OpenResult::Ok) {
        startTicks();
    }
    return opened;
}

void Session::startTicks() {
    resetState();
    setTimer1(true);
    timer2_->start(panel.LoadMonotonicMs);
}

void Session::startWithoutMeter() {
    withoutMeter_ = true;
    resetState();
    panel.NoData = true;
}

void Session::resetState() {
    transfer.Recording = false;
    transfer.SamplingTime = 2;
    // The sampler stamps each sample from these two: the stamp at the start plus the whole
    // seconds elapsed on the monotonic clock since.
    panel.LoadStamp = TextRules::FormatStamp(clock_.now());
    panel.LoadMonotonicMs = clock_.monotonicMs();
    panel.SampleStamp = panel.LoadStamp;
    panel.NoData = false;
    meter.MemoryOpen = false;
    meter.DownloadBusy = false;
}

void Session::setTimer1(bool on) {
    // A running logger download owns the port: nothing but its own end switches Timer1 on.
    // Without a meter there is no port to receive from.
    if (on && (meter.DownloadBusy || withoutMeter_)) {
        return;
    }
    receiver_->setEnabled(on);
}

bool Session::timer1() const {
    return receiver_->isEnabled();
}

int Session::timer1Interval() {
    return Receiver::Interval;
}

void Session::stop() {
    timer2_->stop();
    receiver_->setEnabled(false);
    sampler_->closeRecording();
    link_->close();
}
