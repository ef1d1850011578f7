#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include "core/cells/CellReading.h"

// How a touch settles. A capture is taken when the last `settle` readings all have a resistance
// and a voltage, in one range, and each spreads (largest minus smallest) no more than its
// tolerance: the larger of a percentage of the median and a number of counts of the range.
struct CaptureSettings {
    int settle = 3;  // K readings, about 0.75 s at the meter's four a second
    double ohmPercent = 1.0;
    double ohmCounts = 2;
    double voltPercent = 0.2;
    double voltCounts = 2;

    // Allowed spread of K resistances (milliohms) around their median, in one count size.
    double ohmTolerance(double medianMilliohms, double countMilliohms) const;
    double voltTolerance(double medianVolts, double countVolts) const;
};

// What one touch gave: the median of the settled readings, both as numbers and as the texts the
// meter showed for that median.
struct Capture {
    double milliohms = CellReading::NaN;
    double volts = CellReading::NaN;
    QString ohmText;
    QString ohmUnit;
    QString voltText;
    int rangeCode = 0;
    bool manual = false;  // taken by the capture key, not by settling
};

// The machine's states; their names are what the sorting station shows.
enum class CaptureState {
    TouchCell,   // "Touch a cell": the resistance is not a number (the probes are open)
    HoldStill,   // "Hold still": numbers are arriving but have not settled
    Captured,    // the capture was just taken; the next reading that still has a
                 // resistance moves on to LiftProbes
    LiftProbes,  // "Lift the probes": captured, waiting for the resistance to stop being a number
};
QString CaptureStateText(CaptureState state);  // "Touch a cell", "Hold still", ...

// Capture by touch. Fed every decoded reading, in order. One touch gives exactly one capture,
// however long the probes stay on: after a capture the resistance must stop being a number (the
// probes lifted) before the next one. A range change while settling starts settling again; so
// does a reading without a voltage. The median of an even K is the lower middle reading, so the
// value is always one the meter showed and its text matches it.
//
// It only consumes readings: no port, no window, no database, no clock.
class CaptureMachine : public QObject {
    Q_OBJECT

  public:
    explicit CaptureMachine(QObject* parent = nullptr);

    void setSettings(const CaptureSettings& settings);  // K is at least 1
    const CaptureSettings& settings() const { return settings_; }
    CaptureState state() const { return state_; }

    void feed(const CellReading& reading);
    // The capture key: takes the latest reading at once, whatever the state, when it has a
    // resistance. False (and nothing emitted) when there is no such reading.
    bool captureNow();
    // Forgets the readings, as when the meter falls silent: back to TouchCell.
    void reset();

  Q_SIGNALS:
    void stateChanged(CaptureState state);
    void captured(const Capture& capture);

  private:
    void enter(CaptureState state);
    bool settled() const;
    void take(const QVector<CellReading>& readings, bool manual);

    CaptureSettings settings_;
    CaptureState state_ = CaptureState::TouchCell;
    QVector<CellReading> window_;  // the settling readings, oldest first, at most K
    std::optional<CellReading> latest_;
};
