#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "SortRig.h"
#include "tst_cellswin.h"
#include "windows/cells/ProfileEditor.h"

Q_DECLARE_METATYPE(Profile)

namespace {

const QStringList Quick = {"--bounce", "2", "--hold-ms", "1800", "--open-ms", "700"};
constexpr double Open = std::numeric_limits<double>::infinity();

// A sound new profile, as "field=text" typed into the editor.
const QStringList Sound = {"EdtName=Blue 21700", "EdtIrPass=18",       "EdtIrFail=30",
                           "EdtPassMin=3.5",     "EdtPassMax=4.2",     "EdtWarnMin=3",
                           "EdtWarnMax=4.25",    "EdtSelfDischarge=8", "EdtBins=ir:A<=15,B<=20,C"};

ProfileEditor* OpenEditor(SortRig& rig) {
    rig.window->findChild<QPushButton*>(QStringLiteral("BtnProfiles"))->click();
    ProfileEditor* editor = rig.rig.app.windows().find<ProfileEditor>();
    return editor && editor->isVisible() ? editor : nullptr;
}

QLineEdit* Field(QWidget* editor, const QString& name) {
    return editor->findChild<QLineEdit*>(name);
}

void Press(QWidget* editor, const char* button) {
    editor->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

// Types each "field=text" as a person does, over what the field held.
bool Type(QWidget* editor, const QStringList& fields) {
    for (const QString& entry : fields) {
        const qsizetype equals = entry.indexOf(u'=');
        QLineEdit* edit = Field(editor, entry.left(equals));
        if (!edit) {
            return false;
        }
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, entry.mid(equals + 1));
    }
    return true;
}

QVector<Profile> StoredProfiles(const QString& path) {
    Inventory other;
    return other.open(path) ? other.profiles() : QVector<Profile>();
}

std::optional<Profile> StoredProfile(const QString& path, const QString& name) {
    Inventory other;
    return other.open(path) ? other.profile(name) : std::nullopt;
}

bool Select(QWidget* editor, const QString& name) {
    auto* list = editor->findChild<QListWidget*>(QStringLiteral("LstProfiles"));
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    if (found.size() != 1) {
        return false;
    }
    list->setCurrentItem(found.first());
    return true;
}

QString Status(QWidget* editor) {
    return editor->findChild<QLabel*>(QStringLiteral("LblStatus"))->text();
}

}  // namespace

void TestProfileEditor::savesANewProfile_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<Profile>("expected");

    Profile all;
    all.name = QStringLiteral("Blue 21700");
    all.irPass = 18;
    all.irFail = 30;
    all.voltPass = Window{3.5, 4.2};
    all.voltWarn = Window{3, 4.25};
    all.selfDischargeMax = 8;
    all.bins = {{QStringLiteral("A"), 15}, {QStringLiteral("B"), 20}, {QStringLiteral("C"), Open}};
    QTest::newRow("every limit") << Sound << all;

    // Empty fields are limits not set; the name is trimmed as the command line trims it.
    Profile failOnly;
    failOnly.name = QStringLiteral("Fail only");
    failOnly.irFail = 75;
    QTest::newRow("one limit") << QStringList{"EdtName=  Fail only ", "EdtIrFail=75"} << failOnly;

    // Decimals as typed, read back to the very value; voltage bins and notes.
    Profile volts;
    volts.name = QStringLiteral("LFP 3.2 V");
    volts.voltPass = Window{3.2, 3.4};
    volts.binOn = Profile::BinOn::Voltage;
    volts.bins = {{QStringLiteral("Low"), 3.281}, {QStringLiteral("High"), Open}};
    volts.notes = QStringLiteral("from the 2024 batch");
    QTest::newRow("voltage bins") << QStringList{"EdtName=LFP 3.2 V", "EdtPassMin=3.2",
                                                 "EdtPassMax=3.4", "EdtBins=volt:Low<=3.281,High",
                                                 "EdtNotes=from the 2024 batch"}
                                  << volts;
}

