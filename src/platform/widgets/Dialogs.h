#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

// Everything the program asks of a person goes through this interface: the real one shows Qt's
// dialogs, the scripted one (tests, pictures) answers from a script and records what was shown.
class Dialogs {
  public:
    enum class Icon { None, Information, Warning, Critical };

    virtual ~Dialogs() = default;

    // A message box with an OK button.
    virtual void message(QWidget* parent, Icon icon, const QString& title, const QString& text) = 0;
    // A text-input prompt; an empty text on cancel.
    virtual QString input(QWidget* parent, const QString& prompt, const QString& title,
                          const QString& defaultText) = 0;
    // File dialogs. `filter` is written "Name (*.x)|*.x|Name (*.*)|*.*|"; `filterIndex` counts
    // from 1. The full path of the chosen file, or an empty text on cancel.
    virtual QString openFile(QWidget* parent, const QString& filter, int filterIndex) = 0;
    virtual QString saveFile(QWidget* parent, const QString& filter, int filterIndex,
                             bool confirmOverwrite) = 0;
    // The printer selection dialog; false on cancel.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
    // A question answered by one of its buttons, `answers` in the order shown; the index of the
    // one chosen. Enter chooses `defaultAnswer`; Escape or closing the box, `escapeAnswer`.
    virtual int ask(QWidget* parent, Icon icon, const QString& title, const QString& text,
                    const QStringList& answers, int defaultAnswer, int escapeAnswer) = 0;

    // The title of the program, used as the caption of its message boxes.
    static QString appTitle() { return QStringLiteral("Kelvomark"); }
};

// The file dialogs start in the folder of the file chosen last, which is kept in the user's
// settings across runs; the first time, in the user's documents folder. A name typed without
// an extension in a save dialog gets the extension of the first filter ("*.Kmk": ".Kmk").
class QtDialogs final : public Dialogs {
  public:
    void message(QWidget* parent, Icon icon, const QString& title, const QString& text) override;
    QString input(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& defaultText) override;
    QString openFile(QWidget* parent, const QString& filter, int filterIndex) override;
    QString saveFile(QWidget* parent, const QString& filter, int filterIndex,
                     bool confirmOverwrite) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
    int ask(QWidget* parent, Icon icon, const QString& title, const QString& text,
            const QStringList& answers, int defaultAnswer, int escapeAnswer) override;

    // "Name (*.x)|*.x|" as Qt writes it, "Name (*.x) (*.x)", one entry per name, to be shown
    // with HideNameFilterDetails as "Name (*.x)". The pattern "*.*" becomes "*": every file.
    static QStringList qtFilters(const QString& filter);
    // The extension of the filter's first pattern, without the dot; empty for "*.*" or "*".
    static QString defaultSuffix(const QString& filter);
    // Where the next file dialog starts.
    static QString startFolder();

  private:
    QString runFileDialog(QWidget* parent, const QString& filter, int filterIndex, bool save,
                          bool confirmOverwrite);
};
