#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <csignal>
#include <limits>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/HeadlessMeter.h"
#include "cli/LinkMessages.h"
#include "cli/SignalNotifier.h"
#include "core/meter/Receiver.h"
#include "core/meter/SecondTicker.h"
#include "core/records/RecordFormat.h"
#include "core/records/Sampler.h"

using namespace CommandSupport;

namespace {

struct RecordOptions {
    PortSpec port;
    QString file;
    qint32 interval = 0;
    qint64 duration = 0;    // seconds; 0: until stopped
    qint64 maxRecords = 0;  // 0: no limit
    bool continueAfterStop = false;
    bool overwrite = false;
    bool quiet = false;
};

bool Parse(const Arguments& arguments, RecordOptions& options, QString& error) {
    if (!PortOption(arguments, options.port, error)) {
        return false;
    }
    if (!arguments.oneFile(QStringLiteral("the file to record into (FILE.Kmk) is missing"),
                           options.file, error)) {
        return false;
    }
    if (!arguments.isSet(QStringLiteral("interval"))) {
        error = QStringLiteral("--interval S is missing (seconds between records, 1 to 86400)");
        return false;
    }
    const QString interval = arguments.value(QStringLiteral("interval"));
    const auto seconds = OptionValues::Whole(interval, 1, 86400);
    if (!seconds) {
        error = OptionValues::Refusal(QStringLiteral("interval"), interval,
                                      QStringLiteral("a whole number of seconds from 1 to 86400"));
        return false;
    }
    options.interval = qint32(*seconds);
    if (arguments.isSet(QStringLiteral("duration"))) {
        const QString text = arguments.value(QStringLiteral("duration"));
        const auto duration = OptionValues::Seconds(text);
        if (!duration) {
            error = OptionValues::Refusal(
                QStringLiteral("duration"), text,
                QStringLiteral("a duration: seconds, or a number with s, m, h or d (7d)"));
            return false;
        }
        options.duration = *duration;
    }
    if (arguments.isSet(QStringLiteral("max-records"))) {
        const QString text = arguments.value(QStringLiteral("max-records"));
        const auto most = OptionValues::Whole(text, 1, std::numeric_limits<qint32>::max());
        if (!most) {
            error = OptionValues::Refusal(QStringLiteral("max-records"), text,
                                          QStringLiteral("a whole number of 1 or more"));
            return false;
        }
        options.maxRecords = *most;
    }
    options.continueAfterStop = arguments.isSet(QStringLiteral("continue"));
    options.overwrite = arguments.isSet(QStringLiteral("overwrite"));
    options.quiet = arguments.isSet(QStringLiteral("quiet"));
    return true;
}

// "02:03:04", or "3d 02:03:04" from a day on.
QString Elapsed(qint64 seconds) {
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg(seconds / 3600 % 24, 2, 10, QLatin1Char('0'))
                              .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                              .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return seconds >= 86400 ? QStringLiteral("%1d %2").arg(seconds / 86400).arg(clock) : clock;
}

// "1 record", "69,998 records".
QString Records(qint64 n) {
    return QLocale(QLocale::English).toString(n) +
           (n == 1 ? QStringLiteral(" record") : QStringLiteral(" records"));
}

// FILE-2.Kmk for FILE.Kmk and n = 2; FILE-2 for a name without an extension.
// The reading's ranges as a recording's header names them: "40mOhm 4Voltage".
QString Ranges(const Meter& m) {
    return RecordFormat::ohmHeader(m.OhmRange, m.MilliOhmUnit) + u' ' +
           RecordFormat::voltHeader(m.VoltRange);
}

QString Numbered(const QString& file, int n) {
    const QFileInfo info(file);
    const QString suffix = info.suffix();
    const QString name = suffix.isEmpty()
                             ? info.fileName() + QStringLiteral("-%1").arg(n)
                             : info.completeBaseName() + QStringLiteral("-%1.").arg(n) + suffix;
    return info.path() == u"." && !file.startsWith(QLatin1String("./"))
               ? name
               : QDir(info.path()).filePath(name);
}

class Recorder : public QObject {
  public:
    Recorder(const RecordOptions& options, Console& console)
        : options_(options), console_(console) {}

    Exit run(SignalNotifier& stopSignals);

  private:
    bool checkFile(const QString& path);
    bool startFile(const QString& path);
    void onReading();
    void onTick();
    bool durationOver(qint64 nowMs) const;
    void onRecordWritten(qint32 number);
    void onStopped();
    void afterStop();
    QString nextFile();
    QString readingText() const;
    void finish(Exit exit, const QString& why);

