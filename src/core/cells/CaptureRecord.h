#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

#include "core/cells/BenchInventory.h"
#include "core/cells/Profile.h"
#include "core/cells/Verdict.h"

struct Capture;

// What the sorting bench knows at the moment a capture arrives.
struct CapturePlace {
    QString cellId;  // typed or scanned; empty: the next free number for `prefix`
    QString prefix = QStringLiteral("C");
    Profile profile;  // judges the cell; its name goes with a new cell
    QDateTime time;
    QString session;
    QString host;
    QString port;
    // Whether the cell already has a live measurement in the session; unset: the inventory
    // answers. A window that holds the session's rows answers from them.
    std::function<bool(const QString& cellId)> measuredInSession;
};

// A capture made ready to store, with the judgement it was given.
struct CaptureRecord {
    NewMeasurement measurement;
    Judgement judgement;
};

// The one assembly of a capture for the inventory, for every sorter: its ID, a new UUID, the
// re-measure flag, the self-discharge since the cell's first measurement and the verdict
// against the profile. Nothing is stored yet.
CaptureRecord RecordCapture(const Capture& capture, const CapturePlace& place,
                            BenchInventory& inventory);
