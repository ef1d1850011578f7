#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

#include "core/cells/Profile.h"
#include "core/cells/Verdict.h"

class QIODevice;
class QSqlDatabase;
class QSqlQuery;
class QVariant;

// What a capture to be stored and a stored measurement have in common.
struct MeasurementFields {
    QString uuid;          // to store: empty for a new one; given, a capture stored under it is not
                           // stored again
    QString cellId;        // to store: empty for the next free number of the prefix
    QDateTime time;        // stored in UTC with its offset; read back at that offset
    double milliohms = 0;  // NaN when not measured
    double volts = 0;
    QString ohmText;
    QString ohmUnit;
    QString voltText;
    Verdict verdict = Verdict::Pass;
    QStringList reasons;
    QString bin;
    QString session;  // one UUID per sorting session
    QString host;     // the bench: its host name and port
    QString port;
    bool remeasure = false;

    // The bench in one word, as lists show it: its host and the meter's port ("bench-2:COM1").
    QString bench() const {
        return host.isEmpty() || port.isEmpty() ? host + port : host + u':' + port;
    }
};

// One measurement to be stored: a capture with its verdict, its place and its moment.
struct NewMeasurement : MeasurementFields {
    QString prefix = QStringLiteral("C");
    QString profile;  // the cell's profile when the cell is new; may be empty
};

// A stored measurement.
struct Measurement : MeasurementFields {
    int sequence = 0;  // order within the session
    bool deleted = false;
};

struct Cell {
    QString id;
    QString profile;
    std::optional<double> capacityMah;
    QString notes;
    // Filled by the pack matcher: the pack, its parallel group and the slot in it.
    QString pack;
    std::optional<int> group;
    std::optional<int> slot;
};

// A cell as the list shows it: with its latest measurement that is not deleted.
struct CellSummary {
    Cell cell;
    std::optional<Measurement> latest;
};

// One cell in full: every measurement, oldest first (deleted ones too, flagged), and the
// voltage it loses a day since its first measurement.
struct CellDetail {
    Cell cell;
    QVector<Measurement> measurements;
    std::optional<double> selfDischarge;  // mV/day; null until a day has passed
};

// What the pack matcher may choose from.
struct CellFilter {
    QString profile;  // empty: any
    QVector<Verdict> verdicts{Verdict::Pass};
    bool capacityKnown = true;
    bool notInPack = true;
};

// A cell as the pack matcher takes it: its latest measurement's numbers.
struct MatchCell {
    QString id;
    double capacityMah = 0;  // NaN when unknown
    double milliohms = 0;
    double volts = 0;
    Verdict verdict = Verdict::Pass;  // of its latest measurement
};

struct PackSlot {
    QString cellId;
    int group = 0;
    int slot = 0;
};

// The result of a capacity import.
struct ImportReport {
    int updated = 0;
    QStringList unknownIds;  // IDs in the file that the inventory does not hold
};

// The cell inventory on Qt SQL. One connection per object and per thread. SQLite by default (WAL,
// synchronous FULL, a busy timeout so that the desktop and the command line share one file);
// the statements are prepared with bound values and written to run unchanged on PostgreSQL.
// Every write is one transaction, committed before the call returns.
class Inventory {
  public:
    static constexpr int SchemaVersion = 3;

    Inventory();
    ~Inventory();
    Inventory(const Inventory&) = delete;
    Inventory& operator=(const Inventory&) = delete;

    // $XDG_DATA_HOME/kelvomark/cells.sqlite
    static QString DefaultLocation();

    // Opens a SQLite file (making it and its folder if needed) or a PostgreSQL database named by
    // a libpq URI (DatabaseLocation), and brings the schema up to date: the same schema and
    // migrations on both. A schema newer than this program knows is refused, untouched. False
    // with error(), and unreachable() tells whether the server could not be reached at all.
    bool open(const QString& location);
    void close();
    bool isOpen() const;
    bool isServer() const { return server_; }
    // The last open() failed because the server could not be reached (not because it refused).
    bool unreachable() const { return unreachable_; }
    // Whether a failed connection's error says the server was not reached (or is starting up
    // or shutting down), rather than that it answered and refused.
    static bool Unreachable(const QString& connectionError);
    // Asks the server whether it is still there; true on a file.
    bool reachable();
    QString error() const { return error_; }
    QString location() const { return location_; }
    // The schema version found (after open: SchemaVersion).
    int schemaVersion();

