#include "windows/cells/ProfileEditor.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "core/cells/Csv.h"
#include "platform/widgets/Dialogs.h"
#include "windows/common/Accessibility.h"
#include "windows/common/App.h"

namespace {

// The name column of the inventory's profiles.
constexpr int MaxNameLength = 200;

const char* const BinsFormat =
    "\"ir:\" (by resistance) or \"volt:\" (by voltage), then each bin as NAME<=EDGE in rising "
    "order, comma-separated; the last may be a bare NAME for everything above. Example: "
    "ir:A<=40,B<=60,C. Empty: no bins.";

QString numberText(const std::optional<double>& value) {
    // Read back to the very value stored: saving unchanged fields changes nothing.
    return value ? Csv::Number(*value) : QString();
}

// An empty field is a limit not set; anything else must be a number.
bool readNumber(const QLineEdit* edit, const QString& what, std::optional<double>& into,
                QString& why) {
    const QString text = edit->text().trimmed();
    into.reset();
    if (text.isEmpty()) {
        return true;
    }
    double value = 0;
    if (!Csv::ParseNumber(text, value)) {
        why = QStringLiteral("the %1 \"%2\" is not a number (\".\" for decimals)").arg(what, text);
        return false;
    }
    into = value;
    return true;
}

}  // namespace

