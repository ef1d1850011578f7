#include <QApplication>

#include "RunTests.h"

#include "tst_app.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestDecode, TestReceive, TestPanel, TestSecondTicker>(argc, argv);
}