    // Stores a capture; makes the cell first when it is new. Returns the cell ID, or empty with
    // error(). When `replaces` names an earlier measurement, it is marked deleted in the same
    // transaction.
    QString add(const NewMeasurement& measurement, const QString& replaces = QString());
    // The next free number for a prefix, as add() would take it now ("C0001").
    QString nextFreeId(const QString& prefix);
    // The ID of a prefix's number ("C", 42: "C0042").
    static QString IdFor(const QString& prefix, qint64 number);
    // Takes `count` numbers of a prefix at once, from the counter that add() takes its numbers
    // from: no one else is handed them. Returns the first; nullopt with error().
    std::optional<qint64> reserveNumbers(const QString& prefix, int count);
    // Marks a measurement deleted, or not (undo). Nothing is ever erased.
    bool setDeleted(const QString& uuid, bool deleted);
    std::optional<Measurement> measurement(const QString& uuid);
    // True when the cell has a measurement in the session that is not deleted.
    bool measuredInSession(const QString& cellId, const QString& session);
    // The first measurement of a cell that is not deleted.
    std::optional<Measurement> firstMeasurement(const QString& cellId);

    // Every cell with its latest measurement, in ID order, in one query.
    QVector<CellSummary> listCells();
    // The same streamed to `row`, which returns false to stop: a list of every cell never sits
    // in memory whole. False with error() when the query failed.
    bool forEachCell(const std::function<bool(const CellSummary&)>& row);
    std::optional<CellDetail> cell(const QString& id);
    // The latest measurements of every bench, newest first, at most `limit`, leaving out those
    // taken on `exceptHost` (empty: none left out) at `exceptPort` (empty: at any port); deleted
    // ones too, flagged.
    QVector<Measurement> recentMeasurements(int limit, const QString& exceptHost = QString(),
                                            const QString& exceptPort = QString());
    bool setCapacity(const QString& id, std::optional<double> capacityMah);
    bool setNotes(const QString& id, const QString& notes);
    // Finds every cell's latest measurement again, in one transaction: for an inventory filled
    // by other means than add().
    bool rebuildLatest();

    // Every measurement (deleted ones too), in time order, streamed to `row`; `row` returns
    // false to stop. False with error() when the query failed.
    bool forEachMeasurement(const std::function<bool(const Measurement&)>& row);
    // The CSV of every measurement: header row, then one row per measurement.
    static QStringList ExportHeader();
    static QStringList ExportRow(const Measurement& measurement);
    bool exportCsv(QIODevice& device);
    // Reads a CSV with the header "id,capacity_mah" and sets each cell's capacity in one
    // transaction; a fault in the file changes nothing.
    std::optional<ImportReport> importCapacity(QIODevice& device);

    QVector<Profile> profiles();
    std::optional<Profile> profile(const QString& name);
    bool saveProfile(const Profile& profile);  // adds or replaces by name
    bool removeProfile(const QString& name);

    QVector<MatchCell> loadCells(const CellFilter& filter);
    // Puts the cells in a pack (named, replacing a pack of that name) in one transaction. A cell
    // already in another pack is refused, and then nothing changes.
    bool savePack(const QString& name, const QVector<PackSlot>& slots);

    // The voltage lost per day (mV/day) from a first measurement to `volts` at `time`; null
    // when less than a day lies between them or a voltage is missing.
    static std::optional<double> SelfDischarge(const Measurement& first, double volts,
                                               const QDateTime& time);
    // The statements that bring the schema from version - 1 to version (1 makes the first
    // schema); empty for an unknown version. The schema_version table is not among them.
    static QStringList MigrationStatements(int version);

  private:
    // Opens the connection of an SQLite file; the schema is not looked at yet.
    bool openSqlite(const QString& location);
    bool migrate();
    bool begin();
    bool commit();
    void rollback();
    bool exec(QSqlQuery& query);
    bool fail(const QString& what, const QSqlQuery& query);
    QSqlDatabase database() const;
    std::optional<QString> allocateId(const QString& prefix);
    std::optional<qint64> takeNumbers(const QString& prefix, int count);
    bool openServer(const QString& location);
    QString insertMeasurement(const NewMeasurement& m, const QString& cellId);
    // One UPDATE of a cell's column, `statement` binding the value and then the ID.
    bool updateCell(const QString& id, const QString& statement, const QVariant& value);
    // Sets the latest measurement again of the cells `which` picks with `value` bound.
    bool setLatest(const QString& which, const QVariant& value);

    QString connection_;
    QString pendingProfile_;  // the profile a cell made by add() gets
    QString location_;
    QString error_;
    bool server_ = false;
    bool unreachable_ = false;
};