// A profile typed into a new form is in the inventory as another program reads it, and in the
// window's choice, which keeps the profile chosen before.
void TestProfileEditor::savesANewProfile() {
    QFETCH(QStringList, fields);
    QFETCH(Profile, expected);
    SortRig rig("38.2 3.912\n", Quick);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    ProfileEditor* editor = OpenEditor(rig);
    QVERIFY(editor);
    QCOMPARE(editor->shownName(), SortRig::TestProfile().name);
    Press(editor, "BtnNew");
    QVERIFY(Field(editor, QStringLiteral("EdtName"))->text().isEmpty());
    QVERIFY(Type(editor, fields));
    Press(editor, "BtnSave");

    QVERIFY2(rig.rig.dialogs.messages.isEmpty(),
             qPrintable(rig.rig.dialogs.messages.value(0).text));
    QCOMPARE(StoredProfile(rig.inventoryPath(), expected.name), std::optional<Profile>(expected));
    QCOMPARE(Status(editor), QStringLiteral("The profile \"%1\" is saved.").arg(expected.name));
    QCOMPARE(editor->shownName(), expected.name);
    QVERIFY(!editor->edited());
    QVERIFY(rig.window->profileChoice()->findText(expected.name) >= 0);
    QCOMPARE(rig.window->profileChoice()->currentText(), SortRig::TestProfile().name);
    QCOMPARE(rig.window->profile(), SortRig::TestProfile());
}

void TestProfileEditor::refusesAContradiction_data() {
    QTest::addColumn<QString>("start");  // empty: a new profile with the sound fields
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("focus");  // the field shown at fault, when there is one

    const QString test = SortRig::TestProfile().name;
    QTest::newRow("pass above fail")
        << QString() << QStringList{"EdtIrPass=70", "EdtIrFail=60"}
        << "the pass resistance is above the fail resistance" << QString();
    QTest::newRow("warn window inside pass")
        << QString() << QStringList{"EdtWarnMin=3.6"}
        << "the warn voltage window does not hold the pass window" << QString();
    QTest::newRow("inverted pass window")
        << QString() << QStringList{"EdtPassMin=4.3"}
        << "the pass voltage window ends below its start" << QString();
    QTest::newRow("bins out of order") << QString() << QStringList{"EdtBins=ir:A<=50,B<=40"}
                                       << "the bin edges are not in rising order" << QString();
    QTest::newRow("bin named twice") << QString() << QStringList{"EdtBins=ir:A<=10,A"}
                                     << "the bin name \"A\" is used twice" << QString();
    QTest::newRow("bins without what they sort on")
        << QString() << QStringList{"EdtBins=A<=40,B"} << "the bins begin with"
        << "EdtBins";
    QTest::newRow("open bin before the last")
        << QString() << QStringList{"EdtBins=ir:A,B<=40"} << "only the last bin is open"
        << "EdtBins";
    QTest::newRow("letter for a digit")
        << QString() << QStringList{"EdtIrPass=1O"} << "the IR PASS limit \"1O\" is not a number"
        << "EdtIrPass";
    QTest::newRow("decimal comma")
        << QString() << QStringList{"EdtPassMax=4,2"} << "\"4,2\" is not a number"
        << "EdtPassMax";
    QTest::newRow("one end of a window")
        << QString() << QStringList{"EdtWarnMax="} << "the WARN voltage window needs both its ends"
        << "EdtWarnMax";
    QTest::newRow("negative self-discharge") << QString() << QStringList{"EdtSelfDischarge=-1"}
                                             << "the self-discharge limit is below 0" << QString();
    QTest::newRow("no name") << QString() << QStringList{"EdtName=   "} << "the profile has no name"
                             << "EdtName";
    // A stored profile edited into a contradiction keeps its old limits.
    QTest::newRow("stored profile")
        << test << QStringList{"EdtIrFail=40"} << "the pass resistance is above the fail resistance"
        << QString();
}

