#pragma once

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

#include "core/cells/DatabaseLocation.h"
#include "core/cells/Inventory.h"
#include "core/cells/Journal.h"

// The inventory as a sorting bench writes to it: a SQLite file, or a shared server that may go
// away. While the server cannot be reached the bench goes on: captures wait in its journal
// (Journal), and a timer tries the server again; when it answers, the journal is uploaded in
// the bench's order before anything newer. Each capture carries its UUID, so an upload cut off
// and tried again stores nothing twice.
//
// Automatic IDs on a server come from numbers the bench reserved there (a block at a time, from
// the prefix's counter that every bench shares), online and away alike: no two benches can hand
// out one number, and an ID announced while the server is away is already the cell's for good.
class BenchInventory : public QObject {
    Q_OBJECT
  public:
    static constexpr int ReserveBlock = 100;  // numbers reserved at a time
    static constexpr int RetryMs = 5000;

    explicit BenchInventory(QObject* parent = nullptr);
    ~BenchInventory() override;

    // A file opens as Inventory::open does. A server that cannot be reached is no failure: the
    // bench starts away from it, on its journal. A server that refuses (a newer schema, a bad
    // role or database) is. False with error().
    bool open(const QString& location);
    QString error() const { return error_; }
    // Whether open() took a location: a file that opened, or a server, online or away.
    bool isOpen() const;
    QString location() const { return location_.text; }
    bool isServer() const { return location_.isServer(); }
    bool isOnline() const { return online_; }
    // The captures and deletions waiting in the journal.
    int waiting();
    // One line on what the bench does about its server; empty while all is well.
    QString statusLine() const { return status_; }
    // Why the server could not be reached, while it cannot.
    QString awayReason() const { return online_ ? QString() : awayReason_; }
    // The inventory read by lists and reports; open only while online (or on a file).
    Inventory& inventory() { return inventory_; }
    void setRetryInterval(int ms);
    // Where the journal lives; by default Journal::LocationFor the server. Before open().
    void setJournalLocation(const QString& file) { journalFile_ = file; }
    QString journalLocation() const { return journal_.location(); }

    // Stores a capture: on the server or in the journal. Returns its cell ID, or empty with
    // error() when it was stored nowhere (then it must not be announced).
    QString add(NewMeasurement measurement, const QString& replaces = QString());
    bool setDeleted(const QString& uuid, bool deleted);
    bool measuredInSession(const QString& cellId, const QString& session);
    std::optional<Measurement> firstMeasurement(const QString& cellId);
    // Profiles are read while online and kept for the time away.
    std::optional<Profile> profile(const QString& name);
    QVector<Profile> profiles();
    // Saves (adds or replaces by name) or removes a profile on the inventory itself, never in
    // the journal: profiles are shared by every bench, and one changed while away would meet
    // the others' changes in no order. False with error(), also while the server is away.
    bool saveProfile(const Profile& profile);
    bool removeProfile(const QString& name);
    QString nextFreeId(const QString& prefix);

    // Reaches the server if it is away and uploads the journal. True when nothing waits.
    bool upload();

  Q_SIGNALS:
    // A line to show: the server went away or refused, or it is back with the journal uploaded
    // (then statusLine() is empty again).
    void statusChanged(const QString& line);

  private:
    bool connectServer();
    // Tries the server on a worker thread, then uploads once it answers: a server that does
    // not answer holds up no window for its connect timeout.
    void retry();
    void goAway(const QString& why);
    void sayAway();
    void setStatus(const QString& line);
    // Says `pattern` (%1 the server, %2 why, %3 the captures waiting) and tries again later.
    void keepTrying(const QString& pattern);
    std::optional<QString> takeId(const QString& prefix);
    void remember(const NewMeasurement& m, const QString& cellId);
    bool reachableForProfiles();
    bool profileChange(bool done);
    QString serverName() const;

    DatabaseLocation location_;
    Inventory inventory_;
    Journal journal_;
    QString journalFile_;
    QTimer retry_;
    QFutureWatcher<bool> probe_;
    bool online_ = false;
    QString error_;
    QString status_;
    QString awayReason_;
    QHash<QString, Profile> profiles_;
    // What this bench stored in each session, by UUID: its cell and session, and not deleted.
    struct Stored {
        QString cellId;
        QString session;
        bool deleted = false;
    };
    QHash<QString, Stored> stored_;
};
