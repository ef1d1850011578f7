#pragma once

#include <QObject>
#include <QString>

#include "app/State.h"

class Clock;

// The sampling tick (Timer2, once a second): stamps the current reading, writes it to the open
// recording file and hands it to the live list.
class Sampler : public QObject {
    Q_OBJECT

public:
    Sampler(Meter& meter, FileTransfer& transfer, PanelState& panel, Clock& clock,
            QObject* parent = nullptr);
    ~Sampler() override;

    // One sampling tick.
    void tick();

    // Closes the recording file if one is open, as it stands.
    void closeRecording();

Q_SIGNALS:
    // A row for the live list: the list's number, TAB, the sample line.
    void listRow(const QString& tabText);

private:
    Meter& meter_;
    FileTransfer& transfer_;
    PanelState& panel_;
    Clock& clock_;
};
