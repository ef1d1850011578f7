#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The open recording file. Every line goes to the operating system as it is written (no
// buffer in the program) and is synced to the disk, so neither a program that is killed nor a
// power cut loses anything already sampled.
class RecordingFile {
  public:
    RecordingFile() = default;
    ~RecordingFile() { close(); }
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Creates the file, or empties it if present. False, with errorString(), on failure.
    bool open(const QString& path);
    // Writes one whole line; false, with errorString(), when it cannot be written (a part of
    // the line that reached the file is cut off again where the system allows).
    bool writeLine(const QByteArray& line);
    void close();

    bool isOpen() const { return file_.isOpen(); }
    QString fileName() const { return file_.fileName(); }
    QString errorString() const { return error_; }

  private:
    QFile file_;
    QString error_;
};
