#include "cli/LinkMessages.h"

#include "cli/Console.h"
#include "cli/HeadlessMeter.h"
#include "core/meter/Receiver.h"
#include "platform/TextRules.h"

LinkMessages::LinkMessages(HeadlessMeter& meter, const PortSpec& port, Console& console)
    : QObject(&meter), meter_(meter), port_(port), console_(console) {
    connect(&meter.receiver(), &Receiver::noDataChanged, this, [this](bool noData) {
        if (noData && meter_.link().isLost()) {
            return;  // the device went away: said when it did
        }
        say(noData ? QStringLiteral("No COM: the meter has sent nothing for 5 s")
                   : QStringLiteral("the meter is sending again"));
    });
    connect(&meter.link(), &SerialLink::lost, this, [this] {
        say(device() + QStringLiteral(" went away; opening it again every second"));
    });
    connect(&meter.link(), &SerialLink::restored, this,
            [this] { say(device() + QStringLiteral(" is back")); });
}

// The device path after a COM number; after a path, which every message begins with, no repeat.
QString LinkMessages::device() const {
    return port_.path.isEmpty() ? meter_.link().path() : QStringLiteral("the device");
}

void LinkMessages::say(const QString& text) {
    console_.message(port_.label() + QStringLiteral(": ") + text + QStringLiteral(" (") +
                     TextRules::FormatStamp(meter_.clock().now()) + u')');
}
