#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTimer>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/HeadlessMeter.h"
#include "cli/SignalNotifier.h"
#include "core/logger/LoggerDownload.h"
#include "core/logger/LoggerDump.h"
#include "core/logger/LoggerSets.h"
#include "core/logger/SetListing.h"
#include "core/logger/StartingTime.h"
#include "core/records/GridFile.h"
#include "core/records/RecordFormat.h"
#include "platform/GridModel.h"

using namespace CommandSupport;

namespace {

struct LoggerOptions {
    PortSpec port;
    QString fromDump;
    QString saveDump;
    int set = 0;  // 0: no set listed
    bool all = false;
    QMap<int, QString> starts;  // each set's starting stamp, by set number
    QString sameStart;          // every set's, with --same-start; or --set's when given plainly
    QString out;
    QString outDir;
    bool sameStartGiven = false;
    bool overwrite = false;
    qint64 timeoutS = 60;
};

// "set 2", "sets 2 and 3", "sets 1, 2 and 4".
QString SetNumbers(const QList<int>& sets) {
    QStringList numbers;
    for (int set : sets) {
        numbers.append(QString::number(set));
    }
    const QString last = numbers.takeLast();
    return numbers.isEmpty() ? QStringLiteral("set ") + last
                             : QStringLiteral("sets ") + numbers.join(QStringLiteral(", ")) +
                                   QStringLiteral(" and ") + last;
}

QString SetFile(const QString& dir, int set) {
    return QDir(dir).filePath(QStringLiteral("set-%1.Kmk").arg(set));
}

// Every set is listed from its own start: "--start N=TIME" once per set, or one plain
// "--start TIME" for --set, or for every set of --all with --same-start.
bool ParseStarts(const QStringList& texts, LoggerOptions& options, QString& error) {
    static const QRegularExpression numbered(QStringLiteral("^\\s*([0-9]+)\\s*=(.*)$"));
    for (const QString& text : texts) {
        const QRegularExpressionMatch match = numbered.match(text);
        const QString stampText = match.hasMatch() ? match.captured(2) : text;
        const auto stamp = StartingTime::Parse(stampText, QDate::currentDate());
        if (!stamp) {
            error = OptionValues::Refusal(QStringLiteral("start"), text,
                                          QStringLiteral("a starting time \"yyyy/mm/dd "
                                                         "hh:nn:ss\", or N=TIME for set N (") +
                                              StartingTime::Refusal().trimmed() + u')');
            return false;
        }
        if (!match.hasMatch()) {
            if (texts.size() > 1) {
                error = QStringLiteral(
                            "--start \"%1\" names no set: with more than one "
                            "--start, each is N=TIME")
                            .arg(text);
                return false;
            }
            options.sameStart = *stamp;
            continue;
        }
        const auto set = OptionValues::Whole(match.captured(1), 1, LoggerDump::MaxSets);
        if (!set) {
            error = OptionValues::Refusal(
                QStringLiteral("start"), text,
                QStringLiteral("N=TIME with a set number from 1 to %1").arg(LoggerDump::MaxSets));
            return false;
        }
        if (options.starts.contains(int(*set))) {
            error = QStringLiteral("--start is given twice for set %1").arg(*set);
            return false;
        }
        options.starts.insert(int(*set), *stamp);
    }
    if (options.set > 0) {
        if (!options.starts.isEmpty() && !options.starts.contains(options.set)) {
            error = QStringLiteral("--start \"%1\" is for %2, but --set is %3")
                        .arg(texts.constFirst(), SetNumbers(options.starts.keys()))
                        .arg(options.set);
            return false;
        }
        if (texts.size() > 1) {
            error = QStringLiteral("--set lists one set: one --start");
            return false;
        }
        if (options.sameStart.isEmpty()) {
            options.sameStart = options.starts.value(options.set);
        }
        return true;
    }
    if (options.sameStartGiven && !options.starts.isEmpty()) {
        error = QStringLiteral("--same-start takes one --start TIME, not N=TIME");
        return false;
    }
    if (!options.sameStartGiven && !options.sameStart.isEmpty()) {
        error = QStringLiteral(
            "--all lists each set from its own start: --start N=TIME for every set, or one "
            "--start TIME with --same-start when they all began then");
        return false;
    }
    return true;
}

bool Parse(const Arguments& arguments, LoggerOptions& options, QString& error) {
    const auto has = [&](const char* name) { return arguments.isSet(QString::fromLatin1(name)); };
    const auto value = [&](const char* name) { return arguments.value(QString::fromLatin1(name)); };
    if (!arguments.positional().isEmpty()) {
        error = QStringLiteral("unexpected argument \"%1\"").arg(arguments.positional().first());
        return false;
    }
    if (!PortOption(arguments, options.port, error)) {
        return false;
    }
    options.fromDump = value("from-dump");
    options.saveDump = value("save-dump");
    if (has("from-dump") && (has("save-dump") || has("port") || has("timeout"))) {
        error = QStringLiteral(
            "--from-dump reads no meter: --port, --timeout and --save-dump do "
            "not go with it");
        return false;
    }
    if ((has("from-dump") && options.fromDump.isEmpty()) ||
        (has("save-dump") && options.saveDump.isEmpty())) {
        error = QStringLiteral("a dump option without its file name");
        return false;
    }
    if (has("timeout")) {
        const auto seconds = OptionValues::Whole(value("timeout"), 0, 86400);
        if (!seconds) {
            error = OptionValues::Refusal(QStringLiteral("timeout"), value("timeout"),
                                          QStringLiteral("a whole number of seconds from 0 to "
                                                         "86400"));
            return false;
        }
        options.timeoutS = *seconds;
    }
    if (has("set") && has("all")) {
        error = QStringLiteral("--set and --all do not go together");
        return false;
    }
    if (has("set")) {
        const auto number = OptionValues::Whole(value("set"), 1, LoggerDump::MaxSets);
        if (!number) {
            error = OptionValues::Refusal(
                QStringLiteral("set"), value("set"),
                QStringLiteral("a set number from 1 to %1").arg(LoggerDump::MaxSets));
            return false;
        }
        options.set = int(*number);
    }
    options.all = has("all");
    const bool listing = options.set > 0 || options.all;
    if (has("start") != listing) {
        error = listing ? QStringLiteral(
                              "--start \"yyyy/mm/dd hh:nn:ss\" is missing: when the "
                              "set's recording started")
                        : QStringLiteral("--start goes with --set or --all");
        return false;
    }
    if (has("same-start") && !options.all) {
        error = QStringLiteral("--same-start goes with --all");
        return false;
    }
    options.sameStartGiven = has("same-start");
    if (listing && !ParseStarts(arguments.values(QStringLiteral("start")), options, error)) {
        return false;
    }
    if (has("out") && options.set == 0) {
        error = QStringLiteral("--out goes with --set");
        return false;
    }
    if (has("out-dir") != options.all) {
        error = options.all ? QStringLiteral("--out-dir DIR is missing: where --all writes")
                            : QStringLiteral("--out-dir goes with --all");
        return false;
    }
    options.out = value("out");
    options.outDir = value("out-dir");
    if ((has("out") && options.out.isEmpty()) || (options.all && options.outDir.isEmpty())) {
        error = QStringLiteral("an output option without its file name");
        return false;
    }
    options.overwrite = has("overwrite");
    return true;
}

// "1 set", "3 sets".
QString Sets(qsizetype n) {
    return QString::number(n) + (n == 1 ? QStringLiteral(" set") : QStringLiteral(" sets"));
}

// What is done with the sets once they are known, with a meter or from a kept dump.
class Lister {
  public:
    Lister(const LoggerOptions& options, Console& console) : options_(options), console_(console) {}

