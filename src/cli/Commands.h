#pragma once

#include <QString>
#include <optional>

#include "cli/Options.h"
#include "core/cells/Profile.h"
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
// pack: matches cells from a CSV file or the inventory into an S×P pack.
Exit RunPack(const Arguments& arguments, Console& console);
// print and plot: drawn by kelvomark-render, which this runs with the offscreen platform.
Exit RunRender(RenderOptions::Kind kind, const QStringList& arguments, const Arguments& parsed,
               Console& console, SignalNotifier& stopSignals);

namespace CommandSupport {

// Why the port could not be opened, naming it: "COM3 (/dev/ttyUSB0): busy: ...".
QString OpenFailure(const PortSpec& port, SerialLink::OpenResult result, const QString& path);
// The port option of a command; false with `error` when it is not a port.
bool PortOption(const Arguments& arguments, PortSpec& port, QString& error);
// Whether a command may write `path`: not a folder, not an existing file unless `overwrite`, in
// a folder that exists and takes new files. False with the message that says why not.
bool CheckOutput(const QString& path, bool overwrite, QString& error);
// Whether new files can be made in `dir`, tried by making one; false with the message.
bool CheckFolder(const QString& dir, QString& error);
// kelvomark-render beside this program or where it is installed; empty when it is neither.
QString RendererPath();
// A limit option: a number of 0 or more (what the number is, for the refusal: "a resistance in
// milliohms"), or a voltage window "MIN,MAX". Unset options leave `limit` as it was; false with
// `error`.
bool NumberOption(const Arguments& arguments, const QString& name, const QString& what,
                  std::optional<double>& limit, QString& error);
bool MilliohmOption(const Arguments& arguments, const QString& name, std::optional<double>& limit,
                    QString& error);
bool WindowOption(const Arguments& arguments, const QString& name, std::optional<Window>& window,
                  QString& error);
// Ends the event loop with `exit`.
void Quit(Exit exit);
// Runs the event loop; its exit status.
Exit Run();

}  // namespace CommandSupport
