#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "platform/widgets/Dialogs.h"

// The person at the desktop, for a run with nobody there: the file to open and the printer are
// given beforehand, every other question is cancelled, and the messages are kept to be told on
// standard error.
class BatchDialogs final : public Dialogs {
  public:
    QString fileToOpen;
    // Makes the chosen printer print to a file.
    std::function<void(QPrinter&)> printerSetup;
    QStringList messages;

    void message(QWidget*, Icon, const QString&, const QString& text) override {
        messages.append(text);
    }
    QString input(QWidget*, const QString&, const QString&, const QString&) override {
        return QString();
    }
    QString openFile(QWidget*, const QString&, int) override { return fileToOpen; }
    QString saveFile(QWidget*, const QString&, int, bool) override { return QString(); }
    int ask(QWidget*, Icon, const QString&, const QString&, const QStringList&, int,
            int escapeAnswer) override {
        return escapeAnswer;
    }
    bool choosePrinter(QWidget*, QPrinter& printer) override {
        if (!printerSetup) {
            return false;
        }
        printerSetup(printer);
        return true;
    }
};
