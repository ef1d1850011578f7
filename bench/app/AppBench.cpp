// The program as a whole: CPU use while connected to the simulator, start-up time to the port
// dialog, and peak memory with the longest recording open.
//
//   kelvo_bench_app cpu [--quick]   idle, streaming, streaming with both graphs and the list,
//                                   and recording too, with and without the sync of each line
//   kelvo_bench_app startup         the real program started offscreen until the port dialog
//                                   paints (seen by a preloaded hook), best of 7
//   kelvo_bench_app memory          a fresh process opens a 69,999-line recording through
//                                   "Open"; its VmHWM
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "BenchTable.h"
#include "ConnectedApp.h"
#include "SampleData.h"
#include "core/meter/Receiver.h"
#include "core/records/RecordingFile.h"
#include "core/records/Sampler.h"
#include "platform/widgets/ClickLabel.h"
#include "platform/widgets/Grid.h"
#include "shell/Panel.h"
#include "shell/ToolbarCommands.h"
#include "windows/common/App.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/records/FileList.h"
#include "windows/records/List.h"

namespace {

using namespace BenchTable;

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Per cent of one core used by this process over `seconds` of its event loop, and what the
// program did meanwhile, for the log.
double CpuPercent(App& app, int seconds) {
    int readings = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&app.receiver(), &Receiver::readingDecoded, [&readings] { ++readings; });
    QElapsedTimer wall;
    wall.start();
    const double before = CpuSeconds();
    Wait(seconds * 1000);
    const double percent = (CpuSeconds() - before) / (double(wall.nsecsElapsed()) / 1e9) * 100;
    QObject::disconnect(counting);
    List* list = app.windows().find<List>();
    Detail(QStringLiteral("cpu: %1 s measured: %2 readings decoded, port label \"%3\", graphs "
                          "shown %4, live list rows %5")
               .arg(seconds)
               .arg(readings)
               .arg(app.windows().get<Panel>().lblCom()->text())
               .arg(app.windows().isVisible<RealTimeX>() && app.windows().isVisible<RealTimeY>()
                        ? QStringLiteral("yes")
                        : QStringLiteral("no"))
               .arg(list && list->isVisible() ? list->grid().model().Rows() - 1 : 0));
    return percent;
}

void CpuRow(const QString& what, double percent, double limit) {
    AbsoluteRow(what, percent, QString::number(percent, 'f', 2) + QStringLiteral(" % of a core"),
                limit, QStringLiteral("< %1 %").arg(limit));
}

int Cpu(bool quick) {
    const int seconds = quick ? 5 : 20;
    const int warmUpMs = quick ? 2000 : 5000;
    {
        // A meter that sends nothing: after five silent seconds the program waits for a byte.
        const QString what = QStringLiteral("CPU, connected, idle (meter silent)");
        ConnectedApp idle({QStringLiteral("--period"), QStringLiteral("0")});
        if (!idle.error().isEmpty()) {
            FailedRow(what, idle.error());
            return 1;
        }
        Wait(6000 + warmUpMs);
        CpuRow(what, CpuPercent(idle.app(), seconds), 1);
    }
    const QString streaming = QStringLiteral("CPU, connected, streaming (4 readings a second)");
    ConnectedApp meter({});
    if (!meter.error().isEmpty()) {
        FailedRow(streaming, meter.error());
        return 1;
    }
    Wait(warmUpMs);
    CpuRow(streaming, CpuPercent(meter.app(), seconds), 1);

    ToolbarClick(meter.app(), QStringLiteral("Graph"));
    ToolbarClick(meter.app(), QStringLiteral("List"));
    Wait(warmUpMs);
    CpuRow(QStringLiteral("CPU, streaming, both graphs and the live list open"),
           CpuPercent(meter.app(), seconds), 5);

    // Then a recording of a line a second, each line put on the disk, against the same with
    // the sync left out.
    const QString recording = QStringLiteral("CPU, the same and recording a line a second, synced");
    QTemporaryDir dir;
    App& app = meter.app();
    meter.dialogs().inputs.enqueue(QStringLiteral("1"));
    ToolbarClick(app, QStringLiteral("Sample"));
    meter.dialogs().files.enqueue(dir.filePath(QStringLiteral("cpu.Kmk")));
    ToolbarClick(app, QStringLiteral("Save"));
    if (!app.transfer.Recording) {
        FailedRow(recording, QStringLiteral("the recording did not start"));
        return 1;
    }
    Wait(warmUpMs);
    RecordingFile& file = app.sampler().recordingFile();
    int syncs = 0;
    file.setSyncCall([&syncs](int fd) {
        ++syncs;
        return ::fdatasync(fd);
    });
    const qint32 linesBefore = app.transfer.RecordCount;
    const double synced = CpuPercent(app, seconds);
    Detail(QStringLiteral("recording: %1 lines, %2 syncs")
               .arg(app.transfer.RecordCount - linesBefore)
               .arg(syncs));
    file.setSyncCall([](int) { return 0; });
    const double unsynced = CpuPercent(app, seconds);
    auto percent = [](double p) {
        return QString::number(p, 'f', 2) + QStringLiteral(" % of a core");
    };
    BudgetRow(recording, synced, percent(synced), QStringLiteral("the same with no sync"), unsynced,
              percent(unsynced), 5, QStringLiteral("< 5 %"));
    return 0;
}

