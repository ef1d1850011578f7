// A program that records until it is killed: the port dialog's OK with COM 1 standing for
// $KELVOMARK_COM1, a sampling time of one second, and once the first reading is shown a
// recording into the file named on the command line. It prints "written N" on stdout once
// data line N has been handed to the system, so that a test can kill it and check that
// nothing written was lost.

#include <QApplication>
#include <cstdio>

#include "ProgramRig.h"
#include "core/records/Sampler.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString device = qEnvironmentVariable("KELVOMARK_COM1");
    if (args.size() != 2 || device.isEmpty()) {
        std::fprintf(stderr, "usage: KELVOMARK_COM1=DEVICE %s FILE\n", argv[0]);
        return 2;
    }
    ProgramRig rig;
    if (!rig.start(device)) {
        std::fprintf(stderr, "the main window did not open\n");
        return 1;
    }
    QObject::connect(&rig.app.sampler(), &Sampler::recordWritten, [](qint32 number) {
        std::printf("written %d\n", int(number));
        std::fflush(stdout);
    });
    rig.setSamplingTime(1);
    // A recording started before the meter's range is known would stop at its first sample.
    QMetaObject::Connection first;
    first = QObject::connect(&rig.app.receiver(), &Receiver::readingDecoded, [&] {
        QObject::disconnect(first);
        rig.dialogs.files.enqueue(args.at(1));
        rig.click(QStringLiteral("Save"));
        if (!rig.app.transfer.Recording) {
            std::fprintf(stderr, "the recording did not start\n");
            QCoreApplication::exit(1);
        }
    });
    return QApplication::exec();
}
