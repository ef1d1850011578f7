#pragma once

#include <QString>

#include "cli/Options.h"
#include "platform/SerialLink.h"

class Console;
class SignalNotifier;

// The sub-commands. Each returns its exit status; those that wait for the meter run the event
// loop until they are done.
Exit RunPorts(const Arguments& arguments, Console& console);
Exit RunRead(const Arguments& arguments, Console& console, SignalNotifier& stopSignals);
Exit RunRecord(const Arguments& arguments, Console& console, SignalNotifier& stopSignals);
Exit RunLogger(const Arguments& arguments, Console& console, SignalNotifier& stopSignals);
// Sorting cells into the inventory, and the inventory's own commands.
Exit RunSort(const Arguments& arguments, Console& console, SignalNotifier& stopSignals);
Exit RunCells(const Arguments& arguments, Console& console);
// print and plot: drawn by kelvomark-render, which this runs with the offscreen platform.
Exit RunRender(RenderOptions::Kind kind, const QStringList& arguments, const Arguments& parsed,
               Console& console, SignalNotifier& stopSignals);

namespace CommandSupport {

// Why the port could not be opened, naming it: "COM3 (/dev/ttyUSB0): busy: ...".
QString OpenFailure(const PortSpec& port, SerialLink::OpenResult result, const QString& path);
// The port option of a command; false with `error` when it is not a port.
bool PortOption(const Arguments& arguments, PortSpec& port, QString& error);
// Ends the event loop with `exit`.
void Quit(Exit exit);
// Runs the event loop; its exit status.
Exit Run();

}  // namespace CommandSupport