// Limits that contradict each other are refused in words, in the editor; nothing is stored and
// what was typed stays to be put right.
void TestProfileEditor::refusesAContradiction() {
    QFETCH(QString, start);
    QFETCH(QStringList, fields);
    QFETCH(QString, said);
    QFETCH(QString, focus);
    SortRig rig("38.2 3.912\n", Quick);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    const QVector<Profile> before = StoredProfiles(rig.inventoryPath());
    QVERIFY(!before.isEmpty());
    const int choices = rig.window->profileChoice()->count();
    ProfileEditor* editor = OpenEditor(rig);
    QVERIFY(editor);
    if (start.isEmpty()) {
        Press(editor, "BtnNew");
        QVERIFY(Type(editor, Sound));
    } else {
        QVERIFY(Select(editor, start));
    }
    QVERIFY(Type(editor, fields));
    const QStringList typed = [&] {
        QStringList texts;
        for (QLineEdit* edit : editor->findChildren<QLineEdit*>()) {
            texts.append(edit->text());
        }
        return texts;
    }();
    Press(editor, "BtnSave");

    QCOMPARE(rig.rig.dialogs.messages.size(), 1);
    const ScriptedDialogs::Shown& shown = rig.rig.dialogs.messages.first();
    QCOMPARE(shown.icon, Dialogs::Icon::Warning);
    QVERIFY2(shown.text.startsWith(u"The profile was not saved: ") && shown.text.contains(said),
             qPrintable(shown.text));
    QCOMPARE(Status(editor), shown.text);
    QCOMPARE(StoredProfiles(rig.inventoryPath()), before);
    QCOMPARE(rig.window->profileChoice()->count(), choices);
    QVERIFY(editor->isVisible());
    for (qsizetype i = 0; QLineEdit * edit : editor->findChildren<QLineEdit*>()) {
        QCOMPARE(edit->text(), typed.at(i++));
    }
    if (!focus.isEmpty()) {
        QCOMPARE(editor->focusWidget()->objectName(), focus);
    }
}

void TestProfileEditor::removeAsks_data() {
    QTest::addColumn<QList<int>>("answers");  // none: the question is closed with Escape
    QTest::addColumn<bool>("removed");

    QTest::newRow("remove") << QList<int>{0} << true;
    QTest::newRow("keep") << QList<int>{1} << false;
    QTest::newRow("closed") << QList<int>{} << false;
}

// Remove asks first; a profile removed leaves the cells and measurements judged by it as they
// are, and leaves the window's choice.
void TestProfileEditor::removeAsks() {
    QFETCH(QList<int>, answers);
    QFETCH(bool, removed);
    SortRig rig("52.0 3.900\n", Quick + QStringList{"--cells", "3"});
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QVERIFY(rig.waitRows(1, 30000));
    const SessionRow judged = rig.table().all().first();
    QCOMPARE(judged.judgement.verdict, Verdict::Warn);
    const QString name = SortRig::TestProfile().name;
    ProfileEditor* editor = OpenEditor(rig);
    QVERIFY(editor);
    QCOMPARE(editor->shownName(), name);
    for (int answer : answers) {
        rig.rig.dialogs.answers.enqueue(answer);
    }
    Press(editor, "BtnRemove");

    QCOMPARE(rig.rig.dialogs.questions.size(), 1);
    const ScriptedDialogs::Question& asked = rig.rig.dialogs.questions.first();
    QVERIFY2(asked.text.contains(u'"' + name + u'"'), qPrintable(asked.text));
    QCOMPARE(asked.escapeAnswer, 1);
    QCOMPARE(StoredProfile(rig.inventoryPath(), name).has_value(), !removed);
    QCOMPARE(rig.window->profileChoice()->findText(name) < 0, removed);
    QCOMPARE(editor->shownName() != name, removed);
    QVERIFY(rig.rig.dialogs.messages.isEmpty());

    Inventory other;
    QVERIFY(other.open(rig.inventoryPath()));
    const std::optional<Measurement> kept = other.measurement(judged.uuid);
    QVERIFY(kept && !kept->deleted);
    QCOMPARE(kept->verdict, Verdict::Warn);
    QCOMPARE(kept->reasons, judged.judgement.reasons);
    const std::optional<CellDetail> cell = other.cell(judged.cellId);
    QVERIFY(cell);
    QCOMPARE(cell->cell.profile, name);
}