qint64 MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

int Startup() {
    const QString what = QStringLiteral("Start-up to the port dialog shown");
    QTemporaryDir home;
    double best = 1e300;
    for (int run = 0; run < 7; ++run) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(KELVO_BENCH_STARTHOOK));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::SeparateChannels);
        const qint64 start = MonotonicNs();
        program.start(QStringLiteral(KELVO_BENCH_PROGRAM), {});
        if (!program.waitForFinished(20000)) {
            program.kill();
            program.waitForFinished();
            FailedRow(what, QStringLiteral("the port dialog was not shown within 20 s"));
            return 1;
        }
        const qint64 shown = program.readAllStandardOutput().trimmed().toLongLong();
        if (shown <= start) {
            FailedRow(what, QStringLiteral("the program ended without the port dialog"));
            return 1;
        }
        best = std::min(best, double(shown - start) / 1e6);
    }
    AbsoluteRow(what, best, Duration(best), 300, QStringLiteral("< 300 ms"));
    return 0;
}

// The "VmHWM" or "VmRSS" line of this process, in kB.
qint64 StatusKb(const QByteArray& key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':')) {
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

// The child: connected and streaming, opens the file, lets the list paint for a second.
int MemoryChild(const QString& path) {
    ConnectedApp meter({});
    if (!meter.error().isEmpty()) {
        return 1;
    }
    const qint64 beforeKb = StatusKb("VmHWM");
    meter.dialogs().files.enqueue(path);
    ToolbarClick(meter.app(), QStringLiteral("Open"));
    Wait(1000);
    const int rows = meter.app().windows().get<FileList>().grid().model().Rows() - 1;
    std::printf("%lld %lld %lld %d\n", static_cast<long long>(StatusKb("VmHWM")),
                static_cast<long long>(StatusKb("VmRSS")), static_cast<long long>(beforeKb), rows);
    return 0;
}

int Memory() {
    const QString what = QStringLiteral("Peak memory with a 69,999-line recording open");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.Kmk"));
    SampleData::WriteFile(path, SampleData::Recording(69999));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("memory-child"), path});
    if (!child.waitForFinished(60000) || child.exitCode() != 0) {
        FailedRow(what, QStringLiteral("the child process failed"));
        return 1;
    }
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    const double peakMb = figures.value(0).toDouble() / 1024;
    Detail(QStringLiteral("memory: VmHWM %1 MB, VmRSS %2 MB, VmHWM before the file %3 MB, "
                          "%4 rows in the list")
               .arg(peakMb, 0, 'f', 1)
               .arg(figures.value(1).toDouble() / 1024, 0, 'f', 1)
               .arg(figures.value(2).toDouble() / 1024, 0, 'f', 1)
               .arg(QString::fromLatin1(figures.value(3))));
    AbsoluteRow(what, peakMb, QString::number(peakMb, 'f', 1) + QStringLiteral(" MB resident"), 100,
                QStringLiteral("< 100 MB"));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString command = args.value(1);
    if (command == QStringLiteral("cpu")) {
        return Cpu(args.contains(QStringLiteral("--quick")));
    }
    if (command == QStringLiteral("startup")) {
        return Startup();
    }
    if (command == QStringLiteral("memory")) {
        return Memory();
    }
    if (command == QStringLiteral("memory-child")) {
        return MemoryChild(args.value(2));
    }
    std::fputs("usage: kelvo_bench_app cpu [--quick] | startup | memory\n", stderr);
    return 2;
}
