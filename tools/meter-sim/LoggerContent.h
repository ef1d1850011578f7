#pragma once

#include <QString>
#include <QVector>
#include <optional>

#include "core/logger/LoggerDump.h"

// What the simulated data logger holds: its sets, and whether EndMarker follows the last one.
struct LoggerContent {
    QVector<LoggerDump::Set> sets;
    bool endMarker = true;

    QByteArray dump() const { return LoggerDump::build(sets, endMarker); }

    static LoggerContent Empty() { return {}; }
    // Three small sets: 12 records at 10 s in 40 mOhm / 4 V, 25 records at 10 s in
    // 400 mOhm / 40 V, 8 records at 60 s in 4 Ohm / 4 V.
    static LoggerContent Demo();
    // A logger with its memory full (4 bytes left), the largest set 9000 records.
    static LoggerContent Full();

    // "empty", "demo", "full" or the path of a logger file.
    static std::optional<LoggerContent> Load(const QString& what, QString* error);
    // A logger file, one set a line: "<sampling> <status> <records> [pattern]", and an
    // optional "endmarker on|off" line. Errors read "line N: ...".
    static std::optional<LoggerContent> Parse(const QString& text, QString* error);
};

// How the counts of a set's records run; the status byte is the set's for every record.
// Counts are 16 bits and wrap; within 0..9999 they are what the meter's four digits show.
struct RecordPattern {
    enum Kind { Const, Ramp, Wave };
    Kind kind = Wave;
    int ohm = 1850;
    int volt = 3700;
    int ohmStep = 300;  // Ramp: added per record; Wave: the amplitude
    int voltStep = 100;
    int period = 60;  // Wave: records per full swing

    QVector<LoggerDump::Record> records(int count, quint8 status) const;
};
