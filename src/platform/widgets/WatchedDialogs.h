#pragma once

#include <QObject>
#include <functional>

#include "platform/widgets/Dialogs.h"

// Passes every question on to another Dialogs and knows whether one is still on screen. A
// question runs an event loop of its own, in which the program may close the very window that
// asked; the code that asked goes on with that window once the answer is in, so a window closed
// meanwhile is destroyed only after the last answer.
class WatchedDialogs final : public QObject, public Dialogs {
    Q_OBJECT

  public:
    explicit WatchedDialogs(Dialogs& dialogs, QObject* parent = nullptr);

    bool anyShown() const { return shown_ > 0; }
    // Runs `action` at once when no question is on screen, else as soon as the last one has
    // been answered; not at all once `context` is gone.
    void afterAnswers(QObject* context, std::function<void()> action);
    // Brings the question on screen, if any, above every window and gives it the focus: a
    // window opened while it waits for its answer must not hide it, or the program seems to
    // ignore every click.
    void bringShownToFront();

    void message(QWidget* parent, Icon icon, const QString& title, const QString& text) override;
    QString input(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& defaultText) override;
    QString openFile(QWidget* parent, const QString& filter, int filterIndex) override;
    QString saveFile(QWidget* parent, const QString& filter, int filterIndex,
                     bool confirmOverwrite) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
    int ask(QWidget* parent, Icon icon, const QString& title, const QString& text,
            const QStringList& answers, int defaultAnswer, int escapeAnswer) override;

  Q_SIGNALS:
    // No question is on screen any more.
    void allAnswered();

  private:
    class Shown;

    Dialogs& dialogs_;
    int shown_ = 0;
};
