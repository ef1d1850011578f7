#pragma once

#include <QString>
#include <QStringList>
#include <optional>

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

    bool fixedReading() const { return (status || ohm || volt) && !drift; }

    enum class Outcome { Run, Help, Error };
    struct Parsed {
        Outcome outcome = Outcome::Error;
        QString text;  // the help text or the error
    };
    // `arguments` begins with the program name.
    static Parsed Parse(const QStringList& arguments, SimOptions& options);
};
