#include <QApplication>
#include <QTest>

#include "tst_logger.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestLoggerSets t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestStartingTime t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestLoggerWindows t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
