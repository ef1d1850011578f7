#pragma once

#include <QPointer>
#include <optional>

#include "core/cells/BenchInventory.h"
#include "core/cells/Profile.h"
#include "windows/common/AppWindow.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Makes, changes and removes the profiles of the sorting window's inventory. A window of its
// own, as the program's other dialogs are: the sorting window may close (or change its
// inventory) while it is open, and it stays with what was typed; it saves again once it is
// opened from a sorting window anew. An empty field is a limit not set.
class ProfileEditor : public AppWindow {
    Q_OBJECT

  public:
    explicit ProfileEditor(App& app);

    static QString caption() { return QStringLiteral("Profiles"); }

    // Edits the profiles of `bench`, showing `chosen` when it is one of them. Edits not saved
    // yet stay in the fields when the editor is open already.
    void edit(BenchInventory& bench, const QString& chosen);

    void newProfile();
    void save();
    void remove();

    // The profile the fields describe, or why they describe none (the field at fault in
    // `field`). The name is trimmed; the limits are checked by Profile::problem().
    std::optional<Profile> fromFields(QString& why, QWidget** field = nullptr) const;
    // The profile shown in the fields, empty for a new one.
    const QString& shownName() const { return shown_.name; }
    bool edited() const { return edited_; }

  Q_SIGNALS:
    // A profile was saved or removed.
    void profilesChanged();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void reload(const QString& select);
    void fill(const Profile& profile);
    void onRowChanged(int row);
    // True when no edit is waiting, or the person lets it go.
    bool mayDropEdits();
    void refuse(const QString& text, QWidget* field);
    void say(const QString& text);
    void updateButtons();

    QPointer<BenchInventory> bench_;
    QVector<Profile> profiles_;
    Profile shown_;  // as loaded, or a new one with no name
    bool edited_ = false;
    int row_ = -1;

    QListWidget* list_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* irPass_ = nullptr;
    QLineEdit* irFail_ = nullptr;
    QLineEdit* passMin_ = nullptr;
    QLineEdit* passMax_ = nullptr;
    QLineEdit* warnMin_ = nullptr;
    QLineEdit* warnMax_ = nullptr;
    QLineEdit* selfDischarge_ = nullptr;
    QLineEdit* bins_ = nullptr;
    QLineEdit* notes_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* newButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};
