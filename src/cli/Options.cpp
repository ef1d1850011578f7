#include "cli/Options.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "core/port/PortChoice.h"

Arguments::Arguments(const Help::Page& page, const QStringList& arguments) {
    for (const Help::Item& item : page.options()) {
        parser_.addOption(QCommandLineOption(item.names, item.text, item.value));
    }
    if (!parser_.parse(QStringList{Help::programName()} + arguments)) {
        error_ = parseError(page, arguments);
        return;
    }
    help_ = parser_.isSet(QStringLiteral("help"));
}

// Qt's own texts ("Unknown option 'colour'.") in the words of every other refusal.
QString Arguments::parseError(const Help::Page& page, const QStringList& arguments) const {
    const QStringList unknown = parser_.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString name = unknown.constFirst();
        return OptionValues::UnknownOption(
            (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name, page.command);
    }
    // The other error of a parse: a value-taking option typed last, with nothing after it.
    const QString last = arguments.value(arguments.size() - 1);
    for (const Help::Item& item : page.options()) {
        if (!item.value.isEmpty() &&
            item.names.contains(last.mid(last.startsWith(u"--") ? 2 : 1))) {
            return QStringLiteral("%1 needs its value (%2 %3)").arg(last, last, item.value);
        }
    }
    return parser_.errorText();
}

bool Arguments::oneFile(const QString& missing, QString& file, QString& error) const {
    const QStringList files = positional();
    if (files.size() != 1) {
        error = files.isEmpty() ? missing
                                : QStringLiteral("one file only, not \"%1\"").arg(files.at(1));
        return false;
    }
    file = files.first();
    return true;
}

namespace OptionValues {

QString UnknownOption(const QString& option, const QString& command) {
    const QString help = command.isEmpty()
                             ? Help::programName() + QStringLiteral(" --help")
                             : Help::programName() + u' ' + command + QStringLiteral(" --help");
    return QStringLiteral("unknown option \"%1\" (%2 tells more)").arg(option, help);
}

QString Refusal(const QString& option, const QString& text, const QString& expected) {
    return QStringLiteral("--%1: \"%2\" is not %3").arg(option, text, expected);
}

std::optional<qint64> Whole(const QString& text, qint64 min, qint64 max) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (!digits.match(text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> Seconds(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]+)([smhd]?)$"));
    constexpr qint64 Most = 10LL * 366 * 86400;
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const std::optional<qint64> number = Whole(match.captured(1), 1, Most);
    if (!number) {
        return std::nullopt;
    }
    const QString unit = match.captured(2);
    const qint64 scale = unit == u"m" ? 60 : unit == u"h" ? 3600 : unit == u"d" ? 86400 : 1;
    if (*number > Most / scale) {
        return std::nullopt;
    }
    return *number * scale;
}

std::optional<QVector<double>> Numbers(const QString& text) {
    QVector<double> numbers;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        const double value = QLocale::c().toDouble(part.trimmed(), &ok);
        if (!ok || !std::isfinite(value)) {
            return std::nullopt;
        }
        numbers.append(value);
    }
    return numbers;
}

}  // namespace OptionValues

QString PortSpec::label() const {
    return path.isEmpty() ? QStringLiteral("COM%1").arg(comNo) : path;
}

std::optional<PortSpec> PortSpec::Parse(const QString& text) {
    PortSpec spec;
    if (const std::optional<int> number = PortChoice::numberFor(text)) {
        spec.comNo = *number;
        return spec;
    }
    if (const std::optional<int> number = PortChoice::writtenNumber(text, true)) {
        if (*number == 0) {
            return std::nullopt;
        }
        spec.comNo = *number;
        return spec;
    }
    if (text.contains(u'/')) {
        spec.comNo = 0;
        spec.path = text;
        return spec;
    }
    return std::nullopt;
}

