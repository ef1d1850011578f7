#pragma once

#include <QRandomGenerator>
#include <QVector>

#include "CellList.h"
#include "LiveReading.h"

// A pack builder at work, one reading at a time: the probes open, a touch that bounces for a
// few readings, a hold on the cell with a little noise, the probes lifted, the next cell.
//
// Bounce readings stay on the cell's range but jump by at least five percent (or five counts)
// from the cell and from each other, so no settling rule can take one; hold readings flicker by
// at most 0.2 % (resistance) and 0.04 % (voltage), well inside any sensible settling tolerance,
// so a capture settles on the third hold reading. The ranges are the smallest that show the
// cell, chosen as the touch begins; while the probes are open the meter keeps the last ones.
class SortSession {
  public:
    enum class Phase { Open, Bounce, Hold };
    // What the meter shows while the probes are open: "OL", "----", or the two in turn from one
    // lift to the next (beginning with "OL").
    enum class OpenShows { Overload, NoReading, Mixed };

    struct Timing {
        int openReadings = 6;  // at least 1: the machine re-arms on an open probe
        int bounceReadings = 3;
        int holdReadings = 8;  // at least 1
    };

    struct Step {
        LiveReading::Sample sample;
        Phase phase = Phase::Open;
        int touch = 0;          // which touch this reading belongs to or waits for, from 0
        bool first = false;     // the first reading of this phase
        bool finished = false;  // all cells done: the probes stay open from now on
    };

    // `cells` empty: random 18650 cells. `cellCount` 0: the list once, or random cells without
    // end; otherwise that many touches, going round the list again as needed.
    SortSession(QVector<SimCell> cells, int cellCount, Timing timing, OpenShows open, quint32 seed);

    Step next();
    // The last step again, for a burst of the reading on the line.
    const Step& last() const { return last_; }
    // The cell of the touch in `last()`.
    const SimCell& cell() const { return cell_; }

    // The status byte with the ranges the meter picks for the cell, no flags.
    static quint8 RangeStatus(const SimCell& cell);
    // A used 18650: 20..90 mOhm, 3.0..4.2 V.
    static SimCell RandomCell(QRandomGenerator& random);

  private:
    void enter(Phase phase);
    SimCell cellAt(int touch);
    LiveReading::Sample openSample() const;
    LiveReading::Sample bounceSample();
    LiveReading::Sample holdSample();

    QVector<SimCell> cells_;
    int cellCount_;
    Timing timing_;
    OpenShows openShows_;
    QRandomGenerator cellRandom_;
    QRandomGenerator noise_;
    SimCell cell_;
    quint8 ranges_ = 0;
    Phase phase_ = Phase::Open;
    int left_ = 0;  // readings left in the phase
    int touch_ = 0;
    bool finished_ = false;
    bool first_ = true;
    double lastBounce_ = -1;
    Step last_;
};
