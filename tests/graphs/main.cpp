#include <QApplication>
#include <QTest>

#include "tst_graphs.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TestChartLayout t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestDataPlot t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestChartWindows t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestRangeDialogs t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestPlotWindow t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