ProfileEditor::ProfileEditor(App& app) : AppWindow(app) {
    setObjectName(QStringLiteral("ProfileEditor"));
    setWindowTitle(caption());
    MarkAsDialog(*this);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("LstProfiles"));
    list_->setAccessibleName(QStringLiteral("Profiles"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* listLabel = new QLabel(QStringLiteral("Pro&files:"), this);
    listLabel->setBuddy(list_);
    connect(list_, &QListWidget::currentRowChanged, this, &ProfileEditor::onRowChanged);

    auto* form = new QFormLayout();
    auto field = [this](const char* name, const QString& accessibleName) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(accessibleName);
        connect(edit, &QLineEdit::textEdited, this, [this] { edited_ = true; });
        connect(edit, &QLineEdit::returnPressed, this, &ProfileEditor::save);
        return edit;
    };
    auto row = [this, form](const QString& text, QWidget* buddy, QWidget* shown) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        form->addRow(label, shown);
    };
    // Two fields on one line, the second named by the first's label and "to".
    auto pair = [this](QLineEdit* from, QLineEdit* to) {
        auto* box = new QWidget(this);
        auto* line = new QHBoxLayout(box);
        line->setContentsMargins(0, 0, 0, 0);
        line->addWidget(from);
        line->addWidget(new QLabel(QStringLiteral("to"), box));
        line->addWidget(to);
        return box;
    };

    name_ = field("EdtName", QStringLiteral("Profile name"));
    name_->setMaxLength(MaxNameLength);
    row(QStringLiteral("Na&me:"), name_, name_);
    irPass_ = field("EdtIrPass", QStringLiteral("IR PASS at or below, mOhm"));
    irPass_->setToolTip(QStringLiteral("A cell passes at or below this resistance"));
    row(QStringLiteral("&IR PASS at or below (mOhm):"), irPass_, irPass_);
    irFail_ = field("EdtIrFail", QStringLiteral("IR FAIL above, mOhm"));
    irFail_->setToolTip(
        QStringLiteral("A cell fails above this resistance; between the two it is WARN"));
    row(QStringLiteral("IR FAIL &above (mOhm):"), irFail_, irFail_);
    passMin_ = field("EdtPassMin", QStringLiteral("PASS voltage from, V"));
    passMax_ = field("EdtPassMax", QStringLiteral("PASS voltage to, V"));
    passMin_->setToolTip(QStringLiteral("A cell passes inside this window"));
    row(QStringLiteral("PASS &voltage (V):"), passMin_, pair(passMin_, passMax_));
    warnMin_ = field("EdtWarnMin", QStringLiteral("WARN voltage from, V"));
    warnMax_ = field("EdtWarnMax", QStringLiteral("WARN voltage to, V"));
    warnMin_->setToolTip(QStringLiteral(
        "Outside the PASS window but inside this one a cell is WARN; outside both it fails"));
    row(QStringLiteral("&WARN voltage (V):"), warnMin_, pair(warnMin_, warnMax_));
    selfDischarge_ = field("EdtSelfDischarge", QStringLiteral("Self-discharge at most, mV/day"));
    selfDischarge_->setToolTip(
        QStringLiteral("A cell that loses more voltage a day since its first measurement fails"));
    row(QStringLiteral("Self-&discharge at most (mV/day):"), selfDischarge_, selfDischarge_);
    bins_ = field("EdtBins", QStringLiteral("Bins"));
    bins_->setToolTip(QString::fromLatin1(BinsFormat));
    bins_->setAccessibleDescription(QString::fromLatin1(BinsFormat));
    bins_->setPlaceholderText(QStringLiteral("ir:A<=40,B<=60,C"));
    row(QStringLiteral("&Bins:"), bins_, bins_);
    auto* binsHelp = new QLabel(QString::fromLatin1(BinsFormat), this);
    binsHelp->setObjectName(QStringLiteral("LblBinsFormat"));
    binsHelp->setWordWrap(true);
    form->addRow(QString(), binsHelp);
    notes_ = field("EdtNotes", QStringLiteral("Notes"));
    row(QStringLiteral("No&tes:"), notes_, notes_);
    auto* emptyHelp = new QLabel(QStringLiteral("An empty field is a limit not set."), this);
    form->addRow(QString(), emptyHelp);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("LblStatus"));
    status_->setAccessibleDescription(QStringLiteral("What the editor did last"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto button = [this](const QString& text, const char* name, void (ProfileEditor::*run)()) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        // Enter presses the button that has the focus; in a field it saves.
        b->setAutoDefault(true);
        connect(b, &QPushButton::clicked, this, run);
        return b;
    };
    newButton_ = button(QStringLiteral("&New"), "BtnNew", &ProfileEditor::newProfile);
    saveButton_ = button(QStringLiteral("&Save"), "BtnSave", &ProfileEditor::save);
    saveButton_->setDefault(true);
    removeButton_ = button(QStringLiteral("&Remove"), "BtnRemove", &ProfileEditor::remove);
    closeButton_ = new QPushButton(QStringLiteral("&Close"), this);
    closeButton_->setObjectName(QStringLiteral("BtnClose"));
    closeButton_->setAutoDefault(true);
    closeButton_->setToolTip(QStringLiteral("Close the editor (Escape)"));
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);

    auto* left = new QVBoxLayout();
    left->addWidget(listLabel);
    left->addWidget(list_, 1);
    auto* top = new QHBoxLayout();
    top->addLayout(left, 1);
    top->addLayout(form, 2);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(newButton_);
    buttons->addWidget(saveButton_);
    buttons->addWidget(removeButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    const QList<QWidget*> order = {list_,    name_,      irPass_,     irFail_,        passMin_,
                                   passMax_, warnMin_,   warnMax_,    selfDischarge_, bins_,
                                   notes_,   newButton_, saveButton_, removeButton_,  closeButton_};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order.at(i - 1), order.at(i));
    }
    CloseOnEscape(*this);
    resize(760, 460);
    updateButtons();
}

void ProfileEditor::edit(BenchInventory& bench, const QString& chosen) {
    if (bench_ != &bench) {
        bench_ = &bench;
        connect(&bench, &QObject::destroyed, this, [this] {
            say(
                QStringLiteral("The inventory these profiles belong to is closed: open "
                               "Profiles... in Sort Cells again to save what is typed here."));
            updateButtons();
        });
    }
    say(QString());
    // What is typed and not saved yet stays; the list is read afresh.
    reload(edited_ ? shown_.name : chosen);
}

