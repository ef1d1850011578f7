#include <QApplication>

#include "RunTests.h"

#include "tst_logger.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestLoggerSets, TestStartingTime, TestLoggerWindows>(argc, argv);
}
