#include <QFileInfo>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "core/port/PortChoice.h"
#include "platform/ComMap.h"

namespace {

// What a device is, from the name of the device it finally stands for.
QString Kind(const PortChoice::DeviceRow& row, const QVector<SerialDevice>& devices) {
    const QString device = ComMap::resolveLinks(row.path);
    if (!QFileInfo::exists(device)) {
        return QStringLiteral("unknown");
    }
    if (device.startsWith(QLatin1String("/dev/pts/"))) {
        return QStringLiteral("pseudo-terminal");
    }
    if (ComMap::isUsbAdapter(QFileInfo(device).fileName()) || !row.usbId.isEmpty()) {
        return QStringLiteral("USB adapter");
    }
    for (const SerialDevice& info : devices) {
        if (ComMap::resolveLinks(info.systemLocation) == device && info.hasUsbId) {
            return QStringLiteral("USB adapter");
        }
    }
    return QStringLiteral("built-in");
}

}  // namespace

Exit RunPorts(const Arguments& arguments, Console& console) {
    if (!arguments.positional().isEmpty()) {
        console.message(QStringLiteral("ports: unexpected argument \"%1\"")
                            .arg(arguments.positional().constFirst()));
        return Exit::Usage;
    }
    const QVector<SerialDevice> devices = ComMap::systemDevices();
    const QVector<PortChoice::DeviceRow> rows = PortChoice::deviceRows(ComMap::current(), devices);
    bool notPermitted = false;
    for (const PortChoice::DeviceRow& row : rows) {
        QStringList fields = {
            row.number > 0 ? QStringLiteral("COM %1").arg(row.number) : QStringLiteral("-"),
            row.path, Kind(row, devices), PortChoice::stateText(row.state)};
        for (const QString& about : {row.description, row.maker, row.usbId, row.serialNumber}) {
            fields.append(about);
        }
        while (fields.size() > 4 && fields.constLast().isEmpty()) {
            fields.removeLast();
        }
        Console::out(fields.join(u'\t'));
        notPermitted |= row.state == SerialLink::OpenResult::NoPermission;
    }
    if (rows.isEmpty()) {
        console.message(QStringLiteral("no serial device found"));
    }
    if (notPermitted) {
        console.message(
            QStringLiteral("a device that is not permitted needs your user in the dialout group: "
                           "sudo adduser $USER dialout, then log out and in again"));
    }
    return Exit::Success;
}