    RecordOptions options_;
    Console& console_;
    HeadlessMeter meter_;
    qint64 startMs_ = 0;
    qint64 headerMs_ = -1;  // when the first file's header was written; -1: not yet
    bool recording_ = false;
    bool stopping_ = false;
    bool stopPending_ = false;
    bool createdEmpty_ = false;  // the file did not exist and nothing was recorded yet
    int fileNumber_ = 1;
    QString current_;
    QStringList files_;
    qint64 total_ = 0;
    qint32 inFile_ = 0;
    QString fileRanges_;  // the ranges of the file being written, "40mOhm 4Voltage"
    QString writeError_;
};

Exit Recorder::run(SignalNotifier& stopSignals) {
    if (!checkFile(options_.file)) {
        return Exit::Failure;
    }
    const SerialLink::OpenResult opened = meter_.open(options_.port);
    if (opened != SerialLink::OpenResult::Ok) {
        console_.message(OpenFailure(options_.port, opened, meter_.link().path()));
        if (createdEmpty_) {
            QFile::remove(options_.file);
        }
        return Exit::Failure;
    }
    console_.setQuiet(options_.quiet);
    new LinkMessages(meter_, options_.port, console_);
    Sampler& sampler = meter_.sampler();
    connect(&meter_.receiver(), &Receiver::readingDecoded, this, &Recorder::onReading);
    // After the sampler's own connection: the sample of this tick is taken first.
    connect(&meter_.timer2(), &SecondTicker::tick, this, &Recorder::onTick);
    connect(&sampler, &Sampler::recordWritten, this, &Recorder::onRecordWritten);
    connect(&sampler, &Sampler::recordingStopped, this, &Recorder::onStopped);
    connect(&sampler, &Sampler::writeFailed, this,
            [this](const QString&, const QString& reason) { writeError_ = reason; });
    connect(&stopSignals, &SignalNotifier::caught, this, [this](int signal) {
        finish(Exit::Success, QStringLiteral("stopped by %1")
                                  .arg(signal == SIGINT   ? "SIGINT"
                                       : signal == SIGHUP ? "SIGHUP"
                                                          : "SIGTERM"));
    });
    meter_.startTicks();
    startMs_ = meter_.clock().monotonicMs();
    meter_.transfer.SamplingTime = options_.interval;
    console_.progress(QStringLiteral("%1: waiting for the first reading").arg(options_.file));
    return Run();
}

// Refuses a file that would be overwritten, and tries the folder now rather than after the
// first reading.
bool Recorder::checkFile(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !options_.overwrite) {
        console_.message(QStringLiteral("%1 exists; --overwrite empties it").arg(path));
        return false;
    }
    if (info.isDir()) {
        console_.message(QStringLiteral("%1 is a folder").arg(path));
        return false;
    }
    QFile probe(path);
    const bool existed = info.exists();
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
        console_.message(QStringLiteral("cannot write %1: %2").arg(path, probe.errorString()));
        return false;
    }
    createdEmpty_ = !existed;
    return true;
}

bool Recorder::startFile(const QString& path) {
    Sampler& sampler = meter_.sampler();
    if (!sampler.startRecording(path)) {
        console_.message(QStringLiteral("cannot write %1: %2").arg(path, sampler.recordingError()));
        return false;
    }
    // The next sampling tick writes the header.
    meter_.transfer.SampleTick = 0;
    recording_ = true;
    createdEmpty_ = false;
    current_ = path;
    files_.append(path);
    inFile_ = 0;
    fileRanges_ = Ranges(meter_.meter);
    return true;
}

void Recorder::onReading() {
    // The recording starts in the range of the first reading, as a person starts it after
    // seeing one.
    if (!recording_ && files_.isEmpty() && !stopping_ && !startFile(options_.file)) {
        finish(Exit::Failure, QString());
    }
}

void Recorder::onTick() {
    if (stopping_) {
        return;
    }
    const qint64 now = meter_.clock().monotonicMs();
    if (headerMs_ < 0 && recording_ && meter_.transfer.RecordCount > 0) {
        headerMs_ = now;
    }
    const qint64 elapsed = (now - startMs_) / 1000;
    if (options_.duration > 0 && durationOver(now)) {
        finish(Exit::Success, QStringLiteral("the duration is over"));
        return;
    }
    if (recording_) {
        console_.progress(QStringLiteral("%1: %2, %3, %4")
                              .arg(QFileInfo(current_).fileName(), Records(inFile_),
                                   Elapsed(elapsed), readingText()));
    }
}

