#include <QApplication>

#include "RunTests.h"

#include "tst_port.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestComMap, TestSerialLink, TestPortDialog>(argc, argv);
}
