// kelvomark-cli as a script runs it, each figure against a baseline from the same run:
//   record: its CPU at 1 s sampling against a bare loop that reads the pty and syncs a line a
//           second (the least the same job costs);
//   logger: the download of a full logger at 9600 baud against the bytes' time on the wire;
//   print:  69,999 rows to PDF, the whole command, against the rows as plain text through QPrinter.
// `--quick` measures CPU over 5 s instead of 20 s and skips the download (about 50 s).
// `--bare-record DEVICE FILE` is the baseline of the CPU row, run as a child of this program.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "BenchTable.h"
#include "PlainPrint.h"
#include "SampleData.h"
#include "SimProcess.h"
#include "platform/GridModel.h"

namespace {

using namespace BenchTable;

constexpr double BaudBits = 10;  // start bit, 8 data bits, stop bit
constexpr double Baud = 9600;

qint64 MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

volatile sig_atomic_t Stopped = 0;

void Stop(int) {
    Stopped = 1;
}

// The baseline of the CPU row: the meter's bytes read as they come, and once a second one line
// written and synced, with no framework at all. Ends with status 0 on SIGTERM.
int BareRecord(const char* device, const char* path) {
    struct sigaction action {};
    action.sa_handler = Stop;
    sigaction(SIGTERM, &action, nullptr);
    const int fd = ::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK);
    const int out = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || out < 0) {
        return 1;
    }
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    cfsetspeed(&raw, B9600);
    tcsetattr(fd, TCSANOW, &raw);
    unsigned char last[7] = {};
    qint64 next = MonotonicMs() + 1000;
    for (long n = 1; !Stopped;) {
        pollfd wait{fd, POLLIN, 0};
        ::poll(&wait, 1, int(qMax<qint64>(0, next - MonotonicMs())));
        unsigned char bytes[256];
        ssize_t got = 0;
        while ((got = ::read(fd, bytes, sizeof bytes)) > 0) {
            for (ssize_t i = 0; i < got; ++i) {
                std::memmove(last, last + 1, 6);
                last[6] = bytes[i];
            }
        }
        if (MonotonicMs() >= next) {
            char line[96];
            const int length = std::snprintf(line, sizeof line, "%ld\t%02x%02x\t%02x%02x\r\n", n++,
                                             last[1], last[2], last[3], last[4]);
            if (::write(out, line, size_t(length)) != length || ::fdatasync(out) != 0) {
                return 1;
            }
            next += 1000;
        }
    }
    return 0;
}

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs a program to its end; its exit code, or -1 when it crashed.
int RunToEnd(QProcess& process, const QString& program, const QStringList& arguments) {
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    if (process.state() != QProcess::NotRunning) {
        loop.exec();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Seconds a process has run on a CPU: the scheduler's count in nanoseconds where there is one,
// else user and system time in clock ticks.
double CpuSeconds(qint64 pid) {
    QFile schedstat(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (schedstat.open(QIODevice::ReadOnly)) {
        return schedstat.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

// The CPU share of a process over `seconds`, after `warmUpMs`; it is then ended with SIGTERM.
double CpuPercent(const QString& program, const QStringList& arguments, int warmUpMs, int seconds) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        return -1;
    }
    Wait(warmUpMs);
    const qint64 pid = process.processId();
    const double cpu0 = CpuSeconds(pid);
    QElapsedTimer wall;
    wall.start();
    Wait(seconds * 1000);
    const double cpu1 = CpuSeconds(pid);
    const double percent = (cpu1 - cpu0) / (double(wall.nsecsElapsed()) / 1e9) * 100;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    process.terminate();
    loop.exec();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? percent : -1;
}

QString Percent(double value) {
    return QString::number(value, 'f', value < 0.1 ? 3 : 2) + QStringLiteral(" % of a core");
}

void BenchRecordCpu(const QTemporaryDir& dir, bool quick) {
    const QString what = QStringLiteral("CPU of `kelvomark-cli record` at 1 s sampling");
    // The meter's own pace: four readings a second.
    SimProcess sim{QStringList()};
    if (!sim.isReady()) {
        FailedRow(what, sim.errorText());
        return;
    }
    const int seconds = quick ? 5 : 20;
    const QString file = dir.filePath(QStringLiteral("cpu.Kmk"));
    const double figure = CpuPercent(
        QStringLiteral(KELVO_BENCH_CLI),
        {QStringLiteral("record"), QStringLiteral("--port"), sim.path(),
         QStringLiteral("--interval"), QStringLiteral("1"), QStringLiteral("--quiet"), file},
        5000, seconds);
    const QString bareFile = dir.filePath(QStringLiteral("bare.txt"));
    const double baseline =
        CpuPercent(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--bare-record"), sim.path(), bareFile}, 5000, seconds);
    if (figure < 0 || baseline < 0) {
        FailedRow(what, QStringLiteral("a process did not end well"));
        return;
    }
    Detail(QStringLiteral("record: %1 s measured after 5 s; %2 bytes recorded (%3 for the bare "
                          "loop)")
               .arg(seconds)
               .arg(QFileInfo(file).size())
               .arg(QFileInfo(bareFile).size()));
    BudgetRow(what, figure, Percent(figure),
              QStringLiteral("a bare loop reading the pty, a line a second synced"), baseline,
              Percent(baseline), 0.5, QStringLiteral("< 0.5 % of a core"));
}

void BenchLogger(const QTemporaryDir& dir) {
    const QString what =
        QStringLiteral("`kelvomark-cli logger`: a full logger from the simulator at 9600 baud");
    SimProcess sim({QStringLiteral("--logger"), QStringLiteral("full"), QStringLiteral("--byte-us"),
                    QStringLiteral("1042")});
    if (!sim.isReady()) {
        FailedRow(what, sim.errorText());
        return;
    }
    Wait(1000);  // the meter streams before it is asked
    const QString dump = dir.filePath(QStringLiteral("full.bin"));
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    const int status = RunToEnd(process, QStringLiteral(KELVO_BENCH_CLI),
                                {QStringLiteral("logger"), QStringLiteral("--port"), sim.path(),
                                 QStringLiteral("--save-dump"), dump});
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const QByteArray sets = process.readAllStandardOutput();
    if (status != 0) {
        FailedRow(what, QString::fromUtf8(process.readAllStandardError()).trimmed());
        return;
    }
    const qint64 bytes = QFileInfo(dump).size();
    Detail(QStringLiteral("logger: %1 bytes, %2 sets listed, the whole command from its start")
               .arg(bytes)
               .arg(sets.count('\n')));
    RatioRow(what, ms, QStringLiteral("wire time, bytes × 10 / 9600"),
             bytes * BaudBits / Baud * 1000, 1.02);
}

void BenchPrint(const QTemporaryDir& dir) {
    constexpr int Lines = 69999;
    const QString what = QStringLiteral("`kelvomark-cli print`: 69,999 rows to PDF");
    const QString recording = dir.filePath(QStringLiteral("full.Kmk"));
    SampleData::WriteFile(recording, SampleData::Recording(Lines));
    GridModel grid;
    SampleData::FillList(grid, Lines);
    const QString pdf = dir.filePath(QStringLiteral("cli.pdf"));
    const QString plainPdf = dir.filePath(QStringLiteral("plain.pdf"));
    int status = 0;
    auto print = [&] {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        status |= RunToEnd(process, QStringLiteral(KELVO_BENCH_CLI),
                           {QStringLiteral("print"), recording, QStringLiteral("--pdf"), pdf});
    };
    int plainPages = 0;
    auto plain = [&] { plainPages = PlainPrint::Print(grid, plainPdf); };
    const Pair printing = BestOfPairs(3, print, plain);
    if (status != 0 || !QFileInfo::exists(pdf)) {
        FailedRow(what, QStringLiteral("no PDF"));
        return;
    }
    Detail(QStringLiteral("print: PDF %1 bytes; plain text PDF %2 pages, %3 bytes; best of 3, the "
                          "whole command from its start")
               .arg(QFileInfo(pdf).size())
               .arg(plainPages)
               .arg(QFileInfo(plainPdf).size()));
    RatioRow(what, printing.figureMs,
             QStringLiteral("the same rows as plain text through QPrinter"), printing.baselineMs,
             2.0);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::strcmp(argv[1], "--bare-record") == 0) {
        return BareRecord(argv[2], argv[3]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("KELVOMARK_SIM", KELVO_BENCH_SIM);
    QApplication application(argc, argv);
    const bool quick = QCoreApplication::arguments().contains(QStringLiteral("--quick"));
    QTemporaryDir dir;
    BenchPrint(dir);
    BenchRecordCpu(dir, quick);
    if (!quick) {
        BenchLogger(dir);
    }
    return 0;
}
