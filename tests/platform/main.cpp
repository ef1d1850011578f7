#include <QCoreApplication>
#include <QTest>

#include "tst_platform.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    int status = 0;
    {
        TestTextRules t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestGridModel t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
