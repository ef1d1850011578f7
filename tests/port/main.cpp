#include <QApplication>
#include <QTest>

#include "tst_port.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestComMap t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestSerialLink t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestPortDialog t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