void ProfileEditor::reload(const QString& select) {
    profiles_ = bench_ ? bench_->profiles() : QVector<Profile>();
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
        int found = -1;
        for (int i = 0; i < profiles_.size(); ++i) {
            list_->addItem(profiles_.at(i).name);
            if (profiles_.at(i).name == select) {
                found = i;
            }
        }
        if (found < 0 && !edited_ && !profiles_.isEmpty()) {
            found = 0;
        }
        row_ = found;
        list_->setCurrentRow(row_);
    }
    if (!edited_) {
        fill(row_ >= 0 ? profiles_.at(row_) : Profile());
    }
    updateButtons();
}

void ProfileEditor::fill(const Profile& profile) {
    shown_ = profile;
    name_->setText(profile.name);
    irPass_->setText(numberText(profile.irPass));
    irFail_->setText(numberText(profile.irFail));
    passMin_->setText(profile.voltPass ? Csv::Number(profile.voltPass->min) : QString());
    passMax_->setText(profile.voltPass ? Csv::Number(profile.voltPass->max) : QString());
    warnMin_->setText(profile.voltWarn ? Csv::Number(profile.voltWarn->min) : QString());
    warnMax_->setText(profile.voltWarn ? Csv::Number(profile.voltWarn->max) : QString());
    selfDischarge_->setText(numberText(profile.selfDischargeMax));
    bins_->setText(profile.bins.isEmpty() ? QString() : BinsLine(profile));
    notes_->setText(profile.notes);
    // Each field shows its start: a long note is read from its first word.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        edit->setCursorPosition(0);
    }
    edited_ = false;
    updateButtons();
}

void ProfileEditor::onRowChanged(int row) {
    if (row == row_) {
        return;
    }
    if (!mayDropEdits()) {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(row_);
        return;
    }
    row_ = row;
    say(QString());
    fill(row >= 0 && row < profiles_.size() ? profiles_.at(row) : Profile());
}

std::optional<Profile> ProfileEditor::fromFields(QString& why, QWidget** field) const {
    Profile made;
    made.name = name_->text().trimmed();
    made.notes = notes_->text().trimmed();
    auto fault = [&](QWidget* at, const QString& text) {
        why = text;
        if (field) {
            *field = at;
        }
        return std::nullopt;
    };
    if (!readNumber(irPass_, QStringLiteral("IR PASS limit"), made.irPass, why)) {
        return fault(irPass_, why);
    }
    if (!readNumber(irFail_, QStringLiteral("IR FAIL limit"), made.irFail, why)) {
        return fault(irFail_, why);
    }
    const struct {
        QLineEdit* from;
        QLineEdit* to;
        const char* what;
        std::optional<Window>* into;
    } windows[] = {{passMin_, passMax_, "PASS", &made.voltPass},
                   {warnMin_, warnMax_, "WARN", &made.voltWarn}};
    for (const auto& w : windows) {
        const QString what = QString::fromLatin1(w.what);
        std::optional<double> from;
        std::optional<double> to;
        if (!readNumber(w.from, what + QStringLiteral(" voltage"), from, why)) {
            return fault(w.from, why);
        }
        if (!readNumber(w.to, what + QStringLiteral(" voltage"), to, why)) {
            return fault(w.to, why);
        }
        if (from.has_value() != to.has_value()) {
            return fault(
                from ? w.to : w.from,
                QStringLiteral("the %1 voltage window needs both its ends, or neither").arg(what));
        }
        if (from) {
            *w.into = Window{*from, *to};
        }
    }
    if (!readNumber(selfDischarge_, QStringLiteral("self-discharge limit"), made.selfDischargeMax,
                    why)) {
        return fault(selfDischarge_, why);
    }
    const QString binsRefusal = ReadBinsLine(bins_->text(), made);
    if (!binsRefusal.isEmpty()) {
        return fault(bins_, QStringLiteral("the bins: %1").arg(binsRefusal));
    }
    const QString problem = made.problem();
    if (!problem.isEmpty()) {
        return fault(made.name.isEmpty() ? name_ : nullptr, problem);
    }
    return made;
}

void ProfileEditor::newProfile() {
    if (!mayDropEdits()) {
        return;
    }
    {
        const QSignalBlocker quiet(list_);
        row_ = -1;
        list_->setCurrentRow(-1);
    }
    fill(Profile());
    say(QStringLiteral("A new profile: type its name and limits, then Save."));
    name_->setFocus(Qt::OtherFocusReason);
}

