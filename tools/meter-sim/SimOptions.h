#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "SortSession.h"

// The simulator's command line.
struct SimOptions {
    enum class LoggerFault { None, Seven, Silent, Short, Endless };

    QString link;
    int periodMs = 250;  // live packets; 0 = none
    std::optional<int> status;
    std::optional<int> ohm;
    std::optional<int> volt;
    bool drift = false;  // drift even with fixed options
    QString scenario;
    QString logger = QStringLiteral("demo");
    bool loggerEndMarker = true;
    qint64 byteUs = 1042;  // 9600 baud: 10 bits a byte
    LoggerFault loggerFault = LoggerFault::None;
    quint32 seed = 1;
    bool verbose = false;
    // A sorting session: a cell file, or "random"; empty: none.
    QString sort;
    int openMs = 1500;
    int bounce = 3;  // readings
    int holdMs = 2000;
    int cells = 0;  // 0: the file once, or random cells without end
    SortSession::OpenShows openShows = SortSession::OpenShows::Overload;

    bool sorting() const { return !sort.isEmpty(); }
    bool randomCells() const { return sort == u"random"; }
    // The session's phases in whole readings at the live period.
    SortSession::Timing sortTiming() const;

    bool fixedReading() const { return (status || ohm || volt) && !drift; }

    enum class Outcome { Run, Help, Error };
    struct Parsed {
        Outcome outcome = Outcome::Error;
        QString text;  // the help text or the error
    };
    // `arguments` begins with the program name.
    static Parsed Parse(const QStringList& arguments, SimOptions& options);
};
