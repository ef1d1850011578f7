#include "core/port/PortChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

QString PortChoice::entryText(int number) {
    return QStringLiteral("COM  %1").arg(number);
}

QStringList PortChoice::allEntries() {
    QStringList entries;
    for (int n = 1; n <= ComMap::PortCount; ++n) {
        entries.append(entryText(n));
    }
    return entries;
}

std::optional<int> PortChoice::numberFor(const QString& text) {
    if (text == QLatin1String("Auto")) {
        return 1;
    }
    for (int n = 1; n <= ComMap::PortCount; ++n) {
        if (text == entryText(n)) {
            return n;
        }
    }
    return std::nullopt;
}

std::optional<int> PortChoice::writtenNumber(const QString& text, bool bare) {
    static const QRegularExpression com(QStringLiteral("^COM\\s*([0-9]+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression number(QStringLiteral("^([0-9]+)$"));
    const QString trimmed = text.trimmed();
    QRegularExpressionMatch match = com.match(trimmed);
    if (!match.hasMatch() && bare) {
        match = number.match(trimmed);
    }
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const int n = match.captured(1).toInt(&ok);
    return ok && n >= 1 && n <= ComMap::PortCount ? n : 0;
}

PortChoice::PortRequest PortChoice::request(const QString& value, const QVector<ComPort>& map,
                                            const ComMap::Resolver& resolve) {
    PortRequest result;
    if (const std::optional<int> number = writtenNumber(value, false)) {
        if (*number == 0) {
            result.error =
                QStringLiteral("%1 is not one of COM1 to COM%2").arg(value).arg(ComMap::PortCount);
        } else {
            result.number = *number;
        }
        return result;
    }
    if (value.isEmpty()) {
        result.error = QStringLiteral("the port is empty");
        return result;
    }

    QString path = QFileInfo(value).absoluteFilePath();
    if (!value.contains(u'/') && !QFileInfo::exists(path)) {
        path = QStringLiteral("/dev/") + value;
    }
    path = QDir::cleanPath(path);
    const QString device = resolve(path);
    for (const ComPort& port : map) {
        if (port.path == path || resolve(port.path) == device) {
            result.number = port.number;
            return result;
        }
    }
    if (!QFileInfo::exists(path)) {
        result.error = QStringLiteral("%1: no such device").arg(value);
        return result;
    }
    // The lowest free number, so that every other number keeps its device.
    for (int n = 1; n <= ComMap::PortCount && result.number == 0; ++n) {
        if (!ComMap::find(map, n)) {
            result.number = n;
        }
    }
    if (result.number == 0) {
        result.error =
            QStringLiteral("%1: every COM number already stands for a device").arg(value);
        return result;
    }
    result.path = path;
    result.pin = true;
    return result;
}

QString PortChoice::deviceLine(const QString& text, const QVector<ComPort>& map) {
    const std::optional<int> number = numberFor(text);
    if (!number) {
        return QStringLiteral("Choose one of COM  1 to COM  16.");
    }
    const ComPort* port = ComMap::find(map, *number);
    if (!port) {
        return QStringLiteral("COM %1 stands for no device.").arg(*number);
    }
    QString line = QStringLiteral("COM %1 is %2").arg(*number).arg(port->path);
    const QString about =
        !port->device.description.isEmpty() ? port->device.description : port->device.manufacturer;
    if (!about.isEmpty()) {
        line += QStringLiteral(" (%1)").arg(about);
    }
    return line;
}

QVector<int> PortChoice::scan(const QVector<ComPort>& map,
                              const std::function<void(int)>& progress) {
    QVector<int> found;
    for (int n = 1; n <= ComMap::PortCount; ++n) {
        if (progress) {
            progress(n);
        }
        const ComPort* port = ComMap::find(map, n);
        if (!port) {
            continue;
        }
        const SerialLink::OpenResult result = SerialLink::probe(port->path);
        if (result == SerialLink::OpenResult::Ok || result == SerialLink::OpenResult::Busy) {
            found.append(n);
        }
    }
    return found;
}

QVector<PortChoice::DeviceRow> PortChoice::deviceRows(const QVector<ComPort>& map,
                                                      const QVector<SerialDevice>& devices) {
    QVector<DeviceRow> rows;
    QSet<QString> listed;
    const auto rowOf = [](int number, const QString& path, const SerialDevice& device) {
        DeviceRow row;
        row.number = number;
        row.path = path;
        row.description = device.description;
        row.maker = device.manufacturer;
        row.usbId = device.usbId();
        row.serialNumber = device.serialNumber;
        row.state = SerialLink::probe(path);
        return row;
    };
    for (const ComPort& port : map) {
        rows.append(rowOf(port.number, port.path, port.device));
        listed.insert(ComMap::resolveLinks(port.path));
    }
    for (const SerialDevice& device : devices) {
        if (!listed.contains(ComMap::resolveLinks(device.systemLocation))) {
            rows.append(rowOf(0, device.systemLocation, device));
        }
    }
    return rows;
}

QString PortChoice::stateText(SerialLink::OpenResult state) {
    switch (state) {
        case SerialLink::OpenResult::Ok:
            return QStringLiteral("free");
        case SerialLink::OpenResult::Busy:
            return QStringLiteral("busy");
        case SerialLink::OpenResult::NoPermission:
            return QStringLiteral("not permitted");
        case SerialLink::OpenResult::Missing:
            return QStringLiteral("missing");
        case SerialLink::OpenResult::Failed:
            break;
    }
    return QStringLiteral("cannot be opened");
}
