// The sorting station's costs, each beside a baseline from the same run:
//   latency:   `kelvomark-cli sort` on a pseudo-terminal that this program drives as the meter,
//              at its four readings a second: from the write of the reading that settles a
//              touch to the capture's line on stdout (stored and committed before it is
//              printed), 99th percentile; against a plain append of a line with fdatasync,
//              timed between the touches;
//   inventory: 100,000 cells and 1,000,000 measurements, made in one transaction; listing the
//              cells (the command line's `cells list`, the inventory's list query) against a
//              bare walk over the cells' IDs, and the CSV export of every measurement against a
//              plain write of the same bytes.
// `make-inventory FILE` only makes the inventory, to profile the commands on it.
// `--quick` takes 30 captures instead of 120 and runs each inventory timing twice, not three
// times.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "BenchTable.h"
#include "LiveReading.h"
#include "PtyDevice.h"
#include "SortSession.h"
#include "core/cells/Inventory.h"
#include "core/cells/PackInput.h"

namespace {

using namespace BenchTable;

constexpr int MeterPeriodMs = 250;
constexpr int Cells = 100000;
constexpr int MeasurementsPerCell = 10;
constexpr double LatencyTargetMs = 20;
constexpr double ListTargetMs = 1000;

QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readLine()).section(u' ', 0, 2)
                                          : QStringLiteral("unknown");
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t at = size_t(std::ceil(share * double(values.size()))) - 1;
    return values[std::min(at, values.size() - 1)];
}

// Runs a program to its end with its output in memory; its exit code, or -1 when it crashed.
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

// The least a durable line costs: appended and synced with no framework at all, in ms.
class BareAppend {
  public:
    explicit BareAppend(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND, 0644)) {}
    ~BareAppend() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    BareAppend(const BareAppend&) = delete;
    BareAppend& operator=(const BareAppend&) = delete;

    double append(const QByteArray& line) {
        QElapsedTimer timer;
        timer.start();
        if (fd_ < 0 || ::write(fd_, line.constData(), size_t(line.size())) != line.size() ||
            ::fdatasync(fd_) != 0) {
            return -1;
        }
        return double(timer.nsecsElapsed()) / 1e6;
    }

  private:
    int fd_;
};

// The meter for the latency row: a sorting session played on a pty at the meter's pace, each
// touch one reading open and three on the cell, so that the third settles it.
class LatencyRun : public QObject {
  public:
    LatencyRun(const QString& folder, int touches)
        : touches_(touches),
          session_({}, touches, {1, 0, 3}, SortSession::OpenShows::Overload, 1),
          bare_(QDir(folder).filePath(QStringLiteral("bare.jsonl"))),
          db_(QDir(folder).filePath(QStringLiteral("latency.sqlite"))) {}

