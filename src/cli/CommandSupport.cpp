#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include "cli/Commands.h"
#include "core/port/PortChoice.h"

namespace CommandSupport {

QString OpenFailure(const PortSpec& port, SerialLink::OpenResult result, const QString& path) {
    if (path.isEmpty()) {
        return QStringLiteral(
                   "%1 stands for no device: no serial device has that number and "
                   "KELVOMARK_COM%2 is not set (see kelvomark-cli ports)")
            .arg(port.label())
            .arg(port.comNo);
    }
    const QString name =
        port.path.isEmpty() ? QStringLiteral("%1 (%2)").arg(port.label(), path) : path;
    switch (result) {
        case SerialLink::OpenResult::Missing:
            return name + QStringLiteral(": no such device");
        case SerialLink::OpenResult::Busy:
            return name + QStringLiteral(": busy: another program holds it");
        case SerialLink::OpenResult::NoPermission:
            return name + QStringLiteral(
                              ": not permitted: add your user to the dialout group (sudo adduser "
                              "$USER dialout), then log out and in again");
        case SerialLink::OpenResult::Ok:
        case SerialLink::OpenResult::Failed:
            break;
    }
    return name + QStringLiteral(": ") + PortChoice::stateText(result);
}

bool PortOption(const Arguments& arguments, PortSpec& port, QString& error) {
    if (!arguments.isSet(QStringLiteral("port"))) {
        port = PortSpec();
        return true;
    }
    const QString text = arguments.value(QStringLiteral("port"));
    const std::optional<PortSpec> parsed = PortSpec::Parse(text);
    if (!parsed) {
        error = OptionValues::Refusal(QStringLiteral("port"), text,
                                      QStringLiteral("a COM number from 1 to 16 (\"COM3\" or "
                                                     "\"3\") or a device path"));
        return false;
    }
    port = *parsed;
    return true;
}

namespace {

// Why no new file can be made in `dir`, tried by making one; empty when one can.
QString FolderRefusal(const QString& dir) {
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".kelvomark-XXXXXX")));
    return probe.open() ? QString() : probe.errorString();
}

}  // namespace

bool CheckFolder(const QString& dir, QString& error) {
    const QString why = FolderRefusal(dir);
    if (!why.isEmpty()) {
        error = QStringLiteral("cannot write in %1: %2").arg(dir, why);
    }
    return why.isEmpty();
}

bool CheckOutput(const QString& path, bool overwrite, QString& error) {
    const QFileInfo info(path);
    if (info.isDir()) {
        error = QStringLiteral("%1 is a folder").arg(path);
        return false;
    }
    if (info.exists() && !overwrite) {
        error = QStringLiteral("%1 exists; --overwrite replaces it").arg(path);
        return false;
    }
    const QString dir = info.absolutePath();
    const QString why = QFileInfo(dir).isDir()
                            ? FolderRefusal(dir)
                            : QStringLiteral("the folder %1 does not exist").arg(dir);
    if (!why.isEmpty()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, why);
    }
    return why.isEmpty();
}

void Quit(Exit exit) {
    QCoreApplication::exit(int(exit));
}

bool NumberOption(const Arguments& arguments, const QString& name, const QString& what,
                  std::optional<double>& limit, QString& error) {
    if (!arguments.isSet(name)) {
        return true;
    }
    const QString text = arguments.value(name);
    const auto numbers = OptionValues::Numbers(text);
    if (!numbers || numbers->size() != 1 || numbers->first() < 0) {
        error = OptionValues::Refusal(name, text, what);
        return false;
    }
    limit = numbers->first();
    return true;
}

bool MilliohmOption(const Arguments& arguments, const QString& name, std::optional<double>& limit,
                    QString& error) {
    return NumberOption(arguments, name, QStringLiteral("a resistance in milliohms"), limit, error);
}

bool WindowOption(const Arguments& arguments, const QString& name, std::optional<Window>& window,
                  QString& error) {
    if (!arguments.isSet(name)) {
        return true;
    }
    const QString text = arguments.value(name);
    const auto numbers = OptionValues::Numbers(text);
    if (!numbers || numbers->size() != 2 || numbers->at(0) > numbers->at(1)) {
        error = OptionValues::Refusal(name, text, QStringLiteral("MIN,MAX in volts, MIN first"));
        return false;
    }
    window = Window{numbers->at(0), numbers->at(1)};
    return true;
}

Exit Run() {
    return Exit(QCoreApplication::exec());
}

}  // namespace CommandSupport
