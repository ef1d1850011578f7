#include <QTest>

#include "tst_print.h"

QTEST_MAIN(TestPrint)
