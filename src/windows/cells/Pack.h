#pragma once

#include <QThread>
#include <atomic>
#include <memory>

#include "core/cells/Inventory.h"
#include "core/cells/PackMatcher.h"
#include "windows/cells/PackMap.h"
#include "windows/common/AppWindow.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Draws the assembly map through PackMap::Render, the one drawing of a pack.
class PackMapView : public QWidget {
    Q_OBJECT

  public:
    explicit PackMapView(QWidget* parent = nullptr);
    void setMap(const PackMap::Map& map);
    const PackMap::Map& map() const { return map_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    PackMap::Map map_;
};

// Builds an S×P pack from the inventory's cells: the matcher runs on a worker thread, its best
// answer and bound shown as it goes; the answer is drawn as the assembly map, printed, written
// as a PDF or saved into the inventory so that its cells are not offered again.
class Pack : public AppWindow {
    Q_OBJECT

  public:
    explicit Pack(App& app);
    ~Pack() override;

    static QString caption() { return QStringLiteral("Pack"); }
    static QString pdfFilter() { return QStringLiteral("PDF (*.pdf)|*.pdf|"); }

    // False, after saying why, when it cannot be opened: the inventory open before stays.
    bool openInventory(const QString& location);
    void chooseInventory();
    void chooseServer();
    Inventory& inventory() { return *inventory_; }

    void run();
    void stop();
    bool running() const { return worker_ != nullptr; }
    void print();
    void savePdf();
    void savePack();

    // The last answer; its status is not Solved until a run found one.
    const PackResult& result() const { return result_; }
    const PackProblem& problem() const { return problem_; }

    QComboBox* profileChoice() const { return profileChoice_; }
    QComboBox* verdictChoice() const { return verdictChoice_; }
    QSpinBox* seriesChoice() const { return seriesChoice_; }
    QSpinBox* parallelChoice() const { return parallelChoice_; }
    QComboBox* objectiveChoice() const { return objectiveChoice_; }
    QDoubleSpinBox* ratioChoice() const { return ratioChoice_; }
    QDoubleSpinBox* timeChoice() const { return timeChoice_; }
    QLineEdit* locksEdit() const { return locksEdit_; }
    QPushButton* runButton() const { return runButton_; }
    QPushButton* stopButton() const { return stopButton_; }
    QLabel* statusLabel() const { return statusLabel_; }
    QLabel* figuresLabel() const { return figuresLabel_; }
    PackMapView* mapView() const { return mapView_; }

  Q_SIGNALS:
    // A run ended, with an answer or a refusal.
    void finished();

  protected:
    void onUnload() override;

  private:
    QWidget* buildChoices();
    void loadProfiles();
    void showProgress(const PackProgress& progress);
    void showResult(const PackResult& result);
    void updateButtons();
    void endWorker();
    QString mapTitle() const;

    std::unique_ptr<Inventory> inventory_;
    PackProblem problem_;
    PackResult result_;
    QThread* worker_ = nullptr;
    std::atomic<bool> stopAsked_{false};
    bool saved_ = false;  // this answer is in the inventory as a pack

    QLabel* inventoryLabel_ = nullptr;
    QComboBox* profileChoice_ = nullptr;
    QComboBox* verdictChoice_ = nullptr;
    QSpinBox* seriesChoice_ = nullptr;
    QSpinBox* parallelChoice_ = nullptr;
    QComboBox* objectiveChoice_ = nullptr;
    QDoubleSpinBox* ratioChoice_ = nullptr;
    QDoubleSpinBox* timeChoice_ = nullptr;
    QLineEdit* locksEdit_ = nullptr;
    QPushButton* runButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* pdfButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* figuresLabel_ = nullptr;
    PackMapView* mapView_ = nullptr;
};

// The toolbar's "Pack": opens the window on the inventory at its default place, or brings it
// to the front.
void OpenPack(App& app);