    // The sets of a closed buffer, listed as asked.
    Exit list(const QByteArray& closed, const QStringList& rows);

  private:
    bool writeSet(const QByteArray& closed, const QStringList& rows, int set, const QString& path);

    const LoggerOptions& options_;
    Console& console_;
};

Exit Lister::list(const QByteArray& closed, const QStringList& rows) {
    if (options_.set > 0) {
        return writeSet(closed, rows, options_.set, options_.out) ? Exit::Success : Exit::Failure;
    }
    if (options_.all) {
        // Known only now: which sets the logger holds. Nothing is written unless each has its
        // start and each start its set.
        if (options_.sameStart.isEmpty()) {
            QList<int> without;
            for (int set = 1; set <= rows.size(); ++set) {
                if (!options_.starts.contains(set)) {
                    without.append(set);
                }
            }
            QList<int> beyond;
            for (int set : options_.starts.keys()) {
                if (set > rows.size()) {
                    beyond.append(set);
                }
            }
            if (!without.isEmpty() || !beyond.isEmpty()) {
                QStringList why;
                if (!without.isEmpty()) {
                    why.append(SetNumbers(without) + QStringLiteral(" without --start N=TIME"));
                }
                if (!beyond.isEmpty()) {
                    why.append(QStringLiteral("--start for %1, which it does not hold")
                                   .arg(SetNumbers(beyond)));
                }
                // The download need not be waited for again.
                const QString again =
                    options_.fromDump.isEmpty() && options_.saveDump.isEmpty()
                        ? QStringLiteral(" (--save-dump FILE keeps the answer for --from-dump)")
                        : QString();
                return console_.refuse(
                    QStringLiteral("logger"),
                    QStringLiteral("the data logger holds %1: %2; nothing was "
                                   "written")
                            .arg(Sets(rows.size()), why.join(QStringLiteral("; "))) +
                        again);
            }
        }
        for (int set = 1; set <= rows.size(); ++set) {
            const QString path = SetFile(options_.outDir, set);
            if (!writeSet(closed, rows, set, path)) {
                return Exit::Failure;
            }
        }
        return Exit::Success;
    }
    for (const QString& row : rows) {
        Console::out(row);
    }
    return Exit::Success;
}

bool Lister::writeSet(const QByteArray& closed, const QStringList& rows, int set,
                      const QString& path) {
    const std::optional<QByteArray> block = LoggerSets::SetBlock(closed, set);
    if (!block || set > rows.size()) {
        console_.message(rows.isEmpty() ? QStringLiteral("the data logger holds no set")
                                        : QStringLiteral("the data logger holds %1; there is no "
                                                         "set %2")
                                              .arg(Sets(rows.size()))
                                              .arg(set));
        return false;
    }
    const QStringList cells = GridModel::splitRow(rows.at(set - 1), 5);
    GridModel grid;
    SetListing::Fill(
        grid, *block,
        options_.sameStart.isEmpty() ? options_.starts.value(set) : options_.sameStart);
    SetListing::UseSavedHeader(grid, cells.at(1), cells.at(2));
    if (path.isEmpty()) {
        QByteArray bytes;
        for (int r = 0; r < grid.Rows(); ++r) {
            RecordFormat::appendGridLine(bytes, grid.row(r));
        }
        Console::outBytes(bytes);
        return true;
    }
    QString error;
    // Checked before the download too; a file made meanwhile is not replaced either.
    if (!CheckOutput(path, options_.overwrite, error)) {
        console_.message(error);
        return false;
    }
    if (!GridFile::save(path, grid, {}, error)) {
        console_.message(QStringLiteral("cannot write %1: %2").arg(path, error));
        return false;
    }
    console_.message(
        QStringLiteral("set %1: %2 records in %3").arg(set).arg(grid.Rows() - 1).arg(path));
    return true;
}

// A dump kept by --save-dump, read as the download reads the meter's answer.
Exit FromDump(const LoggerOptions& options, Console& console) {
    QFile file(options.fromDump);
    if (!file.open(QIODevice::ReadOnly)) {
        console.message(
            QStringLiteral("cannot read %1: %2").arg(options.fromDump, file.errorString()));
        return Exit::Failure;
    }
    // The largest answer an end address can ask for, and a little more.
    const QByteArray answer = file.read(70000);
    if (answer.size() < 3) {
        console.message(QStringLiteral("%1 is no logger dump: %2 bytes")
                            .arg(options.fromDump)
                            .arg(answer.size()));
        return Exit::Failure;
    }
    const int endAddress = LoggerSets::EndAddress(answer);
    const int expected = LoggerSets::ExpectedLength(endAddress);
    if (expected < 4) {
        console.message(QStringLiteral("%1 is no logger dump: its end address %2 asks for %3 "
                                       "bytes")
                            .arg(options.fromDump)
                            .arg(endAddress)
                            .arg(expected));
        return Exit::Failure;
    }
    if (answer.size() < expected) {
        console.message(QStringLiteral("%1 is cut short: %2 of its %3 bytes")
                            .arg(options.fromDump)
                            .arg(answer.size())
                            .arg(expected));
        return Exit::Failure;
    }
    Lister lister(options, console);
    if (expected == 4) {
        console.message(QStringLiteral("the data logger holds no set"));
        return lister.list(QByteArray(), {});
    }
    console.message(
        QStringLiteral("%1 remained in the logger").arg(LoggerSets::RemainedText(endAddress)));
    const QByteArray closed = *LoggerSets::ClosingCopy(answer, expected);
    const LoggerSets::Index index = LoggerSets::IndexSets(closed);
    if (index.failed) {
        for (const QString& row : index.rows) {
            Console::out(row);
        }
        console.message(QStringLiteral("%1: the answer is malformed after %2 sets")
                            .arg(options.fromDump)
                            .arg(index.rows.size()));
        return Exit::Failure;
    }
    return lister.list(closed, index.rows);
}

class Downloader : public QObject {
  public:
    Downloader(const LoggerOptions& options, Console& console)
        : options_(options), console_(console), lister_(options, console) {}

