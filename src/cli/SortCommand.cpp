#include <unistd.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QUuid>
#include <limits>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/HeadlessMeter.h"
#include "cli/LinkMessages.h"
#include "cli/ReadingFormat.h"
#include "cli/SignalNotifier.h"
#include "core/cells/BenchInventory.h"
#include "core/cells/CaptureMachine.h"
#include "core/cells/CaptureRecord.h"
#include "core/cells/Verdict.h"
#include "core/meter/Receiver.h"
#include "platform/TextRules.h"

using namespace CommandSupport;

namespace {

struct SortOptions {
    PortSpec port;
    QString db;
    QString prefix = QStringLiteral("C");
    qint64 count = 0;  // 0: until stopped
    ReadingFormat::Format format = ReadingFormat::Format::Text;
    Profile limits;  // the line's limits, over the profile's
    CaptureSettings settings;
};

QString orDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}

QJsonValue jsonNumber(double value) {
    return std::isnan(value) ? QJsonValue(QJsonValue::Null) : QJsonValue(value);
}

QString CaptureLine(const NewMeasurement& m, const QString& id, const QString& uuid,
                    ReadingFormat::Format format) {
    const QString time = TextRules::IsoTime(m.time);
    switch (format) {
        case ReadingFormat::Format::Text: {
            QString line = id + QStringLiteral("  ") + time + QStringLiteral("  ") +
                           VerdictName(m.verdict) + QStringLiteral("  ") + m.ohmText + u' ' +
                           m.ohmUnit + QStringLiteral("  ") + m.voltText +
                           QStringLiteral(" V  bin ") + orDash(m.bin);
            if (!m.reasons.isEmpty()) {
                line += QStringLiteral("  ") + m.reasons.join(QStringLiteral("; "));
            }
            if (m.remeasure) {
                line += QStringLiteral("  remeasure");
            }
            return line;
        }
        case ReadingFormat::Format::Tsv:
            return QStringList{
                id,
                time,
                TextRules::GeneralNumber(m.milliohms),
                TextRules::GeneralNumber(m.volts),
                m.ohmText,
                m.ohmUnit,
                m.voltText,
                VerdictName(m.verdict),
                m.reasons.isEmpty() ? QStringLiteral("-") : m.reasons.join(QStringLiteral("; ")),
                orDash(m.bin),
                m.remeasure ? QStringLiteral("true") : QStringLiteral("false")}
                .join(u'\t');
        case ReadingFormat::Format::Json: {
            const QJsonObject object{
                {QStringLiteral("id"), id},
                {QStringLiteral("time"), time},
                {QStringLiteral("ir_mohm"), jsonNumber(m.milliohms)},
                {QStringLiteral("volt"), jsonNumber(m.volts)},
                {QStringLiteral("ohm_text"), m.ohmText},
                {QStringLiteral("ohm_unit"), m.ohmUnit},
                {QStringLiteral("volt_text"), m.voltText},
                {QStringLiteral("verdict"), VerdictName(m.verdict)},
                {QStringLiteral("reasons"), QJsonArray::fromStringList(m.reasons)},
                {QStringLiteral("bin"),
                 m.bin.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(m.bin)},
                {QStringLiteral("remeasure"), m.remeasure},
                {QStringLiteral("uuid"), uuid},
                {QStringLiteral("session"), m.session},
            };
            return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
        }
    }
    return QString();
}

