#include "SoakRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cstdio>

#include <unistd.h>

#include "core/meter/Receiver.h"
#include "platform/GridModel.h"
#include "platform/SerialLink.h"
#include "platform/TextRules.h"
#include "platform/widgets/Grid.h"
#include "shell/Port.h"
#include "shell/ToolbarCommands.h"
#include "windows/common/App.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/records/List.h"

namespace {

qint64 ResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

double CpuSeconds() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // Fields 14 and 15, after the command name in parentheses: user and system clock ticks.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = double(fields.value(11).toLongLong() + fields.value(12).toLongLong());
    return ticks / double(sysconf(_SC_CLK_TCK));
}

int OpenFds() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

// The fields of one sample as the list shows them and the file stores them.
QStringList SampleFields(const QStringList& cells) {
    return cells.mid(1, 4);
}

}  // namespace

SoakRun::SoakRun(const Options& options) : options_(options) {
    sampleTimer_.setInterval(options_.sampleEveryMs);
    connect(&sampleTimer_, &QTimer::timeout, this, &SoakRun::takeSample);
    endTimer_.setSingleShot(true);
    endTimer_.setInterval(options_.minutes * 60 * 1000);
    connect(&endTimer_, &QTimer::timeout, this, &SoakRun::finish);
}

SoakRun::~SoakRun() {
    app_.reset();
    sim_.reset();
}

bool SoakRun::start() {
    sim_ = std::make_unique<SimProcess>(
        QStringList{QStringLiteral("--period"), QString::number(options_.periodMs)});
    if (!sim_->isReady()) {
        std::fprintf(stderr, "soak: the simulator did not start: %s\n",
                     qPrintable(sim_->errorText()));
        return false;
    }
    qputenv("KELVOMARK_COM1", sim_->path().toLocal8Bit());
    app_ = std::make_unique<App>(dialogs_, clock_, shell_);
    App& app = *app_;
    connect(&app.receiver(), &Receiver::readingDecoded, this, [this] { ++readings_; });
    connect(&app.receiver(), &Receiver::noDataChanged, this, [this](bool noData) {
        if (noData) {
            ++noDataPeriods_;
            std::printf("soak: the link went quiet (\"No COM\")\n");
        }
    });

    // The port dialog with COM 1 chosen, then OK.
    Port& port = app.windows().get<Port>();
    port.show();
    port.accept();
    if (!app.link().isOpen()) {
        std::fprintf(stderr, "soak: the program could not open %s\n", qPrintable(sim_->path()));
        return false;
    }

    // As a person would: wait until the meter shows a reading (the recording keeps the range it
    // starts in), then set everything going.
    firstReadingConnection_ =
        connect(&app.receiver(), &Receiver::readingDecoded, this, &SoakRun::setUp);
    firstReading_.setSingleShot(true);
    connect(&firstReading_, &QTimer::timeout, this, [this] {
        std::fprintf(stderr, "soak: no reading from the simulator in 10 s\n");
        Q_EMIT done(1);
    });
    firstReading_.start(10000);
    return true;
}

void SoakRun::setUp() {
    disconnect(firstReadingConnection_);
    firstReading_.stop();
    App& app = *app_;
    recordingPath_ = dir_.filePath(QStringLiteral("soak.Kmk"));
    dialogs_.inputs.enqueue(QStringLiteral("1"));
    ToolbarClick(app, QStringLiteral("Sample"));
    ToolbarClick(app, QStringLiteral("Graph"));
    ToolbarClick(app, QStringLiteral("List"));
    dialogs_.files.enqueue(recordingPath_);
    ToolbarClick(app, QStringLiteral("Save"));
    if (!app.transfer.Recording || !app.windows().isVisible<RealTimeX>() ||
        !app.windows().isVisible<RealTimeY>() || !app.windows().isVisible<List>()) {
        std::fprintf(stderr, "soak: the graphs, the list or the recording did not start\n");
        Q_EMIT done(1);
        return;
    }
    std::printf("soak: %d minutes, packets every %d ms, recording to %s\n", options_.minutes,
                options_.periodMs, qPrintable(recordingPath_));
    std::fflush(stdout);

    elapsed_.start();
    takeSample();
    sampleTimer_.start();
    endTimer_.start();
}

SoakRun::Sample SoakRun::measure() const {
    const App& app = *app_;
    return {elapsed_.elapsed() / 1000,
            ResidentKb(),
            OpenFds(),
            CpuSeconds(),
            app.transfer.ListCount,
            qMax(0, app.transfer.RecordCount - 1),
            readings_};
}

void SoakRun::print(const Sample& s) const {
    std::printf(
        "soak: %5llds  rss %7lld kB  fds %3d  cpu %6.1f s  list rows %6lld  "
        "recorded %6lld  readings %8lld\n",
        static_cast<long long>(s.seconds), static_cast<long long>(s.rssKb), s.fds, s.cpuSeconds,
        static_cast<long long>(s.listRows), static_cast<long long>(s.recorded),
        static_cast<long long>(s.readings));
    std::fflush(stdout);
}

void SoakRun::takeSample() {
    samples_.append(measure());
    print(samples_.last());
}

void SoakRun::finish() {
    sampleTimer_.stop();
    takeSample();
    // Stop the recording and take the list as it stands at the same moment: no sampling tick
    // runs in between.
    ToolbarClick(*app_, QStringLiteral("Save"));
    const bool ok = verify();
    Q_EMIT done(ok ? 0 : 1);
}

