#include <QApplication>

#include "RunTests.h"
#include "tst_a11y.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestWindows, TestIcons>(argc, argv);
}
