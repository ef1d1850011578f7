#include <QApplication>
#include <QTest>

#include "tst_app.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestDecode t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestReceive t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestPanel t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestSecondTicker t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