void ProfileEditor::save() {
    QString why;
    QWidget* field = nullptr;
    const std::optional<Profile> made = fromFields(why, &field);
    if (!made) {
        refuse(QStringLiteral("The profile was not saved: %1.").arg(why), field);
        return;
    }
    // Another profile's name: that one would be replaced as a whole.
    const bool another = made->name != shown_.name &&
                         std::any_of(profiles_.cbegin(), profiles_.cend(),
                                     [&](const Profile& p) { return p.name == made->name; });
    if (another &&
        app().dialogs().ask(this, Dialogs::Icon::Warning, Dialogs::appTitle(),
                            QStringLiteral("There is a profile \"%1\" already. Replace its "
                                           "limits with these?")
                                .arg(made->name),
                            {QStringLiteral("&Replace"), QStringLiteral("&Cancel")}, 1, 1) != 0) {
        return;
    }
    // Checked after the question: the sorting window may have closed while it was asked.
    if (!bench_) {
        refuse(QStringLiteral("The profile was not saved: the inventory it belongs to is closed. "
                              "Open Profiles... in Sort Cells again; what is typed here stays."),
               nullptr);
        return;
    }
    if (!bench_->saveProfile(*made)) {
        refuse(QStringLiteral("The profile \"%1\" was not saved: %2.")
                   .arg(made->name, bench_->error()),
               nullptr);
        return;
    }
    edited_ = false;
    reload(made->name);
    say(QStringLiteral("The profile \"%1\" is saved.").arg(made->name));
    Q_EMIT profilesChanged();
}

void ProfileEditor::remove() {
    const QString name = shown_.name;
    if (name.isEmpty() || row_ < 0) {
        return;
    }
    if (app().dialogs().ask(this, Dialogs::Icon::Warning, Dialogs::appTitle(),
                            QStringLiteral("Remove the profile \"%1\"? The cells and "
                                           "measurements judged by it stay as they are.")
                                .arg(name),
                            {QStringLiteral("&Remove"), QStringLiteral("&Keep")}, 1, 1) != 0) {
        return;
    }
    if (!bench_) {
        refuse(QStringLiteral("The profile was not removed: the inventory it belongs to is "
                              "closed."),
               nullptr);
        return;
    }
    if (!bench_->removeProfile(name)) {
        refuse(QStringLiteral("The profile \"%1\" was not removed: %2.").arg(name, bench_->error()),
               nullptr);
        return;
    }
    edited_ = false;
    reload(QString());
    say(QStringLiteral("The profile \"%1\" is removed.").arg(name));
    list_->setFocus(Qt::OtherFocusReason);
    Q_EMIT profilesChanged();
}

bool ProfileEditor::mayDropEdits() {
    if (!edited_) {
        return true;
    }
    const QString text =
        shown_.name.isEmpty()
            ? QStringLiteral("The new profile is not saved. Drop it?")
            : QStringLiteral("The changes to \"%1\" are not saved. Drop them?").arg(shown_.name);
    const bool drop =
        app().dialogs().ask(this, Dialogs::Icon::Warning, Dialogs::appTitle(), text,
                            {QStringLiteral("&Drop"), QStringLiteral("&Keep Editing")}, 1, 1) == 0;
    if (drop) {
        edited_ = false;
    }
    return drop;
}

void ProfileEditor::refuse(const QString& text, QWidget* field) {
    say(text);
    app().dialogs().message(this, Dialogs::Icon::Warning, Dialogs::appTitle(), text);
    if (field) {
        field->setFocus(Qt::OtherFocusReason);
    }
}

void ProfileEditor::say(const QString& text) {
    status_->setText(text);
}

void ProfileEditor::updateButtons() {
    removeButton_->setEnabled(row_ >= 0 && !shown_.name.isEmpty());
}

void ProfileEditor::closeEvent(QCloseEvent* event) {
    if (!mayDropEdits()) {
        event->ignore();
        return;
    }
    AppWindow::closeEvent(event);
}
