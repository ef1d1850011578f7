#include <QApplication>

#include "TestRunner.h"
#include "tst_e2e.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestLive t;
        status |= RunTests(t, argc, argv);
    }
    {
        TestLoggerPath t;
        status |= RunTests(t, argc, argv);
    }
    {
        TestUnderDialog t;
        status |= RunTests(t, argc, argv);
    }
    return status;
}
