#pragma once

#include "windows/common/AppWindow.h"

class QLineEdit;

// Replots the data plot with other scales or a part of the rows. "OK" closes the plot, checks
// the input and, when it is accepted, plots the same list again.
class Plot2Range : public AppWindow {
    Q_OBJECT

  public:
    explicit Plot2Range(App& app);

    void ok();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fill();

    QLineEdit* txtR1_;
    QLineEdit* txtR2_;
    QLineEdit* txtT1_;
    QLineEdit* txtT2_;
    QLineEdit* upTxtR1_;
    QLineEdit* upTxtR2_;
};
