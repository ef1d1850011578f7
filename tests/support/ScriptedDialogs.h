#pragma once

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/widgets/Dialogs.h"

// Answers the program's questions from a script, as a person would, and records what was shown.
// An empty script answers Cancel.
class ScriptedDialogs final : public Dialogs {
  public:
    // What is on screen, for whileShown.
    enum class Kind { Message, Input, OpenFile, SaveFile, Printer, Question };
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
    struct Question {
        QString title;
        QString text;
        QStringList answers;
        int defaultAnswer;
        int escapeAnswer;
    };
    QList<Question> questions;
    QQueue<int> answers;  // answers to ask(), by index; none left: Escape
    // Sets up the chosen printer, for example to print to a PDF file.
    std::function<void(QPrinter&)> printerSetup;
    QString lastFilter;
    // Called when a message is shown, for a test that acts inside a modal wait.
    std::function<void(const Shown&)> onMessage;
    // Called with the question's window while the question is on screen, before its answer: a
    // person who takes their time. The program's events go on meanwhile if it runs a loop.
    std::function<void(Kind, QWidget*)> whileShown;

    void message(QWidget* parent, Icon icon, const QString& title, const QString& text) override {
        messages.append({icon, title, text});
        if (onMessage) {
            onMessage(messages.last());
        }
        onScreen(Kind::Message, parent);
    }
    QString input(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& defaultText) override {
        prompts.append({prompt, title, defaultText});
        onScreen(Kind::Input, parent);
        return inputs.isEmpty() ? QString() : inputs.dequeue();
    }
    QString openFile(QWidget* parent, const QString& filter, int) override {
        lastFilter = filter;
        onScreen(Kind::OpenFile, parent);
        return files.isEmpty() ? QString() : files.dequeue();
    }
    QString saveFile(QWidget* parent, const QString& filter, int, bool) override {
        lastFilter = filter;
        onScreen(Kind::SaveFile, parent);
        return files.isEmpty() ? QString() : files.dequeue();
    }
    bool choosePrinter(QWidget* parent, QPrinter& printer) override {
        onScreen(Kind::Printer, parent);
        const bool ok = !printerAnswers.isEmpty() && printerAnswers.dequeue();
        if (ok && printerSetup) {
            printerSetup(printer);
        }
        return ok;
    }

    int ask(QWidget* parent, Icon, const QString& title, const QString& text,
            const QStringList& choices, int defaultAnswer, int escapeAnswer) override {
        questions.append({title, text, choices, defaultAnswer, escapeAnswer});
        onScreen(Kind::Question, parent);
        return answers.isEmpty() ? escapeAnswer : answers.dequeue();
    }

  private:
    void onScreen(Kind kind, QWidget* parent) {
        if (whileShown) {
            whileShown(kind, parent);
        }
    }
};
