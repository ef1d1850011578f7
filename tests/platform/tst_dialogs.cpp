#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QSettings>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/widgets/Dialogs.h"
#include "tst_platform.h"

namespace {

// The names the file dialog lists in its folder, in order.
QStringList Listed(const QListView& view) {
    QStringList names;
    const QAbstractItemModel* model = view.model();
    for (int r = 0; r < model->rowCount(view.rootIndex()); ++r) {
        names.append(model->index(r, 0, view.rootIndex()).data().toString());
    }
    names.sort();
    return names;
}

}  // namespace

// The file dialogs' filters read as given, and "All Files (*.*)" lists every file, those with
// no dot in their name too; a person picks one and presses OK.
void TestDialogs::allFilesListsEveryFile_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("chosen");

    const QStringList every = {"README", "cells.Kmk", "notes.txt"};
    QTest::newRow("open, Kelvomark") << false << 1 << QStringList{"cells.Kmk"} << "cells.Kmk"
                                     << "cells.Kmk";
    QTest::newRow("open, All Files") << false << 2 << every << "README"
                                     << "README";
    // A saved name without an extension gets the program's, so that Open lists it.
    QTest::newRow("save, Kelvomark") << true << 1 << QStringList{"cells.Kmk"} << "list"
                                     << "list.Kmk";
    QTest::newRow("save, All Files") << true << 2 << every << "list"
                                     << "list.Kmk";
    QTest::newRow("save, an extension of its own")
        << true << 1 << QStringList{"cells.Kmk"} << "list.txt"
        << "list.txt";
    QTest::newRow("save, the extension typed")
        << true << 1 << QStringList{"cells.Kmk"} << "list.Kmk"
        << "list.Kmk";
}

void TestDialogs::allFilesListsEveryFile() {
    QFETCH(bool, save);
    QFETCH(int, filterIndex);
    QFETCH(QStringList, listed);
    QFETCH(QString, typed);
    QFETCH(QString, chosen);

    QTemporaryDir dir;
    for (const char* name : {"README", "cells.Kmk", "notes.txt"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QStringList filters;
    QString current;
    QStringList shown;
    // The person, once the dialog is up: goes to the folder, looks, types a name, presses OK.
    QTimer person;
    person.setInterval(50);
    QObject::connect(&person, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        person.stop();
        dialog->setDirectory(dir.path());
        const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; types && i < types->count(); ++i) {
            filters.append(types->itemText(i));
        }
        current = types ? types->currentText() : QString();
        const auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        if (view) {
            // The folder is read in the background.
            if (!QTest::qWaitFor([&] { return Listed(*view) == listed; }, 5000)) {
                qWarning("the dialog did not list the expected files in time");
            }
            shown = Listed(*view);
        }
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
        QDialog* asDialog = dialog;
        asDialog->accept();
        if (asDialog->isVisible()) {
            asDialog->reject();
        }
    });
    person.start();

    QtDialogs dialogs;
    const QString filter = QStringLiteral("Kelvomark (*.Kmk)|*.Kmk|All Files (*.*)|*.*|");
    const QString path = save ? dialogs.saveFile(nullptr, filter, filterIndex, true)
                              : dialogs.openFile(nullptr, filter, filterIndex);

    QCOMPARE(filters, (QStringList{"Kelvomark (*.Kmk)", "All Files (*.*)"}));
    QCOMPARE(current, filters.value(filterIndex - 1));
    QCOMPARE(shown, listed);
    QCOMPARE(path, dir.filePath(chosen));
}

// Each file dialog starts in the folder of the file chosen last, open or save, remembered in
// the user's settings (here the tests' own); the first time, or when that folder is gone, in
// the documents folder.
void TestDialogs::startsWhereLastLeft_data() {
    QTest::addColumn<QString>("remembered");  // "": nothing yet; "gone": a folder since removed
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("starts");  // "documents" or "remembered"

    QTest::newRow("first time, open") << "" << false << "documents";
    QTest::newRow("first time, save") << "" << true << "documents";
    QTest::newRow("after a save, open") << "saved" << false << "remembered";
    QTest::newRow("after an open, save") << "opened" << true << "remembered";
    QTest::newRow("the folder is gone") << "gone" << false << "documents";
}

