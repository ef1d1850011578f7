#pragma once

#include <QHash>

#include "core/meter/SecondTicker.h"
#include "windows/common/AppWindow.h"

class ClickLabel;
class MeterFace;
class QAction;
class QFrame;
class QLabel;
class QRadioButton;
class QToolBar;

// The main window: a picture of the meter's front with the live reading, the toolbar from
// which every other window is opened, and the two ticks. Closing it ends the program.
class Panel : public AppWindow {
    Q_OBJECT

  public:
    explicit Panel(App& app);

    static QString caption() { return QStringLiteral("Panel   V10.04"); }
    static QString longCaption() { return QStringLiteral("Panel   V10.04   2021.07.01.1"); }

    // Opens the port and starts the ticks. False (after the message) when the port cannot be
    // opened; the caller then closes the window, which ends the program.
    bool load();
    // "No Meter": the window with no port and no ticks, for viewing files. LblCom shows
    // "No COM" and the readings stay blank.
    void loadWithoutMeter();

    // Toolbar button 1's two looks: "Stop Recording" while recording, "Save As" otherwise.
    void setRecordingLook(bool recording);
    QAction* toolbarButton(const QString& key) const { return buttons_.value(key); }

    QLabel* lblRec() const { return lblRec_; }
    QLabel* lblCount() const { return lblCount_; }
    QLabel* lblFileName() const { return lblFileName_; }
    ClickLabel* lblCom() const { return lblCom_; }
    QFrame* helpPanel() const { return ssPHelp_; }
    QLabel* valOhm() const;
    QLabel* valVoltage() const;
    QLabel* lblMOhm() const;
    MeterFace* face() const { return face_; }
    // Timer2: the sampling tick's clock.
    SecondTicker& timer2();

    // Shows the reading just decoded.
    void showReading();
    // The link's state in LblCom: "No COM" while no data arrives, else "COM" and the number.
    void NoDataRoutine();
    void dataBack();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildToolbar();
    QWidget* buildStatusStrip();
    void buildHelpPanel();
    void onNoDataChanged(bool noData);
    void toggleCaption();
    void chooseHelpLanguage();

    QToolBar* toolbar_ = nullptr;
    QHash<QString, QAction*> buttons_;
    MeterFace* face_ = nullptr;
    ClickLabel* lblCom_ = nullptr;
    QLabel* lblRec_ = nullptr;
    QLabel* lblCount_ = nullptr;
    QLabel* lblFileName_ = nullptr;
    QFrame* ssPHelp_ = nullptr;
    QRadioButton* option1_ = nullptr;
};
