#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>

#include "platform/widgets/Dialogs.h"

// Answers the program's questions from a script, as a person would, and records what was shown.
// An empty script answers Cancel.
class ScriptedDialogs final : public Dialogs {
  public:
    struct Shown {
        Icon icon;
        QString title;
        QString text;
    };
    struct Asked {
        QString prompt;
        QString title;
        QString defaultText;
    };

    QList<Shown> messages;
    QList<Asked> prompts;
    QQueue<QString> inputs;       // answers to input(); empty text = Cancel
    QQueue<QString> files;        // answers to openFile() and saveFile(); empty = Cancel
    QQueue<bool> printerAnswers;  // answers to choosePrinter()
    // Sets up the chosen printer, for example to print to a PDF file.
    std::function<void(QPrinter&)> printerSetup;
    QString lastFilter;
    // Called when a message is shown, for a test that acts inside a modal wait.
    std::function<void(const Shown&)> onMessage;

    void message(QWidget*, Icon icon, const QString& title, const QString& text) override {
        messages.append({icon, title, text});
        if (onMessage) {
            onMessage(messages.last());
        }
    }
    QString input(QWidget*, const QString& prompt, const QString& title,
                  const QString& defaultText) override {
        prompts.append({prompt, title, defaultText});
        return inputs.isEmpty() ? QString() : inputs.dequeue();
    }
    QString openFile(QWidget*, const QString& filter, int) override {
        lastFilter = filter;
        return files.isEmpty() ? QString() : files.dequeue();
    }
    QString saveFile(QWidget*, const QString& filter, int, bool) override {
        lastFilter = filter;
        return files.isEmpty() ? QString() : files.dequeue();
    }
    bool choosePrinter(QWidget*, QPrinter& printer) override {
        const bool ok = !printerAnswers.isEmpty() && printerAnswers.dequeue();
        if (ok && printerSetup) {
            printerSetup(printer);
        }
        return ok;
    }
};