void TestDialogs::startsWhereLastLeft() {
    QFETCH(QString, remembered);
    QFETCH(bool, save);
    QFETCH(QString, starts);

    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY2(!config.isEmpty() && !config.startsWith(QDir::homePath() + QStringLiteral("/.config")),
             qPrintable(config));
    QTemporaryDir documents;
    QTemporaryDir work;
    {
        QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DOCUMENTS_DIR=\"" + documents.path().toLocal8Bit() + "\"\n");
    }
    const QString settingsFile = config + QStringLiteral("/kelvomark/kelvomark.conf");
    QFile::remove(settingsFile);

    QString folder;  // where the last chosen file was
    QString startedIn;
    QString typed;
    QTimer person;
    person.setInterval(20);
    QObject::connect(&person, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        person.stop();
        startedIn = dialog->directory().absolutePath();
        dialog->setDirectory(folder);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
        QDialog* asDialog = dialog;
        asDialog->accept();
        if (asDialog->isVisible()) {
            asDialog->reject();
        }
    });
    const QString filter = QStringLiteral("Kelvomark (*.Kmk)|*.Kmk|");
    const auto ask = [&](bool saving, const QString& name) {
        typed = name;
        startedIn.clear();
        person.start();
        QtDialogs dialogs;
        return saving ? dialogs.saveFile(nullptr, filter, 1, true)
                      : dialogs.openFile(nullptr, filter, 1);
    };

    // What an earlier run left behind.
    QString kept;
    if (!remembered.isEmpty()) {
        QTemporaryDir earlier;
        folder = earlier.path();
        {
            QFile file(folder + QStringLiteral("/a.Kmk"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const bool saving = remembered == QLatin1String("saved");
        const QString name = saving ? QStringLiteral("new.Kmk") : QStringLiteral("a.Kmk");
        QCOMPARE(ask(saving, name), folder + u'/' + name);
        QVERIFY2(QFile(settingsFile).exists(), qPrintable(settingsFile));
        kept = folder;
        if (remembered == QLatin1String("gone")) {
            earlier.remove();
        } else {
            earlier.setAutoRemove(false);
        }
    }

    folder = work.path();
    {
        QFile file(folder + QStringLiteral("/b.Kmk"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(ask(save, save ? QStringLiteral("c") : QStringLiteral("b.Kmk")),
             folder + (save ? QStringLiteral("/c.Kmk") : QStringLiteral("/b.Kmk")));
    QCOMPARE(startedIn, starts == QLatin1String("documents") ? documents.path() : kept);
    if (remembered != QLatin1String("gone") && !kept.isEmpty()) {
        QDir(kept).removeRecursively();
    }
    // And the next run starts where this one left off.
    QSettings settings(settingsFile, QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("dialogs/folder")).toString(), work.path());
}

// A question with answers of its own: Enter takes the default, Escape and the close button the
// escape answer, a click the button clicked; the buttons read as given, in order.
void TestDialogs::askAnswers_data() {
    QTest::addColumn<QString>("act");
    QTest::addColumn<int>("defaultAnswer");
    QTest::addColumn<int>("escapeAnswer");
    QTest::addColumn<int>("expected");

    QTest::newRow("Enter, default first") << "enter" << 0 << 1 << 0;
    QTest::newRow("Enter, default second") << "enter" << 1 << 0 << 1;
    QTest::newRow("Escape") << "escape" << 0 << 1 << 1;
    QTest::newRow("closed") << "close" << 1 << 0 << 0;
    QTest::newRow("click") << "click" << 0 << 1 << 1;
}

void TestDialogs::askAnswers() {
    QFETCH(QString, act);
    QFETCH(int, defaultAnswer);
    QFETCH(int, escapeAnswer);
    QFETCH(int, expected);

    QStringList buttons;
    QString text;
    QTimer person;
    person.setInterval(50);
    QObject::connect(&person, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        person.stop();
        text = box->text();
        for (QAbstractButton* button : box->buttons()) {
            buttons.append(button->text());
        }
        if (act == u"enter") {
            QTest::keyClick(box, Qt::Key_Return);
        } else if (act == u"escape") {
            QTest::keyClick(box, Qt::Key_Escape);
        } else if (act == u"close") {
            box->close();
        } else {
            box->buttons().value(1)->click();
        }
    });
    person.start();

    QtDialogs dialogs;
    const int answer = dialogs.ask(
        nullptr, Dialogs::Icon::Warning, Dialogs::appTitle(), QStringLiteral("Which?"),
        {QStringLiteral("First"), QStringLiteral("Second")}, defaultAnswer, escapeAnswer);
    QCOMPARE(answer, expected);
    QCOMPARE(text, QStringLiteral("Which?"));
    QCOMPARE(buttons, (QStringList{"First", "Second"}));
}
