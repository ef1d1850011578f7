#include <QApplication>

#include "RunTests.h"

int runSamplerTests(int argc, char* argv[]);
int runReaderTests(int argc, char* argv[]);
int runListTests(int argc, char* argv[]);
int runToolbarTests(int argc, char* argv[]);
int runStatisticsTests(int argc, char* argv[]);

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    KeepSettingsApart();
    return runSamplerTests(argc, argv) | runReaderTests(argc, argv) | runListTests(argc, argv) |
           runToolbarTests(argc, argv) | runStatisticsTests(argc, argv);
}
