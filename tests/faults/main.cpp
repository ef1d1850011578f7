#include <QApplication>

#include "RunTests.h"
#include "tst_faults.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestRecordingFaults, TestLoggerFaults, TestSaveFaults>(argc, argv);
}
