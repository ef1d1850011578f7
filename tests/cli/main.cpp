#include <QApplication>

#include "TestRunner.h"
#include "tst_cli.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestCliUsage t;
        status |= RunTests(t, argc, argv);
    }
    {
        TestCliLive t;
        status |= RunTests(t, argc, argv);
    }
    {
        TestCliLogger t;
        status |= RunTests(t, argc, argv);
    }
    {
        TestCliRender t;
        status |= RunTests(t, argc, argv);
    }
    return status;
}
