#include "platform/widgets/Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

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

void QtDialogs::message(QWidget* parent, Icon icon, const QString& title, const QString& text) {
    QMessageBox box(parent);
    switch (icon) {
        case Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
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

QString QtDialogs::openFile(QWidget* parent, const QString& filter, int filterIndex) {
    const QStringList names = qtFilters(filter);
    QString selected = names.value(filterIndex - 1);
    return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                        names.join(QStringLiteral(";;")), &selected,
                                        QFileDialog::HideNameFilterDetails);
}

QString QtDialogs::saveFile(QWidget* parent, const QString& filter, int filterIndex,
                            bool confirmOverwrite) {
    const QStringList names = qtFilters(filter);
    QString selected = names.value(filterIndex - 1);
    QFileDialog::Options options = QFileDialog::HideNameFilterDetails;
    if (!confirmOverwrite) {
        options |= QFileDialog::DontConfirmOverwrite;
    }
    return QFileDialog::getSaveFileName(parent, QString(), QString(),
                                        names.join(QStringLiteral(";;")), &selected, options);
}

bool QtDialogs::choosePrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