bool ParseSort(const Arguments& arguments, SortOptions& options, QString& error) {
    if (!PortOption(arguments, options.port, error)) {
        return false;
    }
    if (!arguments.positional().isEmpty()) {
        error = QStringLiteral("unexpected argument \"%1\"").arg(arguments.positional().first());
        return false;
    }
    options.db = arguments.isSet(QStringLiteral("db")) ? arguments.value(QStringLiteral("db"))
                                                       : Inventory::DefaultLocation();
    if (arguments.isSet(QStringLiteral("prefix"))) {
        options.prefix = arguments.value(QStringLiteral("prefix")).trimmed();
        if (options.prefix.isEmpty() || options.prefix.size() > 32) {
            error = OptionValues::Refusal(QStringLiteral("prefix"),
                                          arguments.value(QStringLiteral("prefix")),
                                          QStringLiteral("a text of 1 to 32 characters"));
            return false;
        }
    }
    if (arguments.isSet(QStringLiteral("count"))) {
        const QString text = arguments.value(QStringLiteral("count"));
        const auto value = OptionValues::Whole(text, 1, std::numeric_limits<qint64>::max());
        if (!value) {
            error = OptionValues::Refusal(QStringLiteral("count"), text,
                                          QStringLiteral("a whole number of 1 or more"));
            return false;
        }
        options.count = *value;
    }
    if (arguments.isSet(QStringLiteral("format"))) {
        const QString text = arguments.value(QStringLiteral("format"));
        const auto parsed = ReadingFormat::Parse(text);
        if (!parsed) {
            error = OptionValues::Refusal(QStringLiteral("format"), text,
                                          QStringLiteral("text, tsv or json"));
            return false;
        }
        options.format = *parsed;
    }
    if (arguments.isSet(QStringLiteral("settle"))) {
        const QString text = arguments.value(QStringLiteral("settle"));
        const auto value = OptionValues::Whole(text, 1, 40);
        if (!value) {
            error = OptionValues::Refusal(QStringLiteral("settle"), text,
                                          QStringLiteral("a whole number from 1 to 40"));
            return false;
        }
        options.settings.settle = int(*value);
    }
    return MilliohmOption(arguments, QStringLiteral("ir-pass"), options.limits.irPass, error) &&
           MilliohmOption(arguments, QStringLiteral("ir-fail"), options.limits.irFail, error) &&
           WindowOption(arguments, QStringLiteral("volt-pass"), options.limits.voltPass, error) &&
           WindowOption(arguments, QStringLiteral("volt-warn"), options.limits.voltWarn, error);
}

// The IDs typed on standard input, one a line: each names the next capture.
class TypedIds : public QObject {
  public:
    explicit TypedIds(QObject* parent)
        : QObject(parent), notifier_(STDIN_FILENO, QSocketNotifier::Read) {
        connect(&notifier_, &QSocketNotifier::activated, this, &TypedIds::onReadable);
    }
    // The ID typed last, once; empty when none was.
    QString take() {
        QString id = next_;
        next_.clear();
        return id;
    }
    const QString& next() const { return next_; }

  private:
    void onReadable() {
        char bytes[4096];
        const ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (n <= 0) {
            notifier_.setEnabled(false);  // the end of the input, or nothing to read from
            return;
        }
        pending_.append(bytes, n);
        qsizetype end;
        while ((end = pending_.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending_.left(end)).trimmed();
            pending_.remove(0, end + 1);
            if (!line.isEmpty()) {
                next_ = line;
            }
        }
    }

    QSocketNotifier notifier_;
    QByteArray pending_;
    QString next_;
};

}  // namespace

