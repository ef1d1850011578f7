#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/SignalNotifier.h"
#include "core/records/RecordFormat.h"

using namespace CommandSupport;

namespace {

constexpr auto RendererName = "kelvomark-render";

// Beside this program in the build tree; under libexec once installed.
QString Renderer() {
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + u'/' + QLatin1String(RendererName),
          dir + QStringLiteral("/" KELVOMARK_RENDER_FROM_BIN "/") + QLatin1String(RendererName)}) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable()) {
            return info.absoluteFilePath();
        }
    }
    return QString();
}

// Refuses what is no recording or saved list before anything is drawn: printed, any file gives
// pages of noise, and plotted, scales of nothing.
bool ReadableAsList(const QString& path, Console& console) {
    if (QFileInfo(path).isDir()) {
        console.message(QStringLiteral("cannot read %1: it is a folder").arg(path));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        console.message(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    constexpr qint64 LongestHeader = 4096;
    const QByteArray first = file.readLine(LongestHeader);
    if (RecordFormat::isHeaderLine(first)) {
        return true;
    }
    console.message(
        QStringLiteral("%1 is not a recording or a saved list: %2 (--any-file reads it all the "
                       "same)")
            .arg(path, first.isEmpty() ? QStringLiteral("it is empty")
                                       : QStringLiteral("its first line is not a header of "
                                                        "\"No.s\", \"Date\", \"Time\" and "
                                                        "the two ranges")));
    return false;
}

}  // namespace

QString CommandSupport::RendererPath() {
    return Renderer();
}

Exit RunRender(RenderOptions::Kind kind, const QStringList& arguments, const Arguments& parsed,
               Console& console, SignalNotifier& stopSignals) {
    const QString command =
        kind == RenderOptions::Kind::Print ? QStringLiteral("print") : QStringLiteral("plot");
    RenderOptions options;
    QString error;
    if (!RenderOptions::Parse(kind, parsed, options, error)) {
        console.message(command + QStringLiteral(": ") + error);
        return Exit::Usage;
    }
    if (!options.anyFile && !ReadableAsList(options.file, console)) {
        return Exit::Failure;
    }
    const QString renderer = Renderer();
    if (renderer.isEmpty()) {
        console.message(QStringLiteral("%1 is not installed beside %2 or in %3")
                            .arg(QLatin1String(RendererName),
                                 QCoreApplication::applicationDirPath(),
                                 QStringLiteral(KELVOMARK_RENDER_FROM_BIN)));
        return Exit::Failure;
    }
    QProcess process;
    // Its messages and progress go where ours would.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Drawing needs no display.
    if (environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty()) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    process.setProcessEnvironment(environment);
    QObject::connect(
        &process, &QProcess::finished, &process, [&](int code, QProcess::ExitStatus status) {
            if (status != QProcess::NormalExit || code < 0 || code > 2) {
                console.message(
                    QStringLiteral("%1 ended abnormally").arg(QLatin1String(RendererName)));
                Quit(Exit::Failure);
                return;
            }
            Quit(Exit(code));
        });
    QObject::connect(
        &process, &QProcess::errorOccurred, &process, [&](QProcess::ProcessError processError) {
            if (processError == QProcess::FailedToStart) {
                console.message(
                    QStringLiteral("cannot run %1: %2").arg(renderer, process.errorString()));
                Quit(Exit::Failure);
            }
        });
    // It cancels its drawing and removes what it had begun; its end ends this command.
    QObject::connect(&stopSignals, &SignalNotifier::caught, &process, [&] { process.terminate(); });
    process.start(renderer, QStringList{command} + arguments);
    return Run();
}
