#pragma once

#include "app/AppWindow.h"

class QComboBox;

// The first window: chooses the COM port of the meter, then opens the main window.
class Port : public AppWindow {
    Q_OBJECT

public:
    explicit Port(App& app);

    // The OK button: sets ComPortNo from the text, opens the main window, closes for good.
    void accept();

private:
    QComboBox* txtCom_;
};
