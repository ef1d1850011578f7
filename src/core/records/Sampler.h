#pragma once

#include <QObject>
#include <QString>

#include "core/records/RecordingFile.h"
#include "core/state/State.h"

class Clock;

// The sampling tick (Timer2, once a second): stamps the current reading, writes it to the open
// recording file and hands it to the live list. Each sample carries the time at which it was
// taken: the stamp of the main window's load plus the whole seconds since then on the
// monotonic clock, so a late tick or a no-data period never makes the stamps drift.
class Sampler : public QObject {
    Q_OBJECT

  public:
    static constexpr qint32 RecordLimit = 69999;  // lines of a recording, header included
    static constexpr qint32 ListLimit = 43749;    // rows fed to one opening of the live list

    Sampler(Meter& meter, FileTransfer& transfer, PanelState& panel, Clock& clock,
            QObject* parent = nullptr);
    ~Sampler() override;

    // One sampling tick.
    void tick();

    // Opens (creates or empties) the recording file and starts recording in the present
    // range; the next sampling tick writes the header. False, with recordingError(), when the
    // file cannot be opened.
    bool startRecording(const QString& path);
    // Stops the recording and closes its file; recordingStopped() follows.
    void stopRecording();
    QString recordingError() const { return file_.errorString(); }
    QString recordingFileName() const { return file_.fileName(); }

    // Closes the recording file if one is open, as it stands (the program is ending).
    void closeRecording();

    // The open recording file, for tests and benchmarks that watch its syncs.
    RecordingFile& recordingFile() { return file_; }

  Q_SIGNALS:
    // A row for the live list: the list's number, TAB, the sample line.
    void listRow(const QString& tabText);
    // Data line `number` has been written.
    void recordWritten(qint32 number);
    // A sampling tick with no recording running.
    void notRecording();
    // The recording stopped: by the toolbar, by itself, or because it could not be written.
    void recordingStopped();
    // A line could not be written: the recording has stopped; every earlier line stays.
    void writeFailed(const QString& fileName, const QString& reason);

  private:
    bool write(const QByteArray& line);
    // The file could not be written or synced: the recording stops, and says why.
    void fail();
    void end(const QString& fileName, const QString& failure);

    Meter& meter_;
    FileTransfer& transfer_;
    PanelState& panel_;
    Clock& clock_;
    RecordingFile file_;
};
