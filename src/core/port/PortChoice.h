#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

#include "platform/ComMap.h"
#include "platform/SerialLink.h"

// The port dialog's rules, apart from its window.
namespace PortChoice {

// "COM  1" .. "COM  16": two blanks, no leading zero.
QString entryText(int number);
QStringList allEntries();

// The COM number a text of the port dialog stands for: "Auto" is 1, "COM  1" to "COM  16"
// their number; the match is exact and case-sensitive. Nothing for any other text.
std::optional<int> numberFor(const QString& text);

// A COM number written out: "COM3", "com 3", the list's "COM  3" and, when `bare`, "3". Nothing
// when the text is no such thing; 0 when it names a number outside 1 to 16.
std::optional<int> writtenNumber(const QString& text, bool bare);

// What a port named on the command line stands for: "COMn" (any case, blanks allowed before
// the number) is COM n of 1 to 16; anything else is a device path, relative to the working
// folder or, as a bare name, to /dev. A path is found in `map` by the device it finally stands
// for; a path that exists but is not in the map gets the lowest number that stands for no
// device (`pin`: the caller names it so), so that every other number keeps its device.
struct PortRequest {
    int number = 0;  // 0: see error
    QString path;    // the device path to pin as COM number
    bool pin = false;
    QString error;
};
PortRequest request(const QString& value, const QVector<ComPort>& map,
                    const ComMap::Resolver& resolve = ComMap::resolveLinks);

// The line under the choice: which device the text's COM number stands for.
QString deviceLine(const QString& text, const QVector<ComPort>& map);

// Tries COM 1 to 16 of `map` and gives the numbers that opened or were busy; every port it
// opened is closed again. `progress` hears each number before it is tried.
QVector<int> scan(const QVector<ComPort>& map, const std::function<void(int)>& progress = {});

// One serial device as the "Serial Devices" window lists it.
struct DeviceRow {
    int number = 0;  // COM number, 0 when the device has none
    QString path;
    QString description;
    QString maker;
    QString usbId;
    QString serialNumber;
    SerialLink::OpenResult state = SerialLink::OpenResult::Missing;
};

// Every mapped COM number in order, then the system's devices that have no number. Each device
// is tried (opened and closed) to learn whether it is free, busy or not permitted.
QVector<DeviceRow> deviceRows(const QVector<ComPort>& map, const QVector<SerialDevice>& devices);
QString stateText(SerialLink::OpenResult state);

}  // namespace PortChoice
