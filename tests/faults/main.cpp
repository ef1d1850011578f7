#include <QApplication>

#include "TestRunner.h"
#include "tst_faults.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestRecordingFaults t;
        status |= RunTests(t, argc, argv);
    }
    {
        TestLoggerFaults t;
        status |= RunTests(t, argc, argv);
    }
    {
        TestSaveFaults t;
        status |= RunTests(t, argc, argv);
    }
    return status;
}
