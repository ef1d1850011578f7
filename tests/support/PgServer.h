#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QTest>

// The test PostgreSQL cluster that ./check starts with tools/pg-cluster, named by the variable
// KELVOMARK_TEST_PG (the URI of its `postgres` database). Each test takes a database of its own,
// so tests in parallel and the sanitizer run share the one cluster.
class PgTestDatabase {
  public:
    static QString ServerUri();

    explicit PgTestDatabase(const QString& serverUri = ServerUri());
    ~PgTestDatabase();  // drops the database
    PgTestDatabase(const PgTestDatabase&) = delete;
    PgTestDatabase& operator=(const PgTestDatabase&) = delete;

    bool isReady() const { return !uri_.isEmpty(); }
    QString uri() const { return uri_; }  // the fresh database's URI
    QString name() const { return name_; }
    QString error() const { return error_; }
    // Runs one statement on the cluster's `postgres` database, as its superuser.
    bool admin(const QString& sql);

  private:
    QString server_;
    QString connection_;
    QString name_;
    QString uri_;
    QString error_;
};

// A cluster of the test's own (tools/pg-cluster in a temporary folder), for tests that stop and
// start the server. Destroyed with the object.
class PgPrivateCluster {
  public:
    PgPrivateCluster();
    ~PgPrivateCluster();
    PgPrivateCluster(const PgPrivateCluster&) = delete;
    PgPrivateCluster& operator=(const PgPrivateCluster&) = delete;

    bool isReady() const { return !uri_.isEmpty(); }
    QString uri() const { return uri_; }  // its `postgres` database
    QString error() const { return error_; }
    bool stop();
    bool start();

  private:
    bool tool(const QString& command, QString* out = nullptr);

    QTemporaryDir folder_;
    QString dir_;
    QString uri_;
    QString error_;
};

#define KELVO_SKIP_WITHOUT_PG()                                                          \
    do {                                                                                 \
        if (PgTestDatabase::ServerUri().isEmpty()) {                                     \
            QSKIP(                                                                       \
                "no test PostgreSQL server: KELVOMARK_TEST_PG is unset (./check starts " \
                "one with tools/pg-cluster)");                                           \
        }                                                                                \
    } while (false)
