#include <QApplication>

#include "RunTests.h"
#include "tst_desktop.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestNoMeter, TestCommandLine>(argc, argv);
}
