#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "ProgramRig.h"
#include "SimProcess.h"
#include "core/cells/Inventory.h"
#include "windows/cells/SortCells.h"

// The program over the simulator's sorting session, with the Sort Cells window opened from the
// toolbar on an inventory in the default place under a data folder of the test's own.
class SortRig {
  public:
    // The profile the tests judge by: PASS at or below 45 mOhm, FAIL above 60, three bins.
    static Profile TestProfile() {
        Profile profile;
        profile.name = QStringLiteral("Test 18650");
        profile.irPass = 45;
        profile.irFail = 60;
        profile.voltPass = Window{3.6, 4.2};
        profile.voltWarn = Window{3.4, 4.25};
        profile.bins = {{QStringLiteral("Low"), 40},
                        {QStringLiteral("Mid"), 55},
                        {QStringLiteral("High"), std::numeric_limits<double>::infinity()}};
        return profile;
    }

    // `cells`: the simulator's cell file, one "milliohms volts" a line; `extra`: more options.
    explicit SortRig(const QByteArray& cells, const QStringList& extra = {})
        : data_(dir.filePath(QStringLiteral("data"))) {
        qputenv("XDG_DATA_HOME", data_.toLocal8Bit());
        const QString cellFile = WriteText(dir.filePath(QStringLiteral("cells.txt")), cells);
        sim = std::make_unique<SimProcess>(QStringList{QStringLiteral("--sort"), cellFile} + extra);
    }

    // The program started on the simulator, the test profile saved in the inventory, and the
    // window open with that profile chosen.
    bool open() {
        if (!sim->isReady() || !rig.start(sim->path())) {
            return false;
        }
        {
            Inventory setup;
            if (!setup.open(Inventory::DefaultLocation()) || !setup.saveProfile(TestProfile())) {
                return false;
            }
        }
        rig.click(QStringLiteral("Sort"));
        window = rig.app.windows().find<SortCells>();
        if (!window || !window->isVisible() || !window->inventory().isOpen()) {
            return false;
        }
        const int index = window->profileChoice()->findText(TestProfile().name);
        window->profileChoice()->setCurrentIndex(index);
        window->activateWindow();
        return index >= 0 && QTest::qWaitForWindowActive(window);
    }

    // Where the window keeps its captures unless told otherwise.
    QString inventoryPath() const { return Inventory::DefaultLocation(); }
    SessionTable& table() { return window->session(); }
    int rows() { return table().rowCount(); }
    QString cell(int row, int column) { return table().index(row, column).data().toString(); }
    QString state() const { return window->stateLabel()->text(); }
    // Waits for the probes to be open, as a person waits before typing the next ID.
    bool waitOpen(int timeoutMs = 15000) {
        return QTest::qWaitFor([this] { return state() == u"Touch a cell"; }, timeoutMs);
    }
    bool waitRows(int count, int timeoutMs = 20000) {
        return QTest::qWaitFor([this, count] { return rows() >= count; }, timeoutMs);
    }
    // A key as a person presses it: to the widget with the focus.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window, key, modifiers);
    }
    void keys(const QKeySequence& sequence) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keySequence(focus ? focus : window, sequence);
    }

    QTemporaryDir dir;
    std::unique_ptr<SimProcess> sim;
    ProgramRig rig;
    SortCells* window = nullptr;

  private:
    QString data_;
};

// A second look at the inventory file, as another program sees it.
inline std::optional<Measurement> Stored(const QString& path, const QString& uuid) {
    Inventory other;
    if (!other.open(path)) {
        return std::nullopt;
    }
    return other.measurement(uuid);
}