    Exit run(SignalNotifier& stopSignals);

  private:
    void onProgress(const QString& text);
    void onFinished(LoggerDownload::Outcome outcome);
    void keepDump();

    const LoggerOptions& options_;
    Console& console_;
    Lister lister_;
    HeadlessMeter meter_;
    LoggerDownload* download_ = nullptr;
    QStringList rows_;
    QString remained_;
    QByteArray answer_;  // the meter's whole answer, as it came
    QString progress_;
    bool answered_ = false;
    bool timedOut_ = false;
};

Exit Downloader::run(SignalNotifier& stopSignals) {
    const SerialLink::OpenResult opened = meter_.open(options_.port);
    if (opened != SerialLink::OpenResult::Ok) {
        console_.message(OpenFailure(options_.port, opened, meter_.link().path()));
        return Exit::Failure;
    }
    download_ = meter_.startDownload();
    connect(download_, &LoggerDownload::progress, this, &Downloader::onProgress);
    connect(download_, &LoggerDownload::remained, this,
            [this](const QString& text) { remained_ = text; });
    connect(download_, &LoggerDownload::setsIndexed, this,
            [this](const QStringList& rows) { rows_ = rows; });
    connect(download_, &LoggerDownload::finished, this, &Downloader::onFinished);
    connect(&stopSignals, &SignalNotifier::caught, this, [this] {
        if (download_) {
            download_->cancel();
        }
    });
    if (options_.timeoutS > 0) {
        QTimer::singleShot(options_.timeoutS * 1000, this, [this] {
            if (download_ && !answered_) {
                timedOut_ = true;
                download_->cancel();
            }
        });
    }
    console_.progress(options_.port.label() + QStringLiteral(": asking the meter for its logger"));
    return Run();
}

void Downloader::onProgress(const QString& text) {
    answered_ = true;
    progress_ = text;
    console_.progress(options_.port.label() + QStringLiteral(": downloading the data logger: ") +
                      text);
    // The last chunk: keep the answer as it came, before the download closes it for the set
    // search.
    const QByteArray& rx = meter_.rs232.RxBuffer;
    const int expected =
        rx.size() >= 3 ? LoggerSets::ExpectedLength(LoggerSets::EndAddress(rx)) : 0;
    if (expected > 0 && rx.size() >= expected) {
        // The meter's E bytes, without a live packet that came on their heels.
        answer_ = rx.left(expected);
    }
}

void Downloader::keepDump() {
    if (options_.saveDump.isEmpty()) {
        return;
    }
    const QByteArray bytes = answer_.isEmpty() ? meter_.rs232.RxBuffer : answer_;
    if (bytes.isEmpty()) {
        return;
    }
    QSaveFile file(options_.saveDump);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        console_.message(
            QStringLiteral("cannot write %1: %2").arg(options_.saveDump, file.errorString()));
        return;
    }
    console_.message(QStringLiteral("the meter's answer, %1 bytes, kept in %2")
                         .arg(bytes.size())
                         .arg(options_.saveDump));
}