Exit RunSort(const Arguments& arguments, Console& console, SignalNotifier& stopSignals) {
    SortOptions options;
    QString error;
    if (!ParseSort(arguments, options, error)) {
        console.message(QStringLiteral("sort: ") + error);
        return Exit::Usage;
    }
    BenchInventory inventory;
    // A server that goes away, or comes back, is said in one line; sorting goes on.
    QObject::connect(&inventory, &BenchInventory::statusChanged, &inventory,
                     [&](const QString& line) {
                         if (!line.isEmpty()) {
                             console.message(QStringLiteral("sort: ") + line);
                         }
                     });
    if (!inventory.open(options.db)) {
        console.message(QStringLiteral("sort: ") + inventory.error());
        return Exit::Failure;
    }
    Profile profile;
    if (arguments.isSet(QStringLiteral("profile"))) {
        const QString name = arguments.value(QStringLiteral("profile"));
        const std::optional<Profile> found = inventory.profile(name);
        if (!found) {
            console.message(QStringLiteral("sort: the inventory %1 has no profile \"%2\" "
                                           "(kelvomark-cli cells profiles lists them)")
                                .arg(options.db, name));
            return Exit::Failure;
        }
        profile = *found;
    }
    const Profile& line = options.limits;
    profile.irPass = line.irPass ? line.irPass : profile.irPass;
    profile.irFail = line.irFail ? line.irFail : profile.irFail;
    profile.voltPass = line.voltPass ? line.voltPass : profile.voltPass;
    profile.voltWarn = line.voltWarn ? line.voltWarn : profile.voltWarn;
    Profile check = profile;
    check.name = profile.name.isEmpty() ? QStringLiteral("the line's limits") : profile.name;
    const QString problem = check.problem();
    if (!problem.isEmpty()) {
        console.message(QStringLiteral("sort: ") + problem);
        return Exit::Usage;
    }

    HeadlessMeter meter;
    const SerialLink::OpenResult opened = meter.open(options.port);
    if (opened != SerialLink::OpenResult::Ok) {
        console.message(OpenFailure(options.port, opened, meter.link().path()));
        return Exit::Failure;
    }
    LinkMessages messages(meter, options.port, console);
    CaptureMachine machine;
    machine.setSettings(options.settings);
    TypedIds typed(&meter);
    const QString session = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString host = QSysInfo::machineHostName();
    qint64 stored = 0;
    bool lost = false;

    QObject::connect(&meter.receiver(), &Receiver::readingDecoded, &machine,
                     [&] { machine.feed(CellReading::FromMeter(meter.meter)); });
    QObject::connect(&meter.receiver(), &Receiver::noDataChanged, &machine, [&](bool noData) {
        if (noData) {
            machine.reset();
        }
    });
    QObject::connect(&machine, &CaptureMachine::stateChanged, &machine, [&](CaptureState state) {
        if (state == CaptureState::Captured) {
            return;
        }
        QString text = CaptureStateText(state);
        if (!typed.next().isEmpty()) {
            text += QStringLiteral("  (next: %1)").arg(typed.next());
        }
        console.progress(text);
    });
    QObject::connect(&machine, &CaptureMachine::captured, &machine, [&](const Capture& capture) {
        if (options.count > 0 && stored >= options.count) {
            return;  // the loop is ending
        }
        CapturePlace place;
        place.cellId = typed.take();
        place.prefix = options.prefix;
        place.profile = profile;
        place.time = meter.clock().now();
        place.session = session;
        place.host = host;
        place.port = options.port.label();
        const NewMeasurement m = RecordCapture(capture, place, inventory).measurement;
        const QString id = inventory.add(m);
        if (id.isEmpty()) {
            lost = true;
            console.message(
                QStringLiteral("sort: the capture %1 %2 %3 V was not stored: %4; "
                               "measure the cell again")
                    .arg(capture.ohmText, capture.ohmUnit, capture.voltText, inventory.error()));
            return;
        }
        console.progress(QString());
        Console::out(CaptureLine(m, id, m.uuid, options.format));
        if (++stored == options.count) {
            Quit(lost ? Exit::Failure : Exit::Success);
        }
    });
    QObject::connect(&stopSignals, &SignalNotifier::caught, &meter,
                     [&] { Quit(lost ? Exit::Failure : Exit::Success); });
    console.progress(CaptureStateText(machine.state()));
    meter.startTicks();
    const Exit exit = Run();
    console.endProgress();
    // A server back since the last try gets what waits before the end.
    if (inventory.waiting() > 0) {
        inventory.upload();
    }
    if (const int waiting = inventory.waiting(); waiting > 0) {
        console.message(QStringLiteral("sort: %1 kept on this bench for the server; they go up "
                                       "when a program next reaches it (kelvomark-cli cells "
                                       "upload)")
                            .arg(waiting == 1 ? QStringLiteral("1 capture")
                                              : QStringLiteral("%1 captures").arg(waiting)));
    }
    return exit;
}
