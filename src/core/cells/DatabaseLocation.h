#pragma once

#include <QString>
#include <optional>

class QSqlDatabase;

// Where an inventory lives: a SQLite file, or a PostgreSQL database named by a libpq connection
// URI ("postgresql://sorter@shop-server/cells"). A password is never taken from the address:
// libpq finds it in ~/.pgpass or PGPASSWORD, so it never reaches a command line or a log.
struct DatabaseLocation {
    enum class Engine { SQLite, PostgreSQL };

    Engine engine = Engine::SQLite;
    QString file;  // SQLite
    // PostgreSQL; empty or -1 leaves the choice to libpq (its PGHOST, PGPORT and defaults).
    QString host;  // a name, an address or a socket folder
    int port = -1;
    QString user;
    QString database;
    // Further libpq keywords, as QSqlDatabase::setConnectOptions takes them ("a=1;b='x y'").
    QString options;
    QString text;  // as given

    static bool IsServerUri(const QString& text);
    // A file path, or a URI as libpq reads it: user, one host (a name, [IPv6] or a
    // percent-encoded socket folder), port, database and ?keyword=value parameters. Nullopt
    // with *error for a URI with a password, several hosts, a bad port or an empty keyword.
    static std::optional<DatabaseLocation> Parse(const QString& text, QString* error);

    bool isServer() const { return engine == Engine::PostgreSQL; }
    QString driver() const;
    // Sets the driver's host, port, user, database (or file) and options on a connection.
    void configure(QSqlDatabase& connection) const;
    // The same server, another database: a URI that Parse reads back.
    QString uriFor(const QString& otherDatabase) const;
};
