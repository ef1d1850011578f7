#include <QCoreApplication>

#include "RunTests.h"
#include "tst_pg.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return RunTests<TestDatabaseLocation, TestPgServer, TestJournal, TestBenchInventory,
                    TestPgCommandLine>(argc, argv);
}
