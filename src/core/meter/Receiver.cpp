#include "core/meter/Receiver.h"

#include "core/meter/Decode.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"

Receiver::Receiver(SerialLink& link, Meter& meter, PanelState& panel, Clock& clock, QObject* parent)
    : QObject(parent), link_(link), meter_(meter), panel_(panel), clock_(clock) {
    tick_.setInterval(Interval);
    connect(&tick_, &QTimer::timeout, this, &Receiver::onTick);
    // A coarse timer may fire up to 5 % early; the wait must last its full second.
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, &Receiver::onDeadline);
    connect(&link_.port(), &QSerialPort::readyRead, this, &Receiver::onReadyRead);
    connect(&link_, &SerialLink::lost, this, &Receiver::onLost);
    connect(&link_, &SerialLink::restored, this, &Receiver::onRestored);
}

void Receiver::setEnabled(bool on) {
    if (on == enabled_) {
        return;
    }
    enabled_ = on;
    waiting_ = false;
    deadline_.stop();
    if (!on) {
        tick_.stop();
        return;
    }
    tick_.start();
    if (noData_) {
        checkNoData();
    }
}

void Receiver::onTick() {
    if (!enabled_ || waiting_ || noData_ || !link_.isOpen()) {
        return;
    }
    wait_.beginTick();
    startWait();
}

void Receiver::dropWaiting() {
    // Qt's buffer and the driver's queue both.
    link_.port().clear(QSerialPort::Input);
}

void Receiver::startWait() {
    dropWaiting();
    wait_.begin();
    waiting_ = true;
    waitStart_ = clock_.monotonicMs();
    deadline_.start(WaitMs);
}

void Receiver::onReadyRead() {
    if (!enabled_) {
        return;
    }
    if (noData_) {
        checkNoData();
    } else if (waiting_ && wait_.arrive(link_.port().readAll())) {
        endWait();
    }
}

void Receiver::onDeadline() {
    if (!waiting_) {
        return;
    }
    const qint64 left = waitStart_ + WaitMs - clock_.monotonicMs();
    if (left > 0) {
        deadline_.start(int(left));
        return;
    }
    endWait();
}

void Receiver::endWait() {
    deadline_.stop();
    switch (wait_.end()) {
        case PacketWait::Outcome::Packet:
            waiting_ = false;
            DecodePacket(meter_, wait_.packet());
            Q_EMIT readingDecoded();
            return;
        case PacketWait::Outcome::NoData:
            waiting_ = false;
            enterNoData();
            return;
        case PacketWait::Outcome::NoPacket:
        case PacketWait::Outcome::Misframed:
            startWait();
            return;
    }
}

void Receiver::enterNoData() {
    noData_ = true;
    panel_.NoData = true;
    Q_EMIT noDataChanged(true);
    checkNoData();
}

void Receiver::checkNoData() {
    if (!noData_ || !enabled_ || !link_.isOpen() || link_.port().bytesAvailable() < 1) {
        return;
    }
    noData_ = false;
    panel_.NoData = false;
    Q_EMIT noDataChanged(false);
    // The byte that ended the no-data state is dropped: this tick shows no reading.
    if (link_.isOpen()) {
        dropWaiting();
    }
}

void Receiver::onLost() {
    waiting_ = false;
    deadline_.stop();
    if (!noData_) {
        enterNoData();
    }
}

void Receiver::onRestored() {
    checkNoData();
}
