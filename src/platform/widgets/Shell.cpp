#include "platform/widgets/Shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

void DesktopShell::openDocument(const QString& path, QObject* context,
                                std::function<void()> noProgram) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
            QTimer::singleShot(0, context, std::move(noProgram));
        }
        return;
    }
    // With no parent: a viewer that xdg-open waits for outlives the window that asked, and
    // the program too. The process object goes once it has ended.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({path});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(process, &QProcess::finished, context,
                     [noProgram](int status, QProcess::ExitStatus how) {
                         if (how != QProcess::NormalExit || status != 0) {
                             noProgram();
                         }
                     });
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [noProgram](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             noProgram();
                         }
                     });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             process->deleteLater();
                         }
                     });
    process->start();
}