void Downloader::onFinished(LoggerDownload::Outcome outcome) {
    download_ = nullptr;
    console_.endProgress();
    keepDump();
    const QString port = options_.port.label() + QStringLiteral(": ");
    Exit exit = Exit::Failure;
    switch (outcome) {
        case LoggerDownload::Outcome::Listed:
            console_.message(
                port +
                QStringLiteral("%1, %2 remained in the logger").arg(Sets(rows_.size()), remained_));
            exit = lister_.list(meter_.rs232.RxBuffer, rows_);
            break;
        case LoggerDownload::Outcome::Empty:
            console_.message(port + QStringLiteral("the data logger holds no set"));
            exit = lister_.list(QByteArray(), {});
            break;
        case LoggerDownload::Outcome::Failed:
        case LoggerDownload::Outcome::TooManySets:
        case LoggerDownload::Outcome::PortLost:
            // The sets found before the failure, as the window keeps them.
            for (const QString& row : rows_) {
                Console::out(row);
            }
            if (outcome == LoggerDownload::Outcome::TooManySets) {
                console_.message(port + QStringLiteral("stopped after %1 sets: the logger's "
                                                       "answer holds more than the meter can")
                                            .arg(rows_.size()));
            } else if (outcome == LoggerDownload::Outcome::PortLost ||
                       SerialLink::meansDeviceLost(meter_.link().port().error())) {
                console_.message(port + QStringLiteral("the device went away during the download"));
            } else {
                console_.message(port + QStringLiteral("the meter's answer is malformed"));
            }
            break;
        case LoggerDownload::Outcome::Stalled:
            console_.message(port + QStringLiteral("the meter stopped in the middle of its "
                                                   "answer: nothing came for %1 s (%2)")
                                        .arg(LoggerDownload::StallTimeoutMs / 1000)
                                        .arg(progress_));
            break;
        case LoggerDownload::Outcome::Cancelled:
            console_.message(port + (timedOut_ ? QStringLiteral("the meter did not answer the "
                                                                "logger request in %1 s")
                                                     .arg(options_.timeoutS)
                                               : QStringLiteral("the download was cancelled")));
            break;
    }
    Quit(exit);
}

