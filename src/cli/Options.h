#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

#include "cli/Help.h"

// The exit statuses of every command.
enum class Exit { Success = 0, Failure = 1, Usage = 2 };

// The arguments of one command, parsed against the options its help page lists.
class Arguments {
  public:
    Arguments(const Help::Page& page, const QStringList& arguments);

    // False with error() for an unknown option or an option without its value.
    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    bool wantsHelp() const { return help_; }

    // The one file a command takes; false with `error` when there is none (`missing` says
    // what) or more than one.
    bool oneFile(const QString& missing, QString& file, QString& error) const;

    bool isSet(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    // Every value of an option given more than once, in order.
    QStringList values(const QString& name) const { return parser_.values(name); }
    QStringList positional() const { return parser_.positionalArguments(); }

  private:
    QString parseError(const Help::Page& page, const QStringList& arguments) const;

    QCommandLineParser parser_;
    QString error_;
    bool help_ = false;
};

// Values as typed on the command line: strict, in the C locale, each with the one line that
// says what is wrong with it.
namespace OptionValues {

// A whole decimal number in min..max.
std::optional<qint64> Whole(const QString& text, qint64 min, qint64 max);
// Seconds: a whole number, or one followed by s, m, h or d; 1 second to 10 years.
std::optional<qint64> Seconds(const QString& text);
// Numbers separated by commas, each finite.
std::optional<QVector<double>> Numbers(const QString& text);

// "unknown option "--colour" (kelvomark-cli read --help tells more)"; `command` empty for the
// program's own options.
QString UnknownOption(const QString& option, const QString& command);
// "--name: "text" is not ...".
QString Refusal(const QString& option, const QString& text, const QString& expected);

}  // namespace OptionValues

// The meter's port: a COM number, through the COM map, or a device path.
struct PortSpec {
    int comNo = 1;
    QString path;  // set for a device path; the COM number is then 0

    // "COM1" or the path, for messages.
    QString label() const;
    // "COM3", "COM 3", "com3", "3" and the port dialog's "COM  3" give 3 (1 to 16); text with
    // a "/" is a device path; anything else is refused.
    static std::optional<PortSpec> Parse(const QString& text);
};

// A plot scale as the Plot Range dialog takes it: the value on the middle line and the one on
// the top line.
struct PlotScale {
    double middle = 0;
    double top = 0;
    // "MIN,MAX", or "MIN,MID,MAX" with MID their mean; error() says why not.
    static std::optional<PlotScale> Parse(const QString& text, QString& error);
};

struct PlotRows {
    double first = 0;
    double last = 0;
    static std::optional<PlotRows> Parse(const QString& text, QString& error);
};

// What print and plot are told; kelvomark-cli checks them and kelvomark-render reads them again
// from the same arguments.
struct RenderOptions {
    enum class Kind { Print, Plot };
    Kind kind = Kind::Print;
    QString file;
    QString png;
    QString pdf;
    QString paper;         // "A4" or "Letter"
    bool anyFile = false;  // read even a file that does not start as a recording or a list
    std::optional<PlotScale> ohm;
    std::optional<PlotScale> volt;
    std::optional<PlotRows> rows;

    // False with `error` for missing or bad values.
    static bool Parse(Kind kind, const Arguments& arguments, RenderOptions& options,
                      QString& error);
};
