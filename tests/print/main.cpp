#include <QApplication>
#include <QTest>

#include "tst_print.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestPrintLayout t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestPrintPdf t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
