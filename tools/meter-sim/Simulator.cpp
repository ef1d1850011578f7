#include "Simulator.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "core/meter/Decode.h"

namespace {

// The seven-byte answer: shaped like a live packet, its bytes 2-3 give N = 17200.
constexpr quint16 SevenByteAddress = 17200;
// The short answer stops after this share of the dump.
constexpr double ShortShare = 0.6;
// A record for the endless answer when the logger holds none: 18.50 mOhm, 3.700 V.
constexpr LoggerDump::Record EndlessRecord{1850, 3700, LiveReading::DefaultStatus};

QByteArray RecordBytes(const LoggerDump::Record& r) {
    return LiveReading::Packet({r.ohmCount, r.voltCount, r.status}).mid(1, 5);
}

}  // namespace

Simulator::Simulator(const SimOptions& options, const QVector<Scenario::Event>& events,
                     const LoggerContent& logger, const QVector<SimCell>& cells, QObject* parent)
    : QObject(parent),
      options_(options),
      events_(events),
      logger_(logger),
      dump_(logger.dump()),
      sender_(pty_),
      reading_(options.seed),
      garbage_(options.seed ^ 0x5eedu) {
    if (options.fixedReading()) {
        reading_.setStatus(quint8(options.status.value_or(LiveReading::DefaultStatus)));
        reading_.setCounts(quint16(options.ohm.value_or(LiveReading::DefaultOhm)),
                           quint16(options.volt.value_or(LiveReading::DefaultVolt)));
    } else if (options.status) {
        reading_.setStatus(quint8(*options.status));
    }
    if (options.sorting()) {
        sort_.emplace(options.randomCells() ? QVector<SimCell>{} : cells, options.cells,
                      options.sortTiming(), options.openShows, options.seed);
    }
    liveTimer_.setTimerType(Qt::PreciseTimer);
    eventTimer_.setTimerType(Qt::PreciseTimer);
    eventTimer_.setSingleShot(true);
    connect(&liveTimer_, &QTimer::timeout, this, &Simulator::onLiveTick);
    connect(&eventTimer_, &QTimer::timeout, this, &Simulator::runDueEvents);
    connect(&pty_, &PtyDevice::listenerChanged, this, &Simulator::onListenerChanged);
    connect(&pty_, &PtyDevice::received, this, &Simulator::onReceived);
    connect(&sender_, &DumpSender::finished, this, &Simulator::onAnswerSent);
}

Simulator::~Simulator() {
    if (linkMade_ && QFileInfo(options_.link).symLinkTarget() == pty_.devicePath()) {
        QFile::remove(options_.link);
    }
}

bool Simulator::start(QString* error) {
    switchedOn_.start();
    if (!pty_.open(error)) {
        return false;
    }
    if (!options_.link.isEmpty()) {
        const QFileInfo link(options_.link);
        // A link left by a simulator that was killed is replaced; anything else is kept.
        if (link.isSymLink()) {
            QFile::remove(options_.link);
        } else if (link.exists()) {
            *error = QStringLiteral("%1 exists and is not a symlink").arg(options_.link);
            return false;
        }
        if (!QFile::link(pty_.devicePath(), options_.link)) {
            *error = QStringLiteral("cannot make the link %1").arg(options_.link);
            return false;
        }
        linkMade_ = true;
    }
    if (options_.periodMs > 0) {
        liveTimer_.start(options_.periodMs);
    }
    return true;
}

void Simulator::tell(const QString& text) const {
    if (options_.verbose) {
        std::fprintf(stderr, "kelvomark-sim %8.3f s: %s\n", secondsOn(), qPrintable(text));
        std::fflush(stderr);
    }
}

void Simulator::onListenerChanged(bool present) {
    tell(present ? QStringLiteral("device opened") : QStringLiteral("device closed"));
    if (present && !scenarioClock_.isValid() && !events_.isEmpty()) {
        scenarioClock_.start();
        scheduleNextEvent();
    }
    if (!present && sender_.isSending()) {
        sender_.abort();
        onAnswerSent();
    }
}

void Simulator::onReceived(const QByteArray& bytes) {
    // The meter reads only the request byte; anything else is ignored.
    if (bytes.contains(char(LoggerDump::RequestByte))) {
        answerRequest();
    }
}

