#pragma once

#include <QString>
#include <QVector>
#include <optional>

// A scenario: timed events, one a line, "<seconds> <command> [arguments]", "#" starts a
// comment. The times count from the moment the device is first opened. Each command is one row
// of the table in Scenario.cpp and one case in Simulator::apply.
namespace Scenario {

enum class Command {
    Status,     // status N: the whole status byte
    Counts,     // counts OHM VOLT: fixed counts, drift off
    Range,      // range OHMCODE VOLT40: the ranges, flags kept
    Overload,   // overload ohm|volt|both|off
    Negative,   // negative on|off
    NoReading,  // noreading on|off: "----"
    Silence,    // silence SECONDS: no live packets
    Misframe,   // misframe COUNT [start|end]: the next COUNT packets with a wrong start or end
    Garbage,    // garbage COUNT: random bytes now
    Burst,      // burst COUNT: COUNT bytes of packets back to back, now
    Drift,      // drift on|off
    Restart,    // restart: the scenario begins again from its first line
    Quit,       // quit: the simulator exits
};

// Misframe kinds; Alternate gives a wrong start byte, then a wrong end byte, and so on.
enum Misframe { Alternate = 0, WrongStart = 1, WrongEnd = 2 };
// Overload arguments, as the status bits they set.
enum Overload { OverloadOff = 0x00, OverloadOhm = 0x10, OverloadVolt = 0x20, OverloadBoth = 0x30 };

struct Event {
    qint64 atMs = 0;
    Command command = Command::Quit;
    QVector<qint64> args;  // numbers, switches as 0/1, seconds in milliseconds, kinds as enums
    int line = 0;
};

// Whether the command sets the reading (ranges, flags, counts, drift) rather than the line.
bool SetsReading(Command command);

// The events in time order (events at the same time keep their order in the text), or an
// error "line N: ..." in `error`.
std::optional<QVector<Event>> Parse(const QString& text, QString* error);

}  // namespace Scenario
