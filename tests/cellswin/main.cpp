#include <QApplication>

#include "RunTests.h"
#include "tst_cellswin.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestSessionTable, TestSortWindow, TestSortKeys, TestPackWindow, TestSortServer,
                    TestProfileEditor>(argc, argv);
}
