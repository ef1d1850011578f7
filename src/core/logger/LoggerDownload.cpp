#include "core/logger/LoggerDownload.h"

#include <QSerialPort>

#include "core/logger/LoggerDump.h"
#include "core/logger/LoggerSets.h"
#include "core/state/State.h"
#include "platform/SerialLink.h"

LoggerDownload::LoggerDownload(QSerialPort& port, Rs232& rs232, QObject* parent)
    : QObject(parent), port_(port), rs232_(rs232) {
    requestWait_.setSingleShot(true);
    requestWait_.setInterval(RequestWaitMs);
    stall_.setSingleShot(true);
    stall_.setInterval(StallTimeoutMs);
    connect(&requestWait_, &QTimer::timeout, this, &LoggerDownload::requestWaitOver);
    connect(&stall_, &QTimer::timeout, this, &LoggerDownload::quiet);
}

LoggerDownload::~LoggerDownload() {
    stop();
}

void LoggerDownload::start() {
    if (isRunning()) {
        return;
    }
    expected_ = 0;
    attempts_ = 0;
    phase_ = Phase::Requested;
    readyReadConnection_ =
        connect(&port_, &QSerialPort::readyRead, this, &LoggerDownload::readyRead);
    errorConnection_ =
        connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            // The device went away (a USB adapter pulled, a pty hung up): the link closes the
            // port, so nothing more can come.
            if (SerialLink::meansDeviceLost(e) && isRunning()) {
                finish(Outcome::PortLost);
            }
        });
    beginAttempt();
}

void LoggerDownload::cancel() {
    if (isRunning()) {
        finish(Outcome::Cancelled);
    }
}

void LoggerDownload::beginAttempt() {
    ++attempts_;
    stall_.stop();
    // Drop what is waiting, in the port's buffer and in the system's.
    port_.clear(QSerialPort::Input);
    port_.readAll();
    addressRead_ = false;
    phase_ = Phase::Requested;
    const char request = char(LoggerDump::RequestByte);
    if (port_.write(&request, 1) != 1) {
        finish(Outcome::Failed);
        return;
    }
    requestWait_.start();
}

void LoggerDownload::requestWaitOver() {
    phase_ = Phase::Receiving;
    rs232_.RxBuffer.clear();
    receive();
    // Nothing yet and nothing promised: ask again at once. With an E kept from an earlier
    // answer, wait for this one.
    if (phase_ == Phase::Receiving && rs232_.RxBuffer.isEmpty()) {
        if (expected_ <= 0) {
            endAttempt();
        } else {
            stall_.start();
        }
    }
}

void LoggerDownload::readyRead() {
    // Bytes that come during the request wait stay in the port until the wait is over.
    if (phase_ == Phase::Receiving) {
        receive();
    }
}

void LoggerDownload::receive() {
    const QByteArray chunk = port_.readAll();
    if (chunk.isEmpty()) {
        return;
    }
    QByteArray& rx = rs232_.RxBuffer;
    rx.append(chunk);
    stall_.start();
    // N as soon as three bytes are in, however the answer was cut into chunks.
    if (!addressRead_ && rx.size() >= 3) {
        addressRead_ = true;
        endAddress_ = LoggerSets::EndAddress(rx);
        expected_ = LoggerSets::ExpectedLength(endAddress_);
        if (expected_ == 0) {
            finish(Outcome::Failed);
            return;
        }
    }
    if (addressRead_ && expected_ > 0) {
        Q_EMIT progress(LoggerSets::ProgressText(rx.size(), expected_));
    }
    if (addressRead_ && rx.size() >= expected_) {
        endAttempt();
    }
}

void LoggerDownload::quiet() {
    if (phase_ != Phase::Receiving) {
        return;
    }
    const qsizetype size = rs232_.RxBuffer.size();
    if (size == 0 || size == 7) {
        endAttempt();  // no answer, or the 7 bytes that are not one: ask again
    } else {
        finish(Outcome::Stalled);
    }
}

void LoggerDownload::endAttempt() {
    stall_.stop();
    const qsizetype size = rs232_.RxBuffer.size();
    if (size == 0 || size == 7) {
        beginAttempt();
    } else {
        complete();
    }
}

void LoggerDownload::complete() {
    if (expected_ == 4) {
        finish(Outcome::Empty);
        return;
    }
    Q_EMIT remained(LoggerSets::RemainedText(endAddress_));
    const auto closed = LoggerSets::ClosingCopy(rs232_.RxBuffer, expected_);
    if (!closed) {
        finish(Outcome::Failed);
        return;
    }
    rs232_.RxBuffer = *closed;
    const LoggerSets::Index index = LoggerSets::IndexSets(rs232_.RxBuffer);
    rs232_.SetNumber = index.setNumber;
    rs232_.SetRecords = index.setRecords;
    if (!index.rows.isEmpty()) {
        Q_EMIT setsIndexed(index.rows);
    }
    if (index.tooManySets) {
        finish(Outcome::TooManySets);
    } else {
        finish(index.failed ? Outcome::Failed : Outcome::Listed);
    }
}

void LoggerDownload::stop() {
    requestWait_.stop();
    stall_.stop();
    disconnect(readyReadConnection_);
    disconnect(errorConnection_);
    phase_ = Phase::Idle;
}

void LoggerDownload::finish(Outcome outcome) {
    stop();
    Q_EMIT finished(outcome);
}
