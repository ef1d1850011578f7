#include <QApplication>

#include "RunTests.h"
#include "tst_cli.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestCliUsage, TestCliLive, TestCliLogger, TestCliRender>(argc, argv);
}
