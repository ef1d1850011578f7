#include <QCoreApplication>

#include "InventoryCases.h"
#include "RunTests.h"
#include "tst_cells.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The inventory's cases run on a fresh SQLite file each; other engines run the same table
    // with their own locations.
    InventoryCases inventory(InventoryCases::TemporaryFiles());
    int status = RunTests<TestCapture, TestVerdict, TestCsv, TestSortCli>(argc, argv);
    status |= RunTestObject(inventory, argc, argv);
    return status;
}
