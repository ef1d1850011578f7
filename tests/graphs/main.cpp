#include <QApplication>

#include "RunTests.h"

#include "tst_graphs.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return RunTests<TestChartLayout, TestDataPlot, TestChartWindows, TestRangeDialogs,
                    TestPlotWindow>(argc, argv);
}