// The duration runs from the header, written on the tick after the first reading, so that it
// holds D / S records: record k comes k * S ticks after the header, on the tick that this one
// follows. Ticks are a second apart; the nearest whole second takes away their jitter. With no
// reading at all it runs from the start, so that a silent meter does not hold the command.
bool Recorder::durationOver(qint64 nowMs) const {
    if (headerMs_ >= 0) {
        return (nowMs - headerMs_ + 500) / 1000 >= options_.duration;
    }
    return files_.isEmpty() && (nowMs - startMs_) / 1000 >= options_.duration;
}

void Recorder::onRecordWritten(qint32 number) {
    inFile_ = number;
    ++total_;
    if (options_.maxRecords > 0 && total_ >= options_.maxRecords) {
        finish(Exit::Success, QStringLiteral("%1 written").arg(Records(total_)));
    }
}

void Recorder::onStopped() {
    // The sampler stopped by itself: a full file, a range change or a write that failed (told
    // just after this). Looked at once the tick that stopped it is over.
    if (stopping_ || stopPending_) {
        return;
    }
    recording_ = false;
    stopPending_ = true;
    QTimer::singleShot(0, this, &Recorder::afterStop);
}

void Recorder::afterStop() {
    stopPending_ = false;
    if (stopping_) {
        return;
    }
    if (!writeError_.isEmpty()) {
        finish(Exit::Failure,
               QStringLiteral("cannot write %1: %2; recording stopped, the lines written before "
                              "are kept")
                   .arg(current_, writeError_));
        return;
    }
    const Meter& m = meter_.meter;
    const QString now = Ranges(m);
    const QString why =
        m.RecordRangeCode != m.RangeCode
            ? QStringLiteral("the meter changed range from %1 to %2").arg(fileRanges_, now)
            : QStringLiteral("%1 is full (%2, the most a recording holds)")
                  .arg(current_, Records(inFile_));
    if (!options_.continueAfterStop) {
        finish(Exit::Failure,
               QStringLiteral("recording stopped: %1; %2 holds %3 (--continue goes on in "
                              "a new file)")
                   .arg(why, current_, Records(inFile_)));
        return;
    }
    const QString next = nextFile();
    console_.message(QStringLiteral("%1; going on in %2").arg(why, next));
    if (!startFile(next)) {
        finish(Exit::Failure, QString());
    }
}

QString Recorder::nextFile() {
    for (;;) {
        const QString candidate = Numbered(options_.file, ++fileNumber_);
        if (options_.overwrite || !QFileInfo::exists(candidate)) {
            return candidate;
        }
    }
}

QString Recorder::readingText() const {
    const Meter& m = meter_.meter;
    if (meter_.panel.NoData) {
        return QStringLiteral("No COM");
    }
    return m.OhmText + (m.MilliOhmUnit ? QStringLiteral(" mOhm  ") : QStringLiteral(" Ohm  ")) +
           m.VoltText + QStringLiteral(" V");
}

void Recorder::finish(Exit exit, const QString& why) {
    if (stopping_) {
        return;
    }
    stopping_ = true;
    if (recording_) {
        meter_.sampler().stopRecording();
        recording_ = false;
    }
    if (createdEmpty_) {
        QFile::remove(options_.file);
    }
    console_.endProgress();
    if (!why.isEmpty()) {
        console_.message(why);
    }
    if (!files_.isEmpty()) {
        console_.message(files_.size() == 1
                             ? QStringLiteral("%1: %2").arg(files_.first(), Records(total_))
                             : QStringLiteral("%1 in %2 files: %3")
                                   .arg(Records(total_))
                                   .arg(files_.size())
                                   .arg(files_.join(QStringLiteral(", "))));
    } else if (exit == Exit::Success) {
        console_.message(QStringLiteral("the meter sent no reading; nothing was recorded"));
    }
    Quit(exit);
}

}  // namespace

Exit RunRecord(const Arguments& arguments, Console& console, SignalNotifier& stopSignals) {
    RecordOptions options;
    QString error;
    if (!Parse(arguments, options, error)) {
        console.message(QStringLiteral("record: ") + error);
        return Exit::Usage;
    }
    Recorder recorder(options, console);
    return recorder.run(stopSignals);
}