std::optional<PlotScale> PlotScale::Parse(const QString& text, QString& error) {
    const std::optional<QVector<double>> numbers = OptionValues::Numbers(text);
    if (!numbers || numbers->size() < 2 || numbers->size() > 3) {
        error = QStringLiteral("two numbers, MIN,MAX (or MIN,MID,MAX)");
        return std::nullopt;
    }
    PlotScale scale{numbers->constFirst(), numbers->constLast()};
    if (numbers->size() == 3) {
        const double mean = (scale.middle + scale.top) / 2;
        const double mid = numbers->at(1);
        if (std::abs(mid - mean) >
            1e-9 * std::max({1.0, std::abs(scale.middle), std::abs(scale.top)})) {
            error = QStringLiteral("a scale whose middle value is the mean of the other two (%1)")
                        .arg(QLocale::c().toString(mean, 'g', 15));
            return std::nullopt;
        }
    }
    return scale;
}

std::optional<PlotRows> PlotRows::Parse(const QString& text, QString& error) {
    const QStringList parts = text.split(u',');
    const auto first = parts.size() == 2 ? OptionValues::Whole(parts.at(0).trimmed(), 0,
                                                               std::numeric_limits<int>::max())
                                         : std::nullopt;
    const auto last = parts.size() == 2 ? OptionValues::Whole(parts.at(1).trimmed(), 0,
                                                              std::numeric_limits<int>::max())
                                        : std::nullopt;
    if (!first || !last) {
        error = QStringLiteral("two record numbers, FIRST,LAST");
        return std::nullopt;
    }
    return PlotRows{double(*first), double(*last)};
}

bool RenderOptions::Parse(Kind kind, const Arguments& arguments, RenderOptions& options,
                          QString& error) {
    options.kind = kind;
    if (!arguments.oneFile(QStringLiteral("the .Kmk file to read is missing"), options.file,
                           error)) {
        return false;
    }
    options.anyFile = arguments.isSet(QStringLiteral("any-file"));
    options.pdf = arguments.value(QStringLiteral("pdf"));
    const bool pdfSet = arguments.isSet(QStringLiteral("pdf"));
    if (kind == Kind::Print && (!pdfSet || options.pdf.isEmpty())) {
        error = QStringLiteral("--pdf OUT.pdf is missing");
        return false;
    }
    options.paper = QStringLiteral("A4");
    if (arguments.isSet(QStringLiteral("paper"))) {
        const QString paper = arguments.value(QStringLiteral("paper"));
        if (paper.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0) {
            options.paper = QStringLiteral("A4");
        } else if (paper.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0) {
            options.paper = QStringLiteral("Letter");
        } else {
            error = OptionValues::Refusal(QStringLiteral("paper"), paper,
                                          QStringLiteral("A4 or Letter"));
            return false;
        }
    }
    if (kind == Kind::Print) {
        return true;
    }
    options.png = arguments.value(QStringLiteral("png"));
    const bool pngSet = arguments.isSet(QStringLiteral("png"));
    if ((!pngSet || options.png.isEmpty()) && (!pdfSet || options.pdf.isEmpty())) {
        error = QStringLiteral("--png OUT.png or --pdf OUT.pdf is missing");
        return false;
    }
    for (const char* name : {"ohm", "volt"}) {
        const QString option = QString::fromLatin1(name);
        if (!arguments.isSet(option)) {
            continue;
        }
        QString expected;
        const std::optional<PlotScale> scale = PlotScale::Parse(arguments.value(option), expected);
        if (!scale) {
            error = OptionValues::Refusal(option, arguments.value(option), expected);
            return false;
        }
        (option == u"ohm" ? options.ohm : options.volt) = scale;
    }
    if (arguments.isSet(QStringLiteral("rows"))) {
        QString expected;
        options.rows = PlotRows::Parse(arguments.value(QStringLiteral("rows")), expected);
        if (!options.rows) {
            error = OptionValues::Refusal(QStringLiteral("rows"),
                                          arguments.value(QStringLiteral("rows")), expected);
            return false;
        }
    }
    return true;
}
