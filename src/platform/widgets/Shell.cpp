#include "platform/widgets/Shell.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopShell::openDocument(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