bool Simulator::liveOutputAllowed() const {
    // A meter does not wait for a listener: while the pty is full, live output is lost.
    return loggerState_ == LoggerState::Idle && pty_.hasListener() && pty_.backlog() == 0;
}

void Simulator::sendNow(const QByteArray& bytes) {
    if (liveOutputAllowed()) {
        pty_.write(bytes);
    }
}

void Simulator::onLiveTick() {
    if (!liveOutputAllowed() || switchedOn_.elapsed() < silentUntilMs_) {
        return;
    }
    const LiveReading::Sample sample = nextSample();
    if (misframeLeft_ > 0) {
        --misframeLeft_;
        const bool wrongStart = misframeKind_ == Scenario::WrongStart ||
                                (misframeKind_ == Scenario::Alternate && misframeSent_ % 2 == 0);
        ++misframeSent_;
        pty_.write(LiveReading::Packet(sample, wrongStart ? 0x00 : PacketStart,
                                       wrongStart ? PacketEnd : 0x00));
        return;
    }
    pty_.write(LiveReading::Packet(sample));
}

LiveReading::Sample Simulator::nextSample() {
    if (!sort_) {
        return reading_.sample(secondsOn());
    }
    // The session moves on only with readings that go out, so none of it plays to nobody.
    const SortSession::Step step = sort_->next();
    tellSortStep(step);
    return step.sample;
}

void Simulator::tellSortStep(const SortSession::Step& step) {
    if (!options_.verbose || !step.first) {
        return;
    }
    const SimCell& cell = sort_->cell();
    const QString which =
        QStringLiteral("cell %1%2 (%3 mOhm, %4 V)")
            .arg(step.touch + 1)
            .arg(cell.label.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(cell.label))
            .arg(cell.milliOhm)
            .arg(cell.volt);
    switch (step.phase) {
        case SortSession::Phase::Open:
            tell(step.finished
                     ? QStringLiteral("all %1 cells done; the probes stay open").arg(step.touch)
                     : QStringLiteral("probes open; next %1").arg(which));
            break;
        case SortSession::Phase::Bounce:
            tell(QStringLiteral("%1: touch").arg(which));
            break;
        case SortSession::Phase::Hold:
            tell(QStringLiteral("%1: hold").arg(which));
            break;
    }
}

void Simulator::scheduleNextEvent() {
    if (nextEvent_ < events_.size()) {
        const qint64 wait = events_.at(nextEvent_).atMs - scenarioClock_.elapsed();
        eventTimer_.start(int(std::max<qint64>(0, wait)));
    }
}

void Simulator::runDueEvents() {
    while (nextEvent_ < events_.size() && events_.at(nextEvent_).atMs <= scenarioClock_.elapsed()) {
        const Scenario::Event& event = events_.at(nextEvent_++);
        if (event.command == Scenario::Command::Quit) {
            tell(QStringLiteral("line %1: quit").arg(event.line));
            Q_EMIT quitRequested();
            return;
        }
        if (event.command == Scenario::Command::Restart) {
            tell(QStringLiteral("line %1: restart").arg(event.line));
            nextEvent_ = 0;
            scenarioClock_.restart();
            break;
        }
        apply(event);
    }
    scheduleNextEvent();
}

