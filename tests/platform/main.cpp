#include <QCoreApplication>

#include "RunTests.h"

#include "tst_platform.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return RunTests<TestTextRules, TestGridModel, TestClock>(argc, argv);
}
