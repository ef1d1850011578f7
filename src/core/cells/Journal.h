#pragma once

#include <QString>
#include <QVector>
#include <optional>

#include "core/cells/Inventory.h"

struct DatabaseLocation;

// A bench's own record of what the shared server has not got yet: its captures and their
// deletions in the order they happened, and the numbers it may give as IDs while the server is
// away. A SQLite file of its own under the XDG data folder (WAL, synchronous FULL), so that a
// capture announced while the server is away survives a crash as a local one does. Several
// programs on one machine may share it: every change is one transaction.
class Journal {
  public:
    struct Entry {
        qint64 sequence = 0;  // the order on the bench
        bool deletion = false;
        NewMeasurement capture;  // cellId and uuid always set
        QString replaces;        // a capture's: the measurement it replaces
        bool deleted = false;    // a deletion's: marked deleted (true) or undone (false)
        QString uuid;            // a deletion's measurement
    };

    Journal();
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // $XDG_DATA_HOME/kelvomark/journal/<the server's name>.sqlite: one journal per server and
    // database, whichever of this machine's programs writes to it.
    static QString LocationFor(const DatabaseLocation& server);

    bool open(const QString& file);
    void close();
    bool isOpen() const;
    QString error() const { return error_; }
    QString location() const { return location_; }

    bool addCapture(const NewMeasurement& capture, const QString& replaces);
    bool addDeletion(const QString& uuid, bool deleted);
    // The oldest entries, at most `count`; empty with error() on a failed read.
    QVector<Entry> head(int count);
    bool remove(qint64 sequence);
    int waiting();
    // True when a capture of the cell in the session waits here and is not deleted.
    bool measuredInSession(const QString& cellId, const QString& session);

    // Numbers reserved on the server for this machine's IDs, by prefix, lowest first.
    bool addNumbers(const QString& prefix, qint64 first, qint64 last);
    // Takes the lowest number left; nullopt when none is left (or with error()).
    std::optional<qint64> takeNumber(const QString& prefix);
    std::optional<qint64> peekNumber(const QString& prefix);
    qint64 numbersLeft(const QString& prefix);

  private:
    bool begin();
    bool commit();

    QString connection_;
    QString location_;
    QString error_;
};
