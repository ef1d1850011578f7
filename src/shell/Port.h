#pragma once

#include <QPointer>

#include "windows/common/AppWindow.h"

class MeterListener;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class SerialDevices;

// The first window: chooses the COM port of the meter, then opens the main window.
class Port : public AppWindow {
    Q_OBJECT

  public:
    explicit Port(App& app);

    // The OK button: sets ComPortNo from the text, opens the main window, closes for good.
    void accept();
    // The "No Meter" button: opens the main window with no port, closes for good.
    void openWithoutMeter();
    // Chooses "COM  n" (the command line's port).
    void preselect(int number);
    // Refills the list with COM 1 to 16, none chosen.
    void reset();
    // Lists only the ports that open or are busy; "Com Port Error !!!" when there is none.
    // The first is chosen, then every port that opened is listened to for a moment: the one
    // the meter talks on is chosen instead.
    void autoScan();
    bool isListening() const;
    // The "Serial Devices" window, our stand-in for the system's device manager.
    void showDevices();

  Q_SIGNALS:
    // The main window is open, with the port or with no meter.
    void mainWindowOpened();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void showDevice();
    void stopListening();
    void heard(int number);

    QComboBox* txtCom_;
    QLabel* lblDevice_;
    QProgressBar* progressBar1_;
    QPushButton* cmdOk_;
    QPointer<SerialDevices> devices_;
    MeterListener* listener_;
};
