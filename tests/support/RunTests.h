#pragma once

#include <QMetaObject>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

// The tests' own settings folder, for this process and the programs it starts: nothing a test
// does reaches the settings of the person who runs it.
inline void KeepSettingsApart() {
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
}

// Runs a test object with the command line's options and only those test functions it has;
// skips it when functions are named and none is its own. So one executable can hold several
// test objects and still run a single function by name.
inline int RunTestObject(QObject& test, int argc, char* argv[]) {
    KeepSettingsApart();
    const QMetaObject* meta = test.metaObject();
    std::vector<char*> args{argv[0]};
    bool named = false;
    bool own = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg.startsWith('-')) {
            args.push_back(argv[i]);
            // Options that take a value.
            if ((arg == "-o" || arg == "-maxwarnings" || arg == "-eventdelay" ||
                 arg == "-keydelay" || arg == "-mousedelay") &&
                i + 1 < argc) {
                args.push_back(argv[++i]);
            }
            continue;
        }
        named = true;
        const qsizetype colon = arg.indexOf(':');
        const QByteArray function = colon < 0 ? arg : arg.left(colon);
        if (meta->indexOfMethod(function + "()") >= 0) {
            own = true;
            args.push_back(argv[i]);
        }
    }
    if (named && !own) {
        return 0;
    }
    return QTest::qExec(&test, int(args.size()), args.data());
}

template <class Test>
int RunTest(int argc, char* argv[]) {
    Test test;
    return RunTestObject(test, argc, argv);
}

// Runs several Qt Test classes in one executable, each in turn on a fresh object; the result is
// non-zero when any of them failed.
template <class... Tests>
int RunTests(int argc, char* argv[]) {
    int status = 0;
    ((status |= RunTest<Tests>(argc, argv)), ...);
    return status;
}
