#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <cstdio>

#include "BenchTable.h"
#include "core/cells/BenchInventory.h"
#include "core/cells/DatabaseLocation.h"

namespace {

constexpr int Captures = 400;
constexpr int InventoryCells = 100000;

NewMeasurement Capture(int i) {
    NewMeasurement m;
    m.time = QDateTime::currentDateTime();
    m.milliohms = 30 + i % 50;
    m.volts = 3.9;
    m.ohmText = QString::number(m.milliohms);
    m.ohmUnit = QStringLiteral("mOhm");
    m.voltText = QStringLiteral("3.900");
    m.session = QStringLiteral("bench");
    m.host = QStringLiteral("bench-1");
    m.port = QStringLiteral("COM1");
    return m;
}

// The 99th percentile of `Captures` captures, each timed from the call to the line written and
// flushed to a file, as the command line prints it.
double CaptureP99(BenchInventory& inventory, std::FILE* out) {
    QVector<double> ms;
    for (int i = 0; i < Captures; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QString id = inventory.add(Capture(i));
        std::fprintf(out, "%s PASS\n", qPrintable(id));
        std::fflush(out);
        ms.append(timer.nsecsElapsed() / 1e6);
        if (id.isEmpty()) {
            return -1;
        }
    }
    std::sort(ms.begin(), ms.end());
    return ms[int(ms.size() * 0.99)];
}

// 100,000 cells with a capacity and one PASS measurement each, made by the database itself in
// one statement each: the same SQL on both engines.
bool Fill(const QString& location) {
    const auto parsed = DatabaseLocation::Parse(location, nullptr);
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(parsed->driver(), QStringLiteral("fill"));
        parsed->configure(db);
        const QString numbers =
            QStringLiteral(
                "WITH RECURSIVE g(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM g WHERE n < %1) ")
                .arg(InventoryCells);
        QSqlQuery query(db);
        done = db.open() && db.transaction() &&
               query.exec(numbers +
                          QStringLiteral("INSERT INTO cells (id, profile, capacity_mah, notes) "
                                         "SELECT 'C' || (1000000 + n), '', 1900 + (n * 7919) % "
                                         "600, '' FROM g")) &&
               query.exec(numbers +
                          QStringLiteral("INSERT INTO measurements (uuid, cell_id, time_ms, "
                                         "utc_offset, milliohms, volts, ohm_text, ohm_unit, "
                                         "volt_text, verdict, reasons, session, port, host) "
                                         "SELECT 'u' || n, 'C' || (1000000 + n), "
                                         "1700000000000 + n, 0, 45 + (n * 17) % 30, 3.6, '', "
                                         "'mOhm', '3.600', 'PASS', '', 'fill', 'COM1', 'bench-1' "
                                         "FROM g")) &&
               db.commit() && query.exec(QStringLiteral("ANALYZE"));
        if (!done) {
            BenchTable::Detail(QStringLiteral("fill: ") + query.lastError().text());
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return done;
}

bool Tool(const QString& command, const QString& dir, const QStringList& more, QString* out) {
    QProcess process;
    process.start(QStringLiteral(KELVO_BENCH_PG_CLUSTER), QStringList{command, dir} + more);
    process.waitForFinished(120000);
    if (out) {
        *out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(QStringLiteral("/tmp/kelvomark-bench-XXXXXX"));
    ::chmod(QFile::encodeName(dir.path()).constData(), 0711);
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
    const QString cluster = dir.filePath(QStringLiteral("cluster"));
    QString admin;
    // A durable cluster: every commit reaches the disk, as a shop's server does.
    if (!Tool(QStringLiteral("create"), cluster, {QStringLiteral("--durable")}, &admin)) {
        BenchTable::FailedRow(QStringLiteral("Capture through the PostgreSQL server"),
                              QStringLiteral("tools/pg-cluster could not start a server"));
        return 1;
    }
    const auto location = DatabaseLocation::Parse(admin, nullptr);
    int status = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("a"));
        location->configure(db);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE captures"));
        QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE loading"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("a"));

    {
        BenchInventory server;
        BenchInventory file;
        if (!server.open(location->uriFor(QStringLiteral("captures"))) ||
            !file.open(dir.filePath(QStringLiteral("captures.sqlite")))) {
            BenchTable::FailedRow(QStringLiteral("Capture through the PostgreSQL server"),
                                  server.error() + file.error());
            status = 1;
        } else {
            std::FILE* out = std::fopen("/dev/null", "w");
            const double filePs = CaptureP99(file, out);
            const double serverPs = CaptureP99(server, out);
            std::fclose(out);
            BenchTable::Detail(QStringLiteral("%1 captures each, over a Unix socket; the server "
                                              "with fsync on")
                                   .arg(Captures));
            BenchTable::BudgetRow(
                QStringLiteral("A capture through the PostgreSQL server: committed and its line "
                               "out, 99th percentile"),
                serverPs, BenchTable::Duration(serverPs),
                QStringLiteral("the same into the SQLite file (WAL, synchronous FULL)"), filePs,
                BenchTable::Duration(filePs), 50, QStringLiteral("< 50 ms"));
        }
    }

    {
        Inventory server;
        Inventory file;
        const QString fileName = dir.filePath(QStringLiteral("loading.sqlite"));
        const QString uri = location->uriFor(QStringLiteral("loading"));
        if (!server.open(uri) || !file.open(fileName) || !Fill(uri) || !Fill(fileName) ||
            !server.rebuildLatest() || !file.rebuildLatest()) {
            BenchTable::FailedRow(QStringLiteral("Loading the pack matcher's cells"),
                                  server.error() + file.error());
            status = 1;
        } else {
            CellFilter filter;
            int loaded = 0;
            const BenchTable::Pair pair = BenchTable::BestOfPairs(
                3, [&] { loaded = int(server.loadCells(filter).size()); },
                [&] { file.loadCells(filter); });
            BenchTable::Detail(
                QStringLiteral("%1 cells loaded of %2").arg(loaded).arg(InventoryCells));
            BenchTable::RatioRow(
                QStringLiteral("Loading the pack matcher's 100,000 cells from the PostgreSQL "
                               "server"),
                pair.figureMs, QStringLiteral("the same from the SQLite file"), pair.baselineMs,
                2.0);
        }
    }
    Tool(QStringLiteral("destroy"), cluster, {}, nullptr);
    return status;
}
