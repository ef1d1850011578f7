#include "platform/widgets/Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
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
