#include <QCoreApplication>

#include <memory>
#include <vector>

#include "InventoryCases.h"
#include "PgServer.h"
#include "RunTests.h"
#include "tst_pg.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The inventory's table of cases, each on a fresh database of the test server.
    std::vector<std::unique_ptr<PgTestDatabase>> databases;
    InventoryCases inventory(
        [&](const QString&) {
            if (PgTestDatabase::ServerUri().isEmpty()) {
                return QString();
            }
            databases.push_back(std::make_unique<PgTestDatabase>());
            return databases.back()->uri();
        },
        false);
    int status = RunTests<TestDatabaseLocation, TestPgServer, TestJournal, TestBenchInventory,
                          TestPgCommandLine>(argc, argv);
    if (PgTestDatabase::ServerUri().isEmpty()) {
        qInfo("The inventory's cases on PostgreSQL skipped: KELVOMARK_TEST_PG is unset");
        return status;
    }
    return status | RunTestObject(inventory, argc, argv);
}
