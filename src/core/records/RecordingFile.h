#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// The open recording file. Every line goes to the operating system as it is written (no
// buffer in the program), so a program that is killed loses nothing already sampled; and to the
// disk within a second, so a power cut does not either.
class RecordingFile : public QObject {
    Q_OBJECT

  public:
    // Puts what was written on the disk: fdatasync(2), unless a test or a benchmark watches or
    // replaces it. 0, or -1 with errno set.
    using SyncCall = std::function<int(int fd)>;
    // A sync costs milliseconds on a slow disk: at most one in this time.
    static constexpr int SyncIntervalMs = 1000;

    explicit RecordingFile(QObject* parent = nullptr);
    ~RecordingFile() override;
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Creates the file, or empties it if present. False, with errorString(), on failure.
    bool open(const QString& path);
    // Writes one whole line; false, with errorString(), when it cannot be written (a part of
    // the line that reached the file is cut off again where the system allows) or synced. It
    // is synced at once, or SyncIntervalMs after the last sync (syncFailed() if that fails).
    bool writeLine(const QByteArray& line);
    // Syncs what is not on the disk yet and closes the file; false, with errorString(), when
    // that sync failed. The file is closed either way.
    bool close();

    bool isOpen() const { return file_.isOpen(); }
    QString fileName() const { return file_.fileName(); }
    QString errorString() const { return error_; }

    void setSyncCall(SyncCall call) { syncCall_ = std::move(call); }

  Q_SIGNALS:
    // Lines written earlier could not be put on the disk; errorString() says why.
    void syncFailed();

  private:
    bool sync();

    QFile file_;
    QString error_;
    SyncCall syncCall_;
    QTimer syncWait_;  // runs for SyncIntervalMs after each sync
    bool unsynced_ = false;
};