void Simulator::apply(const Scenario::Event& event) {
    using Scenario::Command;
    const auto arg = [&](int i) { return event.args.value(i); };
    QString what;
    switch (event.command) {
        case Command::Status:
            reading_.setStatus(quint8(arg(0)));
            what = QStringLiteral("status 0x%1").arg(arg(0), 2, 16, QLatin1Char('0'));
            break;
        case Command::Counts:
            reading_.setCounts(quint16(arg(0)), quint16(arg(1)));
            what = QStringLiteral("counts %1 %2").arg(arg(0)).arg(arg(1));
            break;
        case Command::Range:
            reading_.setRange(int(arg(0)), arg(1) != 0);
            what = QStringLiteral("range: status 0x%1")
                       .arg(reading_.status(), 2, 16, QLatin1Char('0'));
            break;
        case Command::Overload:
            reading_.setFlag(LiveReading::OhmOverloadBit, (arg(0) & Scenario::OverloadOhm) != 0);
            reading_.setFlag(LiveReading::VoltOverloadBit, (arg(0) & Scenario::OverloadVolt) != 0);
            what = QStringLiteral("overload: status 0x%1")
                       .arg(reading_.status(), 2, 16, QLatin1Char('0'));
            break;
        case Command::Negative:
            reading_.setFlag(LiveReading::NegativeBit, arg(0) != 0);
            what = QStringLiteral("negative %1").arg(arg(0));
            break;
        case Command::NoReading:
            reading_.setFlag(LiveReading::NoReadingBit, arg(0) != 0);
            what = QStringLiteral("noreading %1").arg(arg(0));
            break;
        case Command::Silence:
            silentUntilMs_ = switchedOn_.elapsed() + arg(0);
            what = QStringLiteral("silence %1 ms").arg(arg(0));
            break;
        case Command::Misframe:
            misframeLeft_ = arg(0);
            misframeKind_ = int(event.args.value(1, Scenario::Alternate));
            misframeSent_ = 0;
            what = QStringLiteral("misframe %1").arg(arg(0));
            break;
        case Command::Garbage: {
            QByteArray bytes(arg(0), Qt::Uninitialized);
            for (char& b : bytes) {
                b = char(garbage_.bounded(256));
            }
            sendNow(bytes);
            what = QStringLiteral("garbage %1").arg(arg(0));
            break;
        }
        case Command::Burst: {
            const QByteArray packet =
                LiveReading::Packet(sort_ ? sort_->last().sample : reading_.sample(secondsOn()));
            sendNow(packet.repeated(arg(0) / PacketSize + 1).left(arg(0)));
            what = QStringLiteral("burst %1").arg(arg(0));
            break;
        }
        case Command::Drift:
            reading_.setDrift(arg(0) != 0);
            what = QStringLiteral("drift %1").arg(arg(0));
            break;
        case Command::Restart:
        case Command::Quit:
            break;
    }
    tell(QStringLiteral("line %1: %2").arg(event.line).arg(what));
}

void Simulator::answerRequest() {
    using Fault = SimOptions::LoggerFault;
    if (loggerState_ != LoggerState::Idle || options_.loggerFault == Fault::Silent) {
        tell(QStringLiteral("request ignored"));
        return;
    }
    ++requests_;
    liveTimer_.stop();
    loggerState_ = LoggerState::Answering;
    switch (options_.loggerFault) {
        case Fault::Seven:
            // Every other request gets the seven-byte answer, beginning with the first.
            if (requests_ % 2 == 1) {
                LiveReading::Sample s = reading_.sample(secondsOn());
                s.ohm = SevenByteAddress;
                tell(QStringLiteral("request: the seven-byte answer"));
                sender_.start(LiveReading::Packet(s), options_.byteUs);
                return;
            }
            break;
        case Fault::Short: {
            const qint64 limit = qint64(double(dump_.size()) * ShortShare);
            tell(QStringLiteral("request: %1 of %2 bytes, then silence")
                     .arg(limit)
                     .arg(dump_.size()));
            sender_.start(dump_, options_.byteUs, limit);
            return;
        }
        case Fault::Endless: {
            const LoggerDump::Record last =
                logger_.sets.isEmpty() || logger_.sets.constLast().records.isEmpty()
                    ? EndlessRecord
                    : logger_.sets.constLast().records.constLast();
            tell(QStringLiteral("request: %1 bytes, then records without end").arg(dump_.size()));
            sender_.start(dump_, options_.byteUs, -1, true, RecordBytes(last));
            return;
        }
        case Fault::None:
        case Fault::Silent:
            break;
    }
    tell(QStringLiteral("request: dump of %1 bytes").arg(dump_.size()));
    sender_.start(dump_, options_.byteUs);
}

void Simulator::onAnswerSent() {
    if (options_.loggerFault == SimOptions::LoggerFault::Short) {
        // A meter that stopped part-way stays silent.
        loggerState_ = LoggerState::Hung;
        tell(QStringLiteral("answer stopped; silent from now on"));
        return;
    }
    loggerState_ = LoggerState::Idle;
    tell(QStringLiteral("answer sent"));
    if (options_.periodMs > 0) {
        liveTimer_.start(options_.periodMs);
    }
}
