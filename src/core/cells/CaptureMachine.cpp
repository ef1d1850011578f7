#include "core/cells/CaptureMachine.h"

#include <algorithm>
#include <cmath>

namespace {

// The lower middle of the readings ordered by `value`: a reading the meter showed.
template <typename Value>
const CellReading& median(const QVector<CellReading>& readings, Value value) {
    QVector<const CellReading*> order;
    order.reserve(readings.size());
    for (const CellReading& reading : readings) {
        order.append(&reading);
    }
    std::stable_sort(order.begin(), order.end(), [&](const CellReading* a, const CellReading* b) {
        return value(*a) < value(*b);
    });
    return *order.at((order.size() - 1) / 2);
}

template <typename Value>
double spread(const QVector<CellReading>& readings, Value value) {
    const auto [low, high] = std::minmax_element(
        readings.begin(), readings.end(),
        [&](const CellReading& a, const CellReading& b) { return value(a) < value(b); });
    return value(*high) - value(*low);
}

double ohmOf(const CellReading& reading) {
    return reading.milliohms;
}

double voltOf(const CellReading& reading) {
    return reading.volts;
}

// Spreads are compared with a little slack for the binary fractions of decimal counts: two
// counts of 0.01 must not fail as 0.020000000000000018.
constexpr double Slack = 1e-9;

}  // namespace

double CaptureSettings::ohmTolerance(double medianMilliohms, double countMilliohms) const {
    return std::max(std::abs(medianMilliohms) * ohmPercent / 100.0, ohmCounts * countMilliohms);
}

double CaptureSettings::voltTolerance(double medianVolts, double countVolts) const {
    return std::max(std::abs(medianVolts) * voltPercent / 100.0, voltCounts * countVolts);
}

QString CaptureStateText(CaptureState state) {
    switch (state) {
        case CaptureState::TouchCell:
            return QStringLiteral("Touch a cell");
        case CaptureState::HoldStill:
            return QStringLiteral("Hold still");
        case CaptureState::Captured:
            return QStringLiteral("Captured");
        case CaptureState::LiftProbes:
            return QStringLiteral("Lift the probes");
    }
    return QString();
}

CaptureMachine::CaptureMachine(QObject* parent) : QObject(parent) {}

void CaptureMachine::setSettings(const CaptureSettings& settings) {
    settings_ = settings;
    settings_.settle = std::max(1, settings_.settle);
    while (window_.size() > settings_.settle) {
        window_.removeFirst();
    }
}

void CaptureMachine::enter(CaptureState state) {
    if (state_ != state) {
        state_ = state;
        Q_EMIT stateChanged(state);
    }
}

bool CaptureMachine::settled() const {
    if (window_.size() < settings_.settle) {
        return false;
    }
    const CellReading& ohm = median(window_, ohmOf);
    const CellReading& volt = median(window_, voltOf);
    return spread(window_, ohmOf) <=
               settings_.ohmTolerance(ohm.milliohms, ohm.ohmCount) * (1 + Slack) &&
           spread(window_, voltOf) <=
               settings_.voltTolerance(volt.volts, volt.voltCount) * (1 + Slack);
}

void CaptureMachine::take(const QVector<CellReading>& readings, bool manual) {
    const CellReading& ohm = median(readings, ohmOf);
    const CellReading& volt = median(readings, voltOf);
    Capture capture;
    capture.milliohms = ohm.milliohms;
    capture.ohmText = ohm.ohmText;
    capture.ohmUnit = ohm.ohmUnit;
    capture.rangeCode = ohm.rangeCode;
    capture.volts = volt.volts;
    capture.voltText = volt.voltText;
    capture.manual = manual;
    window_.clear();
    enter(CaptureState::Captured);
    Q_EMIT captured(capture);
}

void CaptureMachine::feed(const CellReading& reading) {
    latest_ = reading;
    if (!reading.hasOhm()) {
        window_.clear();
        enter(CaptureState::TouchCell);
        return;
    }
    switch (state_) {
        case CaptureState::Captured:
        case CaptureState::LiftProbes:
            enter(CaptureState::LiftProbes);
            return;
        case CaptureState::TouchCell:
        case CaptureState::HoldStill:
            break;
    }
    if (!reading.hasVolt() ||
        (!window_.isEmpty() && window_.constLast().rangeCode != reading.rangeCode)) {
        window_.clear();
    }
    if (reading.hasVolt()) {
        window_.append(reading);
        if (window_.size() > settings_.settle) {
            window_.removeFirst();
        }
    }
    enter(CaptureState::HoldStill);
    if (settled()) {
        take(window_, false);
    }
}

bool CaptureMachine::captureNow() {
    if (!latest_ || !latest_->hasOhm()) {
        return false;
    }
    take({*latest_}, true);
    return true;
}

void CaptureMachine::reset() {
    window_.clear();
    latest_.reset();
    enter(CaptureState::TouchCell);
}
