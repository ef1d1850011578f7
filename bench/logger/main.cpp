// Measures the data logger's work: indexing a full 48 KB dump, listing a set of about 9,000
// records, and a whole download over a pseudo-terminal paced at 9600 baud (10 bits a byte)
// against the time the bytes need on the wire. `--no-download` skips the download (50 s).

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <QTextStream>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>

#include "PtyPair.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "app/App.h"
#include "app/State.h"
#include "logger/DataList.h"
#include "logger/LoggerCommands.h"
#include "logger/LoggerDownload.h"
#include "logger/LoggerDump.h"
#include "logger/LoggerSets.h"
#include "logger/Memory.h"
#include "platform/Clock.h"
#include "platform/Grid.h"
#include "platform/GridModel.h"
#include "platform/SerialLink.h"

namespace {

using Steady = std::chrono::steady_clock;
constexpr double ByteUs = 1e6 * 10.0 / 9600.0;  // one byte on the wire at 9600 baud

QTextStream out(stdout);

double Ms(Steady::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The median of `runs` timings of `work`, in milliseconds.
double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Steady::now();
        work();
        times.push_back(Ms(Steady::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

LoggerDump::Set MakeSet(quint8 sampling, quint8 status, int count) {
    LoggerDump::Set set;
    set.sampling = sampling;
    for (int k = 0; k < count; ++k) {
        set.records.append({quint16(k % 10000), quint16((k * 7) % 10000), status});
    }
    return set;
}

// Ten sets that fill the logger to within a few bytes of its 48,137.
QByteArray FullDump() {
    QVector<LoggerDump::Set> sets;
    for (int s = 0; s < 9; ++s) {
        sets.append(MakeSet(quint8(1 + s), quint8(s % 8), 1000));
    }
    sets.append(MakeSet(60, 0x06, 615));
    return LoggerDump::build(sets);
}

void BenchIndex() {
    const QByteArray dump = FullDump();
    const int expected = LoggerSets::ExpectedLength(LoggerSets::EndAddress(dump));
    int rows = 0;
    const double ms = MedianMs(200, [&] {
        const QByteArray rx = *LoggerSets::ClosingCopy(dump, expected);
        rows = int(LoggerSets::IndexSets(rx).rows.size());
    });
    out << "index a full dump (" << expected << " bytes, " << rows << " sets): " << ms
        << " ms (median of 200)\n";
}

void BenchListing() {
    const int records = 9000;
    const QByteArray dump = LoggerDump::build({MakeSet(1, 0x06, records)});
    const QByteArray rx =
        *LoggerSets::ClosingCopy(dump, LoggerSets::ExpectedLength(LoggerSets::EndAddress(dump)));
    const QString start = QStringLiteral("2021/07/01 23:00:00");

    const double decode = MedianMs(20, [&] {
        GridModel model(5);
        model.appendRows(LoggerSets::ListRecords(*LoggerSets::SetBlock(rx, 1), start));
    });
    out << "list a set of " << records << " records into a grid model: " << decode
        << " ms (median of 20)\n";

    // The whole click: the prompt answered at once, a fresh data list shown and filled.
    ScriptedDialogs dialogs;
    SystemClock clock;
    RecordingShell shell;
    App app(dialogs, clock, shell);
    app.rs232.RxBuffer = rx;
    Memory& memory = app.windows().get<Memory>();
    memory.gridSet().model().addItem(LoggerSets::IndexSets(rx).rows.first());
    memory.show();
    int listed = 0;
    const double click = MedianMs(5, [&] {
        dialogs.inputs.enqueue(start);
        ListSetCommand(app, 1);
        listed = app.windows().get<DataList>().grid().model().Rows() - 1;
        QCoreApplication::processEvents();
    });
    out << "click on a set of " << listed << " records to a shown data list: " << click
        << " ms (median of 5)\n";
}

// The meter's side: waits for the request byte, then sends the dump 8 bytes at a time, each
// group when its last byte would have left a 9600-baud line.
void PlayMeter(int fd, const QByteArray& dump, std::atomic<qint64>& requestNs) {
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0) {
            return;
        }
        char c = 0;
        if (read(fd, &c, 1) == 1 && quint8(c) == LoggerDump::RequestByte) {
            break;
        }
    }
    const auto t0 = Steady::now();
    requestNs = t0.time_since_epoch().count();
    qsizetype sent = 0;
    while (sent < dump.size()) {
        const qsizetype next = std::min<qsizetype>(dump.size(), sent + 8);
        std::this_thread::sleep_until(t0 +
                                      std::chrono::microseconds(qint64(double(next) * ByteUs)));
        while (sent < next) {
            const ssize_t n = write(fd, dump.constData() + sent, size_t(next - sent));
            if (n > 0) {
                sent += n;
            } else if (errno == EAGAIN) {
                pollfd p{fd, POLLOUT, 0};
                poll(&p, 1, 100);
            } else if (errno != EINTR) {
                return;
            }
        }
    }
}

void BenchDownload() {
    const QByteArray dump = FullDump();
    PtyPair pty;
    QSerialPort port;
    if (!pty.isValid() || SerialLink::openPath(port, pty.path()) != SerialLink::OpenResult::Ok) {
        out << "download: no pseudo-terminal\n";
        return;
    }
    Rs232 rs232;
    LoggerDownload download(port, rs232);
    std::atomic<qint64> requestNs{0};
    std::thread meter(PlayMeter, pty.masterFd(), dump, std::ref(requestNs));

    QEventLoop loop;
    Steady::time_point end;
    LoggerDownload::Outcome outcome = LoggerDownload::Outcome::Failed;
    QObject::connect(&download, &LoggerDownload::finished, &loop, [&](LoggerDownload::Outcome o) {
        end = Steady::now();
        outcome = o;
        loop.quit();
    });
    const auto started = Steady::now();
    download.start();
    loop.exec();
    meter.join();

    const Steady::time_point request{Steady::duration(requestNs.load())};
    const double wire = double(dump.size()) * ByteUs / 1000.0;
    const double fromRequest = Ms(end - request);
    out << "download of " << dump.size() << " bytes at 9600 baud: wire " << wire / 1000.0
        << " s, from the request " << fromRequest / 1000.0 << " s ("
        << (fromRequest - wire) / wire * 100.0 << " % over the wire), from start "
        << Ms(end - started) / 1000.0 << " s, attempts " << download.attempts() << ", outcome "
        << int(outcome) << "\n";
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const bool download = !QCoreApplication::arguments().contains(QStringLiteral("--no-download"));
    BenchIndex();
    BenchListing();
    out.flush();
    if (download) {
        BenchDownload();
    }
    out.flush();
    return 0;
}