// Every file the command will write, tried before the download, which takes up to a minute.
bool CheckOutputs(const LoggerOptions& options, Console& console) {
    QStringList files;
    for (const QString& file : {options.saveDump, options.out}) {
        if (!file.isEmpty()) {
            files.append(file);
        }
    }
    QString error;
    if (options.all) {
        if (!QFileInfo(options.outDir).isDir()) {
            console.message(QStringLiteral("%1 is not a folder").arg(options.outDir));
            return false;
        }
        if (!CheckFolder(options.outDir, error)) {
            console.message(error);
            return false;
        }
        // With one start for all, any set-N.Kmk there may be one of those to be written.
        const QStringList present =
            options.sameStart.isEmpty()
                ? QStringList()
                : QDir(options.outDir).entryList({QStringLiteral("set-*.Kmk")}, QDir::Files);
        static const QRegularExpression setFile(QStringLiteral("^set-[1-9][0-9]*\\.Kmk$"));
        for (const QString& name : present) {
            if (setFile.match(name).hasMatch()) {
                files.append(QDir(options.outDir).filePath(name));
            }
        }
        for (int set : options.starts.keys()) {
            files.append(SetFile(options.outDir, set));
        }
    }
    for (const QString& file : files) {
        if (!CheckOutput(file, options.overwrite, error)) {
            console.message(error);
            return false;
        }
    }
    return true;
}

}  // namespace

Exit RunLogger(const Arguments& arguments, Console& console, SignalNotifier& stopSignals) {
    LoggerOptions options;
    QString error;
    if (!Parse(arguments, options, error)) {
        return console.refuse(QStringLiteral("logger"), error);
    }
    if (!CheckOutputs(options, console)) {
        return Exit::Failure;
    }
    if (!options.fromDump.isEmpty()) {
        return FromDump(options, console);
    }
    Downloader downloader(options, console);
    return downloader.run(stopSignals);
}