bool SoakRun::verify() {
    bool ok = true;
    const auto fail = [&ok](const QString& what) {
        std::printf("soak: FAILED: %s\n", qPrintable(what));
        ok = false;
    };

    const GridModel& list = app_->windows().get<List>().grid().model();
    const int listRows = list.Rows() - 1;
    for (int r = 1; r <= listRows; ++r) {
        if (list.text(r, 0) != QString::number(r)) {
            fail(QStringLiteral("list row %1 is numbered %2").arg(r).arg(list.text(r, 0)));
            break;
        }
    }

    QFile file(recordingPath_);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("the recording cannot be read: ") + file.errorString());
        return false;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    QVector<QStringList> records;
    bool crlf = true;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines.at(i).isEmpty() && i == lines.size() - 1) {
            break;
        }
        crlf = crlf && lines.at(i).endsWith('\r');
        records.append(QString::fromLatin1(lines.at(i).trimmed()).split(u'\t'));
    }
    if (!crlf) {
        fail(QStringLiteral("a line of the recording does not end in CR LF"));
    }
    for (qsizetype k = 0; k < records.size(); ++k) {
        if (records.at(k).value(0) != QString::number(k + 1) || records.at(k).size() != 5) {
            fail(QStringLiteral("recording line %1 reads \"%2\"")
                     .arg(k + 2)
                     .arg(records.at(k).join(u' ')));
            break;
        }
    }

    // The recording began one sample (its header) after some list row: from there on, every
    // data line is the next list row, and the list ends with the last one.
    qsizetype offset = -1;
    if (!records.isEmpty()) {
        const QStringList first = SampleFields(records.first());
        for (int r = 1; r <= listRows; ++r) {
            if (SampleFields(list.row(r)) == first) {
                offset = r - 1;
                break;
            }
        }
    }
    if (records.isEmpty() || offset < 0) {
        fail(QStringLiteral("the recording's first sample is not in the list"));
    } else {
        if (offset + records.size() != listRows) {
            fail(QStringLiteral("the list has %1 rows, the recording %2 samples after row %3")
                     .arg(listRows)
                     .arg(records.size())
                     .arg(offset));
        }
        for (qsizetype k = 0; k < records.size() && offset + 1 + k <= listRows; ++k) {
            if (SampleFields(list.row(int(offset + 1 + k))) != SampleFields(records.at(k))) {
                fail(QStringLiteral("recording line %1 differs from list row %2")
                         .arg(k + 2)
                         .arg(offset + 1 + k));
                break;
            }
        }
    }

    // Stamps one second apart: a tick that came late shows as a gap.
    int gaps = 0;
    qint64 widest = 0;
    for (int r = 2; r <= listRows; ++r) {
        const auto before = TextRules::ParseStamp(list.text(r - 1, 1) + u' ' + list.text(r - 1, 2));
        const auto after = TextRules::ParseStamp(list.text(r, 1) + u' ' + list.text(r, 2));
        if (!before || !after) {
            fail(QStringLiteral("list row %1 has no readable stamp").arg(r));
            break;
        }
        const qint64 step = before->secsTo(*after);
        if (step != 1) {
            ++gaps;
            widest = qMax(widest, step);
        }
    }

    // The first minute opens what a run keeps open (fonts, the graphs' images): growth counts
    // from the first note after it.
    const Sample& start = samples_.first();
    const Sample& settled = samples_.value(1, start);
    const Sample& last = samples_.last();
    qint64 most = 0;
    for (const Sample& s : samples_) {
        most = qMax(most, s.rssKb);
    }
    std::printf(
        "soak: memory %lld kB at the start, %lld kB at %llds, %lld kB at the end "
        "(%+lld kB since %llds); most %lld kB\n",
        static_cast<long long>(start.rssKb), static_cast<long long>(settled.rssKb),
        static_cast<long long>(settled.seconds), static_cast<long long>(last.rssKb),
        static_cast<long long>(last.rssKb - settled.rssKb), static_cast<long long>(settled.seconds),
        static_cast<long long>(most));
    std::printf("soak: open file descriptors %d at the start, %d at %llds, %d at the end\n",
                start.fds, settled.fds, static_cast<long long>(settled.seconds), last.fds);
    std::printf("soak: cpu %.1f s in %lld s\n", last.cpuSeconds - start.cpuSeconds,
                static_cast<long long>(last.seconds));
    std::printf(
        "soak: %d list rows, %lld recorded samples (list rows before the recording: "
        "%lld), %lld readings decoded\n",
        listRows, static_cast<long long>(records.size()),
        static_cast<long long>(qMax<qsizetype>(0, offset)), static_cast<long long>(readings_));
    std::printf(
        "soak: stamps not one second apart: %d (widest step %lld s); \"No COM\" "
        "periods: %d\n",
        gaps, static_cast<long long>(widest), noDataPeriods_);
    if (last.fds > settled.fds) {
        fail(QStringLiteral("file descriptors went from %1 to %2").arg(settled.fds).arg(last.fds));
    }
    std::printf("soak: %s\n", ok ? "passed" : "FAILED");
    std::fflush(stdout);
    if (!ok) {
        dir_.setAutoRemove(false);
    }
    return ok;
}
