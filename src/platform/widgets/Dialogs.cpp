#include "platform/widgets/Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace {

constexpr const char* FolderKey = "dialogs/folder";

// ~/.config/kelvomark/kelvomark.conf
std::unique_ptr<QSettings> UserSettings() {
    return std::make_unique<QSettings>(QStringLiteral("kelvomark"), QStringLiteral("kelvomark"));
}

}  // namespace
#include <QPushButton>

QStringList QtDialogs::qtFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|', Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i < parts.size(); i += 2) {
        // "*.*" means every file, as it does on Windows; here it would need a dot in the name.
        QString patterns = parts.value(i + 1, QStringLiteral("*"));
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        // Qt reads the patterns from the last parentheses, and with HideNameFilterDetails
        // shows what comes before them: the name exactly as given.
        filters.append(parts.at(i) + QStringLiteral(" (") + patterns.replace(u';', u' ') + u')');
    }
    return filters;
}

namespace {

void setIcon(QMessageBox& box, Dialogs::Icon icon) {
    switch (icon) {
        case Dialogs::Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case Dialogs::Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Dialogs::Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Dialogs::Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
}

}  // namespace

void QtDialogs::message(QWidget* parent, Icon icon, const QString& title, const QString& text) {
    QMessageBox box(parent);
    setIcon(box, icon);
    box.setWindowTitle(title);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

QString QtDialogs::input(QWidget* parent, const QString& prompt, const QString& title,
                         const QString& defaultText) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

QString QtDialogs::defaultSuffix(const QString& filter) {
    const QStringList parts = filter.split(u'|', Qt::SkipEmptyParts);
    const QString pattern = parts.value(1).section(u';', 0, 0).trimmed();
    if (!pattern.startsWith(QLatin1String("*.")) || pattern.indexOf(u'*', 1) >= 0 ||
        pattern.contains(u'?')) {
        return QString();
    }
    return pattern.mid(2);
}

QString QtDialogs::startFolder() {
    const QString last = UserSettings()->value(QLatin1String(FolderKey)).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) {
        return last;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString QtDialogs::runFileDialog(QWidget* parent, const QString& filter, int filterIndex, bool save,
                                 bool confirmOverwrite) {
    const QStringList names = qtFilters(filter);
    QFileDialog dialog(parent, QString(), startFolder());
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(names);
    if (filterIndex >= 1 && filterIndex <= names.size()) {
        dialog.selectNameFilter(names.at(filterIndex - 1));
    }
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix(filter));
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    UserSettings()->setValue(QLatin1String(FolderKey), QFileInfo(chosen).absolutePath());
    return chosen;
}

QString QtDialogs::openFile(QWidget* parent, const QString& filter, int filterIndex) {
    return runFileDialog(parent, filter, filterIndex, false, false);
}

QString QtDialogs::saveFile(QWidget* parent, const QString& filter, int filterIndex,
                            bool confirmOverwrite) {
    return runFileDialog(parent, filter, filterIndex, true, confirmOverwrite);
}

bool QtDialogs::choosePrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

int QtDialogs::ask(QWidget* parent, Icon icon, const QString& title, const QString& text,
                   const QStringList& answers, int defaultAnswer, int escapeAnswer) {
    QMessageBox box(parent);
    setIcon(box, icon);
    box.setWindowTitle(title);
    box.setText(text);
    QList<QAbstractButton*> buttons;
    for (const QString& answer : answers) {
        buttons.append(box.addButton(answer, QMessageBox::ActionRole));
    }
    if (auto* chosen = qobject_cast<QPushButton*>(buttons.value(defaultAnswer))) {
        box.setDefaultButton(chosen);
    }
    box.setEscapeButton(buttons.value(escapeAnswer));
    box.exec();
    const qsizetype clicked = buttons.indexOf(box.clickedButton());
    return clicked < 0 ? escapeAnswer : int(clicked);
}
