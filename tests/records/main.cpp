#include <QApplication>
#include <QTest>

#include "tst_records.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestSampler t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestRecordReader t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestLists t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestToolbar t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
