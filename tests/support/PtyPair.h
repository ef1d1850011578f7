#pragma once

#include <QByteArray>
#include <QString>

// A real pseudo-terminal: the program opens `path()` as its serial port; the test writes the
// meter's bytes into the master side and reads what the program sent.
class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return master_ >= 0; }
    QString path() const { return path_; }
    int masterFd() const { return master_; }

    bool write(const QByteArray& bytes);
    // What the program has written so far (non-blocking).
    QByteArray readAvailable();
    // Closes the master side: to the program the device has gone away.
    void closeMaster();

  private:
    int master_ = -1;
    QString path_;
};
