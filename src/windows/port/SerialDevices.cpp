#include "windows/port/SerialDevices.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/port/PortChoice.h"
#include "platform/ComMap.h"
#include "platform/widgets/BusyCursor.h"

namespace {

enum Column { Com, Path, Description, Maker, UsbId, Serial, State, ColumnCount };

}  // namespace

SerialDevices::SerialDevices(QWidget* parent)
    : QWidget(parent, Qt::Window), table_(new QTableWidget(this)), hint_(new QLabel(this)) {
    setObjectName(QStringLiteral("SerialDevices"));
    setWindowTitle(QStringLiteral("Serial Devices"));

    table_->setObjectName(QStringLiteral("DeviceTable"));
    table_->setAccessibleName(QStringLiteral("Serial devices"));
    table_->setColumnCount(ColumnCount);
    table_->setHorizontalHeaderLabels({QStringLiteral("COM"), QStringLiteral("Path"),
                                       QStringLiteral("Description"), QStringLiteral("Maker"),
                                       QStringLiteral("USB ID"), QStringLiteral("Serial number"),
                                       QStringLiteral("State")});
    table_->verticalHeader()->hide();
    // Tab goes on to the buttons; the arrows move in the table.
    table_->setTabKeyNavigation(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setStretchLastSection(true);

    hint_->setObjectName(QStringLiteral("DialoutHint"));
    hint_->setWordWrap(true);
    hint_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    hint_->setText(
        QStringLiteral("A device that is not permitted needs your user in the dialout group: run "
                       "\"sudo adduser $USER dialout\", then log out and in again."));

    auto* refreshButton = new QPushButton(QStringLiteral("&Refresh"), this);
    refreshButton->setObjectName(QStringLiteral("BtnRefresh"));
    refreshButton->setShortcut(QKeySequence::Refresh);
    refreshButton->setDefault(true);
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("BtnClose"));
    connect(refreshButton, &QPushButton::clicked, this, &SerialDevices::refresh);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(refreshButton);
    buttons->addWidget(closeButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(table_);
    column->addWidget(hint_);
    column->addLayout(buttons);
    resize(760, 300);
    refresh();
}

void SerialDevices::refresh() {
    BusyCursor busy;
    const QVector<PortChoice::DeviceRow> rows =
        PortChoice::deviceRows(ComMap::current(), ComMap::systemDevices());
    table_->setRowCount(int(rows.size()));
    bool notPermitted = false;
    for (int r = 0; r < rows.size(); ++r) {
        const PortChoice::DeviceRow& row = rows.at(r);
        const QString texts[ColumnCount] = {
            row.number > 0 ? QStringLiteral("COM %1").arg(row.number) : QStringLiteral("–"),
            row.path,
            row.description,
            row.maker,
            row.usbId,
            row.serialNumber,
            PortChoice::stateText(row.state),
        };
        for (int c = 0; c < ColumnCount; ++c) {
            table_->setItem(r, c, new QTableWidgetItem(texts[c]));
        }
        notPermitted |= row.state == SerialLink::OpenResult::NoPermission;
    }
    table_->resizeColumnsToContents();
    hint_->setVisible(notPermitted);
}

void SerialDevices::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
