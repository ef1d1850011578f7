#include <QApplication>

#include "RunTests.h"

#include "tst_platform.h"

int main(int argc, char* argv[]) {
    // The grid and the file dialogs are widgets.
    QApplication app(argc, argv);
    return RunTests<TestTextRules, TestGridModel, TestGrid, TestDialogs, TestClock>(argc, argv);
}
