#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

// Every serial device with its COM number, path, description, maker, USB id and serial number,
// and whether it is free, busy or not permitted: what the system's device manager showed.
class SerialDevices : public QWidget {
    Q_OBJECT

  public:
    explicit SerialDevices(QWidget* parent = nullptr);

    // Lists the devices again, trying each one.
    void refresh();
    QTableWidget* table() const { return table_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QTableWidget* table_;
    QLabel* hint_;
};
