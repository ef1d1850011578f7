#include "core/cells/CaptureRecord.h"

#include <QUuid>

#include "core/cells/CaptureMachine.h"

CaptureRecord RecordCapture(const Capture& capture, const CapturePlace& place,
                            BenchInventory& inventory) {
    NewMeasurement m;
    m.cellId = place.cellId;
    m.prefix = place.prefix;
    m.profile = place.profile.name;
    m.time = place.time;
    m.milliohms = capture.milliohms;
    m.volts = capture.volts;
    m.ohmText = capture.ohmText;
    m.ohmUnit = capture.ohmUnit;
    m.voltText = capture.voltText;
    m.session = place.session;
    m.host = place.host;
    m.port = place.port;
    m.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::optional<double> selfDischarge;
    // A numbered ID is new: it has no earlier measurement to compare with.
    if (!m.cellId.isEmpty()) {
        m.remeasure = place.measuredInSession ? place.measuredInSession(m.cellId)
                                              : inventory.measuredInSession(m.cellId, m.session);
        if (const auto first = inventory.firstMeasurement(m.cellId)) {
            selfDischarge = Inventory::SelfDischarge(*first, m.volts, m.time);
        }
    }
    CaptureRecord record{m, Judge(place.profile, m.milliohms, m.volts, selfDischarge)};
    record.measurement.verdict = record.judgement.verdict;
    record.measurement.reasons = record.judgement.reasons;
    record.measurement.bin = record.judgement.bin;
    return record;
}
