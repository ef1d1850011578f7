#include "platform/widgets/Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

QStringList QtDialogs::qtFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|', Qt::SkipEmptyParts);
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2) {
        names.append(parts.at(i));
    }
    return names;
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
                                        names.join(QStringLiteral(";;")), &selected);
}

QString QtDialogs::saveFile(QWidget* parent, const QString& filter, int filterIndex,
                            bool confirmOverwrite) {
    const QStringList names = qtFilters(filter);
    QString selected = names.value(filterIndex - 1);
    QFileDialog::Options options;
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
