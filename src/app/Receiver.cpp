#include "app/Receiver.h"

#include "app/Decode.h"
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
    tries_ = 0;
    startWait();
}

void Receiver::dropWaiting() {
    // Qt's buffer and the driver's queue both.
    link_.port().clear(QSerialPort::Input);
}

void Receiver::startWait() {
    dropWaiting();
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
    } else if (waiting_ && link_.port().bytesAvailable() == PacketSize) {
        endWait();
    }
    // More than a packet waiting: the wait runs its full second and fails.
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
    const qint64 waitingBytes = link_.port().bytesAvailable();
    if (waitingBytes != PacketSize && tries_ < RetriedWaits) {
        ++tries_;
        startWait();
        return;
    }
    if (tries_ >= RetriedWaits) {
        // The fifth wait's outcome is not used.
        waiting_ = false;
        enterNoData();
        return;
    }
    const QByteArray packet = link_.port().read(PacketSize);
    tries_ = 0;
    if (!IsFramedPacket(packet)) {
        startWait();
        return;
    }
    waiting_ = false;
    DecodePacket(meter_, packet);
    Q_EMIT readingDecoded();
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