// From the sorting window to a saved profile and back with keys only: the button's mnemonic,
// the editor's mnemonics and Tab, Enter to save, Escape to close.
void TestProfileEditor::keyboardOnly() {
    SortRig rig("38.2 3.912\n", Quick);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    rig.window->profileChoice()->setFocus();
    rig.key(Qt::Key_L, Qt::AltModifier);
    // A mnemonic presses its button as a click seen on screen, a moment later.
    QTRY_VERIFY(rig.rig.app.windows().isVisible<ProfileEditor>());
    QPointer<ProfileEditor> editor = rig.rig.app.windows().find<ProfileEditor>();
    QVERIFY(QTest::qWaitForWindowActive(editor));

    rig.key(Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("EdtName"));
    // Tab walks the fields in the order they are read, then the buttons.
    const QStringList order = {"EdtName",    "EdtIrPass",  "EdtIrFail",  "EdtPassMin",
                               "EdtPassMax", "EdtWarnMin", "EdtWarnMax", "EdtSelfDischarge",
                               "EdtBins",    "EdtNotes",   "BtnNew",     "BtnSave"};
    const QStringList texts = {"Key 18650", "40", "55", "3.6", "4.2", "3.4", "4.25", "", "", ""};
    for (qsizetype i = 0; i < order.size(); ++i) {
        QCOMPARE(QApplication::focusWidget()->objectName(), order.at(i));
        if (i < texts.size()) {
            QTest::keyClicks(QApplication::focusWidget(), texts.at(i));
        }
        rig.key(Qt::Key_Tab);
    }
    // Remove is for a stored profile: a new one skips it.
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("BtnClose"));
    rig.key(Qt::Key_B, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("EdtBins"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ir:Lo<=30,Hi"));
    rig.key(Qt::Key_Return);

    Profile expected;
    expected.name = QStringLiteral("Key 18650");
    expected.irPass = 40;
    expected.irFail = 55;
    expected.voltPass = Window{3.6, 4.2};
    expected.voltWarn = Window{3.4, 4.25};
    expected.bins = {{QStringLiteral("Lo"), 30}, {QStringLiteral("Hi"), Open}};
    QCOMPARE(StoredProfile(rig.inventoryPath(), expected.name), std::optional<Profile>(expected));
    QVERIFY(rig.rig.dialogs.messages.isEmpty());

    // Enter on a button presses that button: Remove, with its question answered by Escape.
    editor->findChild<QPushButton*>(QStringLiteral("BtnRemove"))->setFocus();
    rig.key(Qt::Key_Return);
    QCOMPARE(rig.rig.dialogs.questions.size(), 1);
    QVERIFY(StoredProfile(rig.inventoryPath(), expected.name));

    rig.key(Qt::Key_Escape);
    QTRY_VERIFY(!editor || !editor->isVisible());
    QVERIFY(rig.window->profileChoice()->findText(expected.name) >= 0);
}

void TestProfileEditor::choiceFollows_data() {
    QTest::addColumn<bool>("noLimits");
    QTest::newRow("the chosen profile changed") << false;
    QTest::newRow("no limits chosen") << true;
}

// The window's choice follows each save: the chosen profile with its new limits, or no limits
// when none were chosen.
void TestProfileEditor::choiceFollows() {
    QFETCH(bool, noLimits);
    SortRig rig("38.2 3.912\n", Quick);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QComboBox* choice = rig.window->profileChoice();
    if (noLimits) {
        choice->setCurrentIndex(choice->count() - 1);
    }
    const QString chosen = choice->currentText();
    ProfileEditor* editor = OpenEditor(rig);
    QVERIFY(editor);
    QVERIFY(Select(editor, SortRig::TestProfile().name));
    QVERIFY(Type(editor, {"EdtIrFail=65"}));
    QVERIFY(editor->edited());
    Press(editor, "BtnSave");
    QVERIFY(rig.rig.dialogs.messages.isEmpty());
    QCOMPARE(choice->currentText(), chosen);
    QCOMPARE(rig.window->profile().irFail, noLimits ? std::nullopt : std::optional<double>(65));
    QCOMPARE(StoredProfile(rig.inventoryPath(), SortRig::TestProfile().name)->irFail,
             std::optional<double>(65));
}

// The sorting window goes while the editor is open: the editor stays with what was typed, says
// it cannot save it, and saves it once the window is opened again and asks for it.
void TestProfileEditor::outlivesTheWindow() {
    SortRig rig("38.2 3.912\n", Quick);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    QPointer<ProfileEditor> editor = OpenEditor(rig);
    QVERIFY(editor);
    Press(editor, "BtnNew");
    QVERIFY(Type(editor, Sound));
    QPointer<SortCells> window = rig.window;
    rig.rig.app.windows().unload<SortCells>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window);
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(Field(editor, QStringLiteral("EdtName"))->text(), QStringLiteral("Blue 21700"));

    Press(editor, "BtnSave");
    QCOMPARE(rig.rig.dialogs.messages.size(), 1);
    QVERIFY2(rig.rig.dialogs.messages.first().text.contains(u"inventory it belongs to is closed"),
             qPrintable(rig.rig.dialogs.messages.first().text));
    QVERIFY(!StoredProfile(rig.inventoryPath(), QStringLiteral("Blue 21700")));
    QVERIFY(editor->edited());

    rig.rig.click(QStringLiteral("Sort"));
    rig.window = rig.rig.app.windows().find<SortCells>();
    QVERIFY(rig.window && rig.window->inventory().isOpen());
    QCOMPARE(OpenEditor(rig), editor.data());
    QCOMPARE(Field(editor, QStringLiteral("EdtName"))->text(), QStringLiteral("Blue 21700"));
    Press(editor, "BtnSave");
    QCOMPARE(rig.rig.dialogs.messages.size(), 1);
    QVERIFY(StoredProfile(rig.inventoryPath(), QStringLiteral("Blue 21700")));
    QVERIFY(rig.window->profileChoice()->findText(QStringLiteral("Blue 21700")) >= 0);
}

