#include <QTimer>
#include <chrono>
#include <limits>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/HeadlessMeter.h"
#include "cli/LinkMessages.h"
#include "cli/ReadingFormat.h"
#include "cli/SignalNotifier.h"
#include "core/meter/Receiver.h"

using namespace CommandSupport;

Exit RunRead(const Arguments& arguments, Console& console, SignalNotifier& stopSignals) {
    QString error;
    PortSpec port;
    if (!PortOption(arguments, port, error)) {
        console.message(QStringLiteral("read: ") + error);
        return Exit::Usage;
    }
    if (!arguments.positional().isEmpty()) {
        console.message(QStringLiteral("read: unexpected argument \"%1\"")
                            .arg(arguments.positional().constFirst()));
        return Exit::Usage;
    }
    qint64 count = 0;  // 0: until stopped
    if (arguments.isSet(QStringLiteral("count"))) {
        const QString text = arguments.value(QStringLiteral("count"));
        const auto value = OptionValues::Whole(text, 1, std::numeric_limits<qint64>::max());
        if (!value) {
            console.message(QStringLiteral("read: ") +
                            OptionValues::Refusal(QStringLiteral("count"), text,
                                                  QStringLiteral("a whole number of 1 or more")));
            return Exit::Usage;
        }
        count = *value;
    }
    qint64 timeoutS = 0;  // 0: waits for ever
    if (arguments.isSet(QStringLiteral("timeout"))) {
        const QString text = arguments.value(QStringLiteral("timeout"));
        const auto value = OptionValues::Whole(text, 0, 86400);
        if (!value) {
            return console.refuse(
                QStringLiteral("read"),
                OptionValues::Refusal(QStringLiteral("timeout"), text,
                                      QStringLiteral("a whole number of seconds from 0 to 86400")));
        }
        timeoutS = *value;
    }
    ReadingFormat::Format format = ReadingFormat::Format::Text;
    if (arguments.isSet(QStringLiteral("format"))) {
        const QString text = arguments.value(QStringLiteral("format"));
        const auto parsed = ReadingFormat::Parse(text);
        if (!parsed) {
            console.message(QStringLiteral("read: ") +
                            OptionValues::Refusal(QStringLiteral("format"), text,
                                                  QStringLiteral("text, tsv or json")));
            return Exit::Usage;
        }
        format = *parsed;
    }

    HeadlessMeter meter;
    const SerialLink::OpenResult opened = meter.open(port);
    if (opened != SerialLink::OpenResult::Ok) {
        console.message(OpenFailure(port, opened, meter.link().path()));
        return Exit::Failure;
    }
    LinkMessages messages(meter, port, console);
    // Started again by every reading: it runs out only after S seconds with none.
    QTimer silence;
    silence.setSingleShot(true);
    silence.setInterval(std::chrono::seconds(timeoutS));
    QObject::connect(&silence, &QTimer::timeout, &meter, [&] {
        Quit(console.fail(port.label(),
                          QStringLiteral("no reading came for %1 s (--timeout)").arg(timeoutS)));
    });
    qint64 shown = 0;
    QObject::connect(&meter.receiver(), &Receiver::readingDecoded, &meter, [&] {
        if (timeoutS > 0) {
            silence.start();
        }
        Console::out(ReadingFormat::Line(meter.meter, meter.clock().now(), format));
        if (count > 0 && shown >= count) {
            return;  // the loop is ending
        }
        if (++shown == count) {
            Quit(Exit::Success);
        }
    });
    QObject::connect(&stopSignals, &SignalNotifier::caught, &meter, [] { Quit(Exit::Success); });
    meter.startTicks();
    if (timeoutS > 0) {
        silence.start();
    }
    return Run();
}
