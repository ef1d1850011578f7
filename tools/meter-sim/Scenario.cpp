#include "Scenario.h"

#include <QStringList>
#include <algorithm>
#include <functional>

#include "SimText.h"

namespace Scenario {

namespace {

// One argument: reads a word into a number, or gives nullopt with `expected` as the message.
struct ArgKind {
    const char* expected;
    std::function<std::optional<qint64>(QStringView)> read;
};

std::optional<qint64> Word(QStringView word,
                           std::initializer_list<std::pair<const char*, int>> map) {
    for (const auto& [name, value] : map) {
        if (word == QLatin1StringView(name)) {
            return value;
        }
    }
    return std::nullopt;
}

const ArgKind Byte{"a byte 0..255", [](QStringView w) { return SimText::Integer(w, 0, 255); }};
const ArgKind Count16{"a count 0..65535",
                      [](QStringView w) { return SimText::Integer(w, 0, 65535); }};
const ArgKind Bytes{"a byte count 1..65536",
                    [](QStringView w) { return SimText::Integer(w, 1, 65536); }};
const ArgKind Packets{"a packet count 1..100000",
                      [](QStringView w) { return SimText::Integer(w, 1, 100000); }};
const ArgKind OhmCode{"a resistance range code 0..3",
                      [](QStringView w) { return SimText::Integer(w, 0, 3); }};
const ArgKind Bit{"0 or 1", [](QStringView w) { return SimText::Integer(w, 0, 1); }};
const ArgKind Seconds{"seconds 0..86400",
                      [](QStringView w) { return SimText::SecondsAsMs(w, 86400.0); }};
const ArgKind Switch{"on or off", [](QStringView w) -> std::optional<qint64> {
                         if (const auto on = SimText::OnOff(w)) {
                             return *on ? 1 : 0;
                         }
                         return std::nullopt;
                     }};
const ArgKind Overloads{"ohm, volt, both or off", [](QStringView w) {
                            return Word(w, {{"ohm", OverloadOhm},
                                            {"volt", OverloadVolt},
                                            {"both", OverloadBoth},
                                            {"off", OverloadOff}});
                        }};
const ArgKind MisframeKind{"start or end", [](QStringView w) {
                               return Word(w, {{"start", WrongStart}, {"end", WrongEnd}});
                           }};

struct CommandRow {
    const char* name;
    Command command;
    std::vector<const ArgKind*> args;
    std::vector<const ArgKind*> optionalArgs;
};

const std::vector<CommandRow>& Commands() {
    static const std::vector<CommandRow> rows = {
        {"status", Command::Status, {&Byte}, {}},
        {"counts", Command::Counts, {&Count16, &Count16}, {}},
        {"range", Command::Range, {&OhmCode, &Bit}, {}},
        {"overload", Command::Overload, {&Overloads}, {}},
        {"negative", Command::Negative, {&Switch}, {}},
        {"noreading", Command::NoReading, {&Switch}, {}},
        {"silence", Command::Silence, {&Seconds}, {}},
        {"misframe", Command::Misframe, {&Packets}, {&MisframeKind}},
        {"garbage", Command::Garbage, {&Bytes}, {}},
        {"burst", Command::Burst, {&Bytes}, {}},
        {"drift", Command::Drift, {&Switch}, {}},
        {"restart", Command::Restart, {}, {}},
        {"quit", Command::Quit, {}, {}},
    };
    return rows;
}

QString Usage(const CommandRow& row) {
    QString usage = QString::fromLatin1(row.name);
    for (const ArgKind* kind : row.args) {
        usage += QStringLiteral(" <%1>").arg(QString::fromLatin1(kind->expected));
    }
    for (const ArgKind* kind : row.optionalArgs) {
        usage += QStringLiteral(" [%1]").arg(QString::fromLatin1(kind->expected));
    }
    return usage;
}

}  // namespace

bool SetsReading(Command command) {
    switch (command) {
        case Command::Status:
        case Command::Counts:
        case Command::Range:
        case Command::Overload:
        case Command::Negative:
        case Command::NoReading:
        case Command::Drift:
            return true;
        case Command::Silence:
        case Command::Misframe:
        case Command::Garbage:
        case Command::Burst:
        case Command::Restart:
        case Command::Quit:
            return false;
    }
    return false;
}

std::optional<QVector<Event>> Parse(const QString& text, QString* error) {
    QVector<Event> events;
    const bool read = SimText::ReadLines(text, error, [&](const QStringList& words, int line) {
        Event event;
        event.line = line;
        const auto at = SimText::SecondsAsMs(words.at(0), 86400.0 * 365);
        if (!at) {
            return QStringLiteral("\"%1\" is not a time in seconds").arg(words.at(0));
        }
        event.atMs = *at;
        if (words.size() < 2) {
            return QStringLiteral("a command must follow the time");
        }
        const auto& rows = Commands();
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const CommandRow& r) {
            return words.at(1) == QLatin1StringView(r.name);
        });
        if (row == rows.end()) {
            return QStringLiteral("unknown command \"%1\"").arg(words.at(1));
        }
        event.command = row->command;
        const qsizetype given = words.size() - 2;
        const qsizetype required = qsizetype(row->args.size());
        if (given < required || given > required + qsizetype(row->optionalArgs.size())) {
            return QStringLiteral("usage: <seconds> %1").arg(Usage(*row));
        }
        for (qsizetype a = 0; a < given; ++a) {
            const ArgKind* kind =
                a < required ? row->args.at(size_t(a)) : row->optionalArgs.at(size_t(a - required));
            const auto value = kind->read(words.at(a + 2));
            if (!value) {
                return QStringLiteral("%1: \"%2\" is not %3")
                    .arg(QString::fromLatin1(row->name), words.at(a + 2),
                         QString::fromLatin1(kind->expected));
            }
            event.args.append(*value);
        }
        if (event.command == Command::Restart && event.atMs == 0) {
            return QStringLiteral("restart needs a time after 0");
        }
        events.append(event);
        return QString();
    });
    if (!read) {
        return std::nullopt;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.atMs < b.atMs; });
    return events;
}

}  // namespace Scenario
