#pragma once

#include <QTest>

template <class Test>
int RunTest(int argc, char* argv[]) {
    Test test;
    return QTest::qExec(&test, argc, argv);
}

// Runs several Qt Test classes in one executable, each in turn on a fresh object; the result is
// non-zero when any of them failed.
template <class... Tests>
int RunTests(int argc, char* argv[]) {
    int status = 0;
    ((status |= RunTest<Tests>(argc, argv)), ...);
    return status;
}