// A server that cannot be reached takes no profile: the editor says so, and keeps the form.
void TestProfileEditor::serverAway() {
    SortRig rig("38.2 3.912\n", Quick);
    QVERIFY2(rig.open(), qPrintable(rig.sim->errorText()));
    // Nothing listens on port 1: the connection is refused at once.
    rig.rig.dialogs.files.enqueue(QStringLiteral("postgresql://sorter@127.0.0.1:1/cells"));
    rig.window->findChild<QPushButton*>(QStringLiteral("BtnInventory"))->click();
    QVERIFY(rig.window->inventory().isServer());
    QVERIFY(!rig.window->inventory().isOnline());
    const qsizetype said = rig.rig.dialogs.messages.size();
    ProfileEditor* editor = OpenEditor(rig);
    QVERIFY(editor);
    Press(editor, "BtnNew");
    QVERIFY(Type(editor, Sound));
    Press(editor, "BtnSave");
    QCOMPARE(rig.rig.dialogs.messages.size(), said + 1);
    const QString text = rig.rig.dialogs.messages.last().text;
    QVERIFY2(text.startsWith(u"The profile \"Blue 21700\" was not saved: 127.0.0.1 cannot be "
                             u"reached"),
             qPrintable(text));
    QVERIFY(editor->edited());
    QCOMPARE(Field(editor, QStringLiteral("EdtName"))->text(), QStringLiteral("Blue 21700"));
}
