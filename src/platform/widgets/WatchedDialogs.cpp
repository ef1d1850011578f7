#include "platform/widgets/WatchedDialogs.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// One question on screen, for as long as the object lives.
class WatchedDialogs::Shown {
  public:
    explicit Shown(WatchedDialogs& watch) : watch_(watch) { ++watch_.shown_; }
    ~Shown() {
        if (--watch_.shown_ == 0) {
            Q_EMIT watch_.allAnswered();
        }
    }
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;

  private:
    WatchedDialogs& watch_;
};

WatchedDialogs::WatchedDialogs(Dialogs& dialogs, QObject* parent)
    : QObject(parent), dialogs_(dialogs) {}

void WatchedDialogs::afterAnswers(QObject* context, std::function<void()> action) {
    if (!anyShown()) {
        action();
        return;
    }
    connect(this, &WatchedDialogs::allAnswered, context, std::move(action),
            Qt::SingleShotConnection);
}

void WatchedDialogs::bringShownToFront() {
    if (!anyShown()) {
        return;
    }
    QPointer<QWidget> question = QApplication::activeModalWidget();
    if (!question) {
        return;
    }
    const auto toFront = [question] {
        if (question && question->isVisible()) {
            question->raise();
            question->activateWindow();
        }
    };
    toFront();
    // Once more after the new window is mapped, for window managers that put it on top then.
    QTimer::singleShot(0, question.data(), toFront);
}

void WatchedDialogs::message(QWidget* parent, Icon icon, const QString& title,
                             const QString& text) {
    const Shown shown(*this);
    dialogs_.message(parent, icon, title, text);
}

QString WatchedDialogs::input(QWidget* parent, const QString& prompt, const QString& title,
                              const QString& defaultText) {
    const Shown shown(*this);
    return dialogs_.input(parent, prompt, title, defaultText);
}

QString WatchedDialogs::openFile(QWidget* parent, const QString& filter, int filterIndex) {
    const Shown shown(*this);
    return dialogs_.openFile(parent, filter, filterIndex);
}

QString WatchedDialogs::saveFile(QWidget* parent, const QString& filter, int filterIndex,
                                 bool confirmOverwrite) {
    const Shown shown(*this);
    return dialogs_.saveFile(parent, filter, filterIndex, confirmOverwrite);
}

bool WatchedDialogs::choosePrinter(QWidget* parent, QPrinter& printer) {
    const Shown shown(*this);
    return dialogs_.choosePrinter(parent, printer);
}

int WatchedDialogs::ask(QWidget* parent, Icon icon, const QString& title, const QString& text,
                        const QStringList& answers, int defaultAnswer, int escapeAnswer) {
    const Shown shown(*this);
    return dialogs_.ask(parent, icon, title, text, answers, defaultAnswer, escapeAnswer);
}