    QString run() {
        QString error;
        if (!pty_.open(&error)) {
            return error;
        }
        clock_.start();
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        connect(&process_, &QProcess::readyReadStandardOutput, this, &LatencyRun::onOutput);
        QEventLoop loop;
        connect(&process_, &QProcess::finished, &loop, &QEventLoop::quit);
        connect(&process_, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        // The meter sends from the moment the program has the device open; first a second of
        // open probes while the command line settles in.
        connect(&pty_, &PtyDevice::listenerChanged, this, [this](bool present) {
            if (present && !tick_.isActive()) {
                tick_.start();
            }
        });
        tick_.setTimerType(Qt::PreciseTimer);
        tick_.setInterval(MeterPeriodMs);
        connect(&tick_, &QTimer::timeout, this, &LatencyRun::onTick);
        process_.start(
            QStringLiteral(KELVO_BENCH_CLI),
            {QStringLiteral("sort"), QStringLiteral("--port"), pty_.devicePath(),
             QStringLiteral("--db"), db_, QStringLiteral("--format"), QStringLiteral("json"),
             QStringLiteral("--count"), QString::number(touches_)});
        // Ends when every touch was captured, or a little after the last touch.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, &process_, &QProcess::terminate);
        connect(&tick_, &QTimer::timeout, &guard, [&] {
            if (finished_ && !guard.isActive()) {
                guard.start(3000);
            }
        });
        if (process_.state() != QProcess::NotRunning) {
            loop.exec();
        }
        tick_.stop();
        if (process_.exitStatus() != QProcess::NormalExit || process_.exitCode() != 0) {
            return QStringLiteral("kelvomark-cli sort ended with %1: %2")
                .arg(process_.exitCode())
                .arg(QString::fromUtf8(process_.readAllStandardError()).trimmed().right(300));
        }
        return mismatch_;
    }

    std::vector<double> latencies;
    std::vector<double> bareMs;
    int touchesPlayed() const { return int(settledAt_.size()); }

  private:
    double nowMs() const { return double(clock_.nsecsElapsed()) / 1e6; }

    void onTick() {
        if (warmUp_ > 0) {
            --warmUp_;
            LiveReading::Sample open;
            open.status = LiveReading::DefaultStatus | LiveReading::OhmOverloadBit;
            pty_.write(LiveReading::Packet(open));
            return;
        }
        const SortSession::Step step = session_.next();
        pty_.write(LiveReading::Packet(step.sample));
        if (step.finished) {
            finished_ = true;
            return;
        }
        if (step.phase == SortSession::Phase::Hold) {
            if (++holdReadings_ == 3) {
                settledAt_.push_back(nowMs());
                cellOhm_.push_back(session_.cell().milliOhm);
            }
        } else {
            holdReadings_ = 0;
            // Half way between two touches the program is idle: the baseline's moment.
            const double ms = bare_.append(QByteArray(200, 'x') + '\n');
            if (ms >= 0) {
                bareMs.push_back(ms);
            }
        }
    }

    void onOutput() {
        while (process_.canReadLine()) {
            const double at = nowMs();
            const QByteArray line = process_.readLine();
            // The capture belongs to the last touch that settled before its line came.
            const auto settled = std::upper_bound(settledAt_.begin(), settledAt_.end(), at);
            if (settled == settledAt_.begin()) {
                mismatch_ = QStringLiteral("a capture before any touch settled");
                continue;
            }
            const size_t touch = size_t(settled - settledAt_.begin()) - 1;
            const double ohm = QJsonDocument::fromJson(line).object().value(u"ir_mohm").toDouble();
            if (std::abs(ohm - cellOhm_[touch]) > cellOhm_[touch] * 0.01) {
                mismatch_ = QStringLiteral("capture %1 mOhm for a cell of %2 mOhm")
                                .arg(ohm)
                                .arg(cellOhm_[touch]);
            }
            latencies.push_back(at - settledAt_[touch]);
        }
    }

    int touches_;
    SortSession session_;
    BareAppend bare_;
    QString db_;
    PtyDevice pty_;
    QProcess process_;
    QTimer tick_;
    QElapsedTimer clock_;
    int warmUp_ = 4;
    int holdReadings_ = 0;
    bool finished_ = false;
    std::vector<double> settledAt_;
    std::vector<double> cellOhm_;
    QString mismatch_;
};

void BenchLatency(const QTemporaryDir& dir, bool quick) {
    const int touches = quick ? 30 : 120;
    const QString what = QStringLiteral(
        "`kelvomark-cli sort`: capture latency, settling reading to the committed row's line, "
        "99th percentile");
    LatencyRun run(dir.path(), touches);
    const QString error = run.run();
    if (!error.isEmpty() || run.latencies.empty()) {
        FailedRow(what, error.isEmpty() ? QStringLiteral("no captures") : error);
        return;
    }
    const double p99 = Percentile(run.latencies, 0.99);
    const double bare = Percentile(run.bareMs, 0.99);
    Detail(QStringLiteral("latency: load average %1").arg(LoadAverage()));
    Detail(QStringLiteral("latency: %1 captures of %2 touches at %3 ms between readings; median "
                          "%4, 99th percentile %5, largest %6; the bare synced append: median "
                          "%7, 99th percentile %8 over %9 lines")
               .arg(run.latencies.size())
               .arg(run.touchesPlayed())
               .arg(MeterPeriodMs)
               .arg(Duration(Percentile(run.latencies, 0.5)), Duration(p99),
                    Duration(Percentile(run.latencies, 1.0)), Duration(Percentile(run.bareMs, 0.5)),
                    Duration(bare))
               .arg(run.bareMs.size()));
    BudgetRow(what, p99, Duration(p99),
              QStringLiteral("a plain append of a line, synced, 99th percentile"), bare,
              Duration(bare), LatencyTargetMs,
              QStringLiteral("< 20 ms (the meter: 250 ms between readings)"));
}

// The inventory the list and export rows work on.
struct Fixture {
    QString path;
    qint64 measurements = 0;
};

// 100,000 cells with ten measurements each, in one transaction on a connection of its own: ten
// sorting sessions of 10,000 cells each, days apart, the cells' values drifting a little.
QString MakeInventory(const QString& path, Fixture& fixture) {
    {
        Inventory inventory;  // makes the file and its schema
        if (!inventory.open(path)) {
            return inventory.error();
        }
    }
    const QString name = QStringLiteral("bench-fixture");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            return db.lastError().text();
        }
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        db.transaction();
        QSqlQuery cell(db);
        cell.prepare(
            QStringLiteral("INSERT INTO cells (id, profile, capacity_mah, notes) "
                           "VALUES (?, NULL, ?, '')"));
        QSqlQuery m(db);
        m.prepare(QStringLiteral(
            "INSERT INTO measurements (uuid, cell_id, time_ms, utc_offset, milliohms, volts, "
            "ohm_text, ohm_unit, volt_text, verdict, reasons, bin, session, port, deleted, seq, "
            "host, remeasure) VALUES (?, ?, ?, 3600, ?, ?, ?, 'mOhm', ?, ?, ?, NULL, ?, "
            "'COM  1', 0, ?, 'bench', 0)"));
        QRandomGenerator random(1);
        const qint64 start = QDateTime(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC).toMSecsSinceEpoch();
        const auto ids = [](int i) {
            return QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0'));
        };
        for (int c = 1; c <= Cells && error.isEmpty(); ++c) {
            cell.addBindValue(ids(c));
            cell.addBindValue(2000.0 + random.bounded(1500));
            if (!cell.exec()) {
                error = cell.lastError().text();
            }
        }
        for (int s = 0; s < MeasurementsPerCell && error.isEmpty(); ++s) {
            const QString session =
                QStringLiteral("00000000-0000-4000-8000-%1").arg(s, 12, 10, QLatin1Char('0'));
            for (int c = 1; c <= Cells && error.isEmpty(); ++c) {
                const double ohm = std::round((20.0 + random.generateDouble() * 70.0) * 10) / 10;
                const double volt = std::round((3.0 + random.generateDouble() * 1.2) * 1000) / 1000;
                const QString verdict = ohm <= 50   ? QStringLiteral("PASS")
                                        : ohm <= 70 ? QStringLiteral("WARN")
                                                    : QStringLiteral("FAIL");
                m.addBindValue(QStringLiteral("%1%2")
                                   .arg(session.left(24))
                                   .arg(qint64(s) * Cells + c, 12, 10, QLatin1Char('0')));
                m.addBindValue(ids(c));
                m.addBindValue(start + qint64(s) * 7 * 86400000 + qint64(c) * 3000);
                m.addBindValue(ohm);
                m.addBindValue(volt);
                m.addBindValue(QString::number(ohm, 'f', 1));
                m.addBindValue(QString::number(volt, 'f', 3));
                m.addBindValue(verdict);
                m.addBindValue(
                    verdict == u"PASS"
                        ? QStringLiteral("")
                        : QStringLiteral("IR %1 mOhm above 50").arg(QString::number(ohm, 'f', 1)));
                m.addBindValue(session);
                m.addBindValue(c);
                if (!m.exec()) {
                    error = m.lastError().text();
                }
                ++fixture.measurements;
            }
        }
        QSqlQuery counter(db);
        counter.prepare(
            QStringLiteral("INSERT INTO id_counters (prefix, next_number) VALUES "
                           "('C', ?)"));
        counter.addBindValue(Cells + 1);
        if (error.isEmpty() && !counter.exec()) {
            error = counter.lastError().text();
        }
        if (error.isEmpty() && !db.commit()) {
            error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (error.isEmpty()) {
        Inventory inventory;  // the rows went in around it
        if (!inventory.open(path) || !inventory.rebuildLatest()) {
            return inventory.error();
        }
    }
    fixture.path = path;
    return error;
}

// Runs `sql` read-only on a connection of its own and reads `columns` columns of every row;
// the number of rows.
qint64 BareQuery(const QString& path, const QString& sql, int columns) {
    const QString name = QStringLiteral("bench-bare");
    qint64 values = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            query.exec(sql);
            while (query.next()) {
                for (int i = 0; i < columns; ++i) {
                    values += query.value(i).isValid();
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return values / columns;
}

// The baseline of the list rows: every cell's ID walked in order.
qint64 BareWalk(const QString& path) {
    return BareQuery(path, QStringLiteral("SELECT id FROM cells ORDER BY id"), 1);
}

// What Qt SQL alone costs the export: its query's rows, every column read, nothing written.
qint64 BareExportQuery(const QString& path) {
    return BareQuery(
        path,
        QStringLiteral(
            "SELECT uuid, cell_id, time_ms, utc_offset, milliohms, volts, ohm_text, ohm_unit, "
            "volt_text, verdict, reasons, bin, session, seq, host, port, remeasure, deleted "
            "FROM measurements ORDER BY time_ms, session, seq"),
        18);
}

// The baseline of the export: the same bytes, written plainly and synced as the export is.
bool PlainWrite(const QByteArray& bytes, const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return false;
    }
    constexpr qsizetype Chunk = 1 << 20;
    bool ok = true;
    for (qsizetype at = 0; ok && at < bytes.size(); at += Chunk) {
        const size_t n = size_t(std::min(Chunk, bytes.size() - at));
        ok = ::write(fd, bytes.constData() + at, n) == ssize_t(n);
    }
    ok = ok && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

void BenchInventory(const QTemporaryDir& dir, bool quick) {
    const int runs = quick ? 2 : 3;
    const QString db = dir.filePath(QStringLiteral("cells.sqlite"));
    Fixture fixture;
    QElapsedTimer made;
    made.start();
    const QString error = MakeInventory(db, fixture);
    const QString listWhat = QStringLiteral(
        "`kelvomark-cli cells list`: 100,000 cells, 1,000,000 "
        "measurements");
    const QString queryWhat = QStringLiteral(
        "The inventory's list of 100,000 cells (1,000,000 measurements), each with its latest");
    const QString packWhat = QStringLiteral(
        "The Pack window's cells: 100,000 cells (1,000,000 measurements) loaded for the matcher");
    const QString exportWhat =
        QStringLiteral("`kelvomark-cli cells export`: 1,000,000 measurements to CSV");
    if (!error.isEmpty()) {
        for (const QString& what : {listWhat, queryWhat, packWhat, exportWhat}) {
            FailedRow(what, error);
        }
        return;
    }
    Detail(QStringLiteral("inventory: %1 cells, %2 measurements made in one transaction in %3; "
                          "the file %4 MB")
               .arg(Cells)
               .arg(fixture.measurements)
               .arg(Duration(double(made.nsecsElapsed()) / 1e6))
               .arg(double(QFileInfo(db).size()) / 1e6, 0, 'f', 1));

    qint64 walked = 0;
    const auto walk = [&] { walked = BareWalk(db); };

    int listStatus = 0;
    qint64 listLines = 0;
    const auto list = [&] {
        QProcess process;
        listStatus |=
            RunToEnd(process, QStringLiteral(KELVO_BENCH_CLI),
                     {QStringLiteral("cells"), QStringLiteral("--db"), db, QStringLiteral("list")});
        listLines = process.readAllStandardOutput().count('\n');
    };
    const Pair listed = BestOfPairs(runs, list, walk);
    if (listStatus != 0 || listLines < Cells) {
        FailedRow(listWhat, QStringLiteral("status %1, %2 lines").arg(listStatus).arg(listLines));
    } else {
        Detail(QStringLiteral("cells list: %1 lines on stdout, the whole command from its start; "
                              "the bare walk read %2 IDs; best of %3")
                   .arg(listLines)
                   .arg(walked)
                   .arg(runs));
        BudgetRow(listWhat, listed.figureMs, Duration(listed.figureMs),
                  QStringLiteral("every cell's ID walked in a bare query"), listed.baselineMs,
                  Duration(listed.baselineMs), ListTargetMs, QStringLiteral("< 1 s"));
    }

    qsizetype summaries = 0;
    const auto query = [&] {
        Inventory inventory;
        if (inventory.open(db)) {
            summaries = inventory.listCells().size();
        }
    };
    const Pair queried = BestOfPairs(runs, query, walk);
    if (summaries != Cells) {
        FailedRow(queryWhat, QStringLiteral("%1 cells listed").arg(summaries));
    } else {
        BudgetRow(queryWhat, queried.figureMs, Duration(queried.figureMs),
                  QStringLiteral("every cell's ID walked in a bare query"), queried.baselineMs,
                  Duration(queried.baselineMs), ListTargetMs, QStringLiteral("< 1 s"));
    }

    // What the Pack window does when it runs the matcher: every cell of any verdict, so that none
    // is left out of the figure.
    size_t loaded = 0;
    const auto load = [&] {
        Inventory inventory;
        CellFilter filter;
        filter.verdicts = {Verdict::Pass, Verdict::Warn, Verdict::Fail};
        if (inventory.open(db)) {
            loaded = PackInput::FromInventory(inventory.loadCells(filter)).size();
        }
    };
    const Pair packLoaded = BestOfPairs(runs, load, walk);
    if (loaded != size_t(Cells)) {
        FailedRow(packWhat, QStringLiteral("%1 cells loaded").arg(loaded));
    } else {
        BudgetRow(packWhat, packLoaded.figureMs, Duration(packLoaded.figureMs),
                  QStringLiteral("every cell's ID walked in a bare query"), packLoaded.baselineMs,
                  Duration(packLoaded.baselineMs), ListTargetMs, QStringLiteral("< 1 s"));
    }

    const QString csv = dir.filePath(QStringLiteral("export.csv"));
    const QString plain = dir.filePath(QStringLiteral("plain.csv"));
    int exportStatus = 0;
    QByteArray bytes;
    const auto exporting = [&] {
        QProcess process;
        exportStatus |= RunToEnd(process, QStringLiteral(KELVO_BENCH_CLI),
                                 {QStringLiteral("cells"), QStringLiteral("--db"), db,
                                  QStringLiteral("export"), QStringLiteral("--out"), csv});
    };
    exporting();  // the bytes for the baseline
    QFile exported(csv);
    if (exportStatus == 0 && exported.open(QIODevice::ReadOnly)) {
        bytes = exported.readAll();
    }
    bool plainOk = true;
    const Pair exportedPair =
        BestOfPairs(runs, exporting, [&] { plainOk = plainOk && PlainWrite(bytes, plain); });
    const qint64 rows = bytes.count('\n');
    if (exportStatus != 0 || !plainOk || rows != fixture.measurements + 1) {
        FailedRow(exportWhat, QStringLiteral("status %1, %2 rows").arg(exportStatus).arg(rows));
        return;
    }
    qint64 queryRows = 0;
    const double queryMs = BestMs(1, [&] { queryRows = BareExportQuery(db); });
    Detail(QStringLiteral("export: %1 rows, %2 MB, the whole command from its start; the plain "
                          "write in 1 MB pieces, then fdatasync as the export's save does; best "
                          "of %3. The export's query alone through Qt SQL, %4 rows with every "
                          "column read: %5. Load average %6")
               .arg(rows)
               .arg(double(bytes.size()) / 1e6, 0, 'f', 1)
               .arg(runs)
               .arg(queryRows)
               .arg(Duration(queryMs), LoadAverage()));
    RatioRow(exportWhat, exportedPair.figureMs,
             QStringLiteral("the same bytes written plainly, synced"), exportedPair.baselineMs,
             2.0);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool quick = args.contains(QStringLiteral("--quick"));
    if (args.size() == 3 && args.at(1) == u"make-inventory") {
        Fixture fixture;
        const QString error = MakeInventory(args.at(2), fixture);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "kelvo_bench_cells: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    // On the disk, as the inventory of a user is: a temporary folder may be in memory.
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("cells-bench-XXXXXX")));
    if (!args.contains(QStringLiteral("inventory"))) {
        BenchLatency(dir, quick);
    }
    if (!args.contains(QStringLiteral("latency"))) {
        BenchInventory(dir, quick);
    }
    return 0;
}
