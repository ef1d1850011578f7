#pragma once

#include <QHash>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <memory>
#include <optional>

#include "core/cells/BenchInventory.h"
#include "core/cells/CaptureMachine.h"
#include "core/cells/Profile.h"
#include "windows/cells/BenchesTable.h"
#include "windows/cells/SessionTable.h"
#include "windows/common/AppWindow.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class QToolBar;

// The sorting station: each cell touched by the probes is captured, judged against the chosen
// profile, committed to the cell inventory, then announced by a sound and a flash. The state
// and the last result are shown in words large enough to read across the bench. One session
// lasts from the window's opening to its closing.
class SortCells : public AppWindow {
    Q_OBJECT

  public:
    explicit SortCells(App& app);
    ~SortCells() override;

    static QString caption() { return QStringLiteral("Sort Cells"); }
    static QString fileFilter() {
        return QStringLiteral("Cell inventory (*.sqlite)|*.sqlite|All Files (*.*)|*.*|");
    }
    static QString csvFilter() { return QStringLiteral("CSV (*.csv)|*.csv|All Files (*.*)|*.*|"); }

    // Opens the inventory at `location`, which then holds this window's captures; the table
    // starts a new session. False, after saying why, when it cannot be opened: the inventory
    // open before stays.
    bool openInventory(const QString& location);
    BenchInventory& inventory() { return *inventory_; }
    const QString& sessionId() const { return session_; }

    // The reading just decoded, as the receive tick gives it.
    void takeReading();
    // The capture key: the latest reading at once, settled or not.
    void captureNow();
    // Marks the last capture deleted in the inventory; redo brings it back.
    void undo();
    void redo();
    void exportCsv();
    void print();
    // Lets the person pick another inventory file, or a server by its address.
    void chooseInventory();
    void chooseServer();
    // The other benches' latest captures, while asked for.
    void showOthers();
    const BenchesTable& others() const { return others_; }
    // Opens the profile editor on this window's inventory; the choice follows its changes.
    void editProfiles();

    QAction* toolbarButton(const QString& key) const { return buttons_.value(key); }
    QLineEdit* idField() const { return idField_; }
    QLineEdit* prefixField() const { return prefixField_; }
    QComboBox* profileChoice() const { return profileChoice_; }
    QSpinBox* settleChoice() const { return settleChoice_; }
    QLabel* stateLabel() const { return stateLabel_; }
    QLabel* resultLabel() const { return resultLabel_; }
    QLabel* countsLabel() const { return countsLabel_; }
    QLabel* binsLabel() const { return binsLabel_; }
    QTableView* table() const { return table_; }
    SessionTable& session() { return rows_; }
    // The profile the next capture is judged by.
    Profile profile() const;

  Q_SIGNALS:
    // A capture was committed to the inventory and is being announced (sound and flash).
    void announced(const QString& uuid);

  protected:
    void onUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    struct Step {
        QString uuid;
        QStringList replaced;
        bool undone = false;
    };

    void buildToolbar();
    QWidget* buildChoices();
    void onStateChanged(CaptureState state);
    void onCaptured(const Capture& capture);
    void onNoData(bool noData);
    void askRemeasures();
    void replaceEarlier(const QString& uuid, const QStringList& earlier);
    void announce(const SessionRow& row);
    void flash();
    void showResult(const SessionRow* row);
    void showCounts();
    void showNextId();
    void showProfileLimits();
    void loadProfiles();
    void confirmId();
    bool storeEdit(const SessionTable::Edit& edit);
    bool setDeleted(const QString& uuid, bool deleted);
    void updateMarks();
    void refuse(const QString& text);
    void showServerStatus(const QString& line);
    // The cell inventory as it reads: null while its server is away.
    Inventory* readable();
    QString portLabel() const;

    std::unique_ptr<BenchInventory> inventory_;
    QString session_;
    CaptureMachine machine_;
    SessionTable rows_;
    QVector<Step> steps_;  // the session's captures in order, for undo and redo
    QVector<Profile> profiles_;
    QStringList pendingQuestions_;  // captures of a cell measured before in the session
    bool asking_ = false;
    bool idConfirmed_ = false;  // the ID field holds an ID ended by Enter
    bool noData_ = false;
    int flashesLeft_ = 0;
    int beepsLeft_ = 0;
    QTimer flashTimer_;
    QTimer beepTimer_;

    QToolBar* toolbar_ = nullptr;
    QHash<QString, QAction*> buttons_;
    QLabel* stateLabel_ = nullptr;
    QLabel* resultLabel_ = nullptr;
    QLabel* reasonsLabel_ = nullptr;
    QLineEdit* idField_ = nullptr;
    QLineEdit* prefixField_ = nullptr;
    QComboBox* profileChoice_ = nullptr;
    QPushButton* profilesButton_ = nullptr;
    QLabel* nextLabel_ = nullptr;
    QLabel* limitsLabel_ = nullptr;
    QSpinBox* settleChoice_ = nullptr;
    QLabel* inventoryLabel_ = nullptr;
    QPushButton* inventoryButton_ = nullptr;
    QPushButton* serverButton_ = nullptr;
    QLabel* serverLabel_ = nullptr;  // the one line on the server: away, or back
    QCheckBox* othersChoice_ = nullptr;
    QTableView* othersView_ = nullptr;
    BenchesTable others_;
    QTimer othersTimer_;
    QLabel* countsLabel_ = nullptr;
    QLabel* binsLabel_ = nullptr;
    QTableView* table_ = nullptr;
};

// The toolbar's "Sort": opens the sorting window on the inventory at its default place, or
// brings it to the front.
void OpenSortCells(App& app);
