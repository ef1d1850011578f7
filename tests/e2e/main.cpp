#include <QApplication>

#include "RunTests.h"
#include "tst_e2e.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestLive, TestLoggerPath, TestUnderDialog>(argc, argv);
}
