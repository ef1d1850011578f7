#include "shell/Port.h"

#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "core/meter/MeterListener.h"
#include "core/port/PortChoice.h"
#include "platform/ComMap.h"
#include "platform/widgets/BusyCursor.h"
#include "platform/widgets/Dialogs.h"
#include "shell/Panel.h"
#include "windows/common/Accessibility.h"
#include "windows/common/App.h"
#include "windows/port/SerialDevices.h"

namespace {

// The bar while the ports are tried: "3 of 16".
const QString ScanFormat = QStringLiteral("%v of %m");

QPushButton* namedButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

Port::Port(App& app)
    : AppWindow(app),
      txtCom_(new QComboBox(this)),
      lblDevice_(new QLabel(this)),
      progressBar1_(new QProgressBar(this)),
      cmdOk_(namedButton(this, QStringLiteral("CmdOk"), QStringLiteral("OK"))),
      listener_(new MeterListener(this)) {
    setObjectName(QStringLiteral("Port"));
    setWindowTitle(QStringLiteral("COM Port"));
    MarkAsDialog(*this);

    txtCom_->setObjectName(QStringLiteral("TxtCOM"));
    txtCom_->setEditable(true);
    // Enter accepts the dialog; it never adds the typed text to the list.
    txtCom_->setInsertPolicy(QComboBox::NoInsert);
    // The choice is matched exactly: a combo that completes regardless of case would turn a
    // typed "com  3" into "COM  3" when Enter or a click ends the editing.
    txtCom_->completer()->setCaseSensitivity(Qt::CaseSensitive);
    txtCom_->setMinimumContentsLength(12);
    txtCom_->setAccessibleName(QStringLiteral("COM port"));
    txtCom_->lineEdit()->setAccessibleName(QStringLiteral("COM port"));
    auto* caption = new QLabel(QStringLiteral("&Port:"), this);
    caption->setBuddy(txtCom_);

    lblDevice_->setObjectName(QStringLiteral("LblDevice"));
    lblDevice_->setWordWrap(true);
    lblDevice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDevice_->setAccessibleDescription(QStringLiteral("The device behind the chosen port"));
    QPalette dim = lblDevice_->palette();
    dim.setColor(QPalette::WindowText, dim.color(QPalette::PlaceholderText));
    lblDevice_->setPalette(dim);

    QPushButton* btnReset = namedButton(this, QStringLiteral("BtnReset"), QStringLiteral("Reset"));
    QPushButton* btnAutoScan =
        namedButton(this, QStringLiteral("BtnAutoScan"), QStringLiteral("AutoScan"));
    QPushButton* btnDeviceManager =
        namedButton(this, QStringLiteral("BtnDeviceManager"), QStringLiteral("Device Manager"));
    btnDeviceManager->setToolTip(QStringLiteral("Every serial device and whether it is free"));
    cmdOk_->setDefault(true);
    QPushButton* cmdNoMeter =
        namedButton(this, QStringLiteral("CmdNoMeter"), QStringLiteral("No Meter"));
    cmdNoMeter->setShortcut(QKeySequence(Qt::ALT | Qt::Key_N));
    cmdNoMeter->setToolTip(
        QStringLiteral("Open the main window without a meter, to view files (Alt+N)"));

    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1_->setAccessibleName(QStringLiteral("Scan progress"));
    progressBar1_->setRange(0, ComMap::PortCount);
    progressBar1_->setValue(0);
    progressBar1_->setFormat(ScanFormat);

    auto* grid = new QGridLayout(this);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(txtCom_, 0, 1);
    grid->addWidget(btnReset, 0, 2);
    grid->addWidget(lblDevice_, 1, 1, 1, 2);
    grid->addWidget(btnAutoScan, 2, 0);
    grid->addWidget(progressBar1_, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(btnDeviceManager);
    buttons->addStretch(1);
    buttons->addWidget(cmdNoMeter);
    buttons->addWidget(cmdOk_);
    grid->addLayout(buttons, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    lblDevice_->setMinimumWidth(280);

    connect(btnReset, &QPushButton::clicked, this, &Port::reset);
    connect(btnAutoScan, &QPushButton::clicked, this, &Port::autoScan);
    connect(btnDeviceManager, &QPushButton::clicked, this, &Port::showDevices);
    connect(cmdOk_, &QPushButton::clicked, this, &Port::accept);
    connect(cmdNoMeter, &QPushButton::clicked, this, &Port::openWithoutMeter);
    connect(txtCom_, &QComboBox::currentTextChanged, this, &Port::showDevice);
    // A choice the person makes wins over the one the listening would make.
    connect(txtCom_, &QComboBox::activated, this, &Port::stopListening);
    connect(txtCom_->lineEdit(), &QLineEdit::textEdited, this, &Port::stopListening);
    connect(listener_, &MeterListener::heard, this, &Port::heard);
    connect(listener_, &MeterListener::silent, this, &Port::stopListening);

    // 3700 x 2700 twips.
    move(3700 / 15, 2700 / 15);
    reset();
    txtCom_->setCurrentIndex(0);
    showDevice();
}

void Port::reset() {
    stopListening();
    txtCom_->clear();
    txtCom_->addItems(PortChoice::allEntries());
    txtCom_->setCurrentIndex(-1);
    txtCom_->clearEditText();
}

void Port::autoScan() {
    stopListening();
    BusyCursor busy;
    txtCom_->clear();
    txtCom_->clearEditText();
    progressBar1_->setMaximum(ComMap::PortCount);
    const QVector<int> found = PortChoice::scan(
        ComMap::current(), [this](int number) { progressBar1_->setValue(number); });
    for (const int number : found) {
        txtCom_->addItem(PortChoice::entryText(number));
    }
    if (txtCom_->count() == 0) {
        app().dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(),
                                QStringLiteral("Com Port Error !!!"));
        return;
    }
    txtCom_->setCurrentIndex(0);
    if (found.size() > 1) {
        progressBar1_->setFormat(QStringLiteral("Listening for the meter"));
        listener_->listen(found, ComMap::current());
    }
}

bool Port::isListening() const {
    return listener_->isListening();
}

void Port::stopListening() {
    listener_->stop();
    progressBar1_->setFormat(ScanFormat);
}

void Port::heard(int number) {
    stopListening();
    txtCom_->setCurrentIndex(txtCom_->findText(PortChoice::entryText(number)));
}

void Port::showDevices() {
    if (!devices_) {
        devices_ = new SerialDevices(this);
    } else {
        devices_->refresh();
    }
    devices_->show();
    devices_->raise();
    devices_->activateWindow();
}

void Port::showDevice() {
    lblDevice_->setText(PortChoice::deviceLine(txtCom_->currentText(), ComMap::current()));
}

void Port::accept() {
    // The port the listening holds open is the one to open now.
    stopListening();
    if (const std::optional<int> number = PortChoice::numberFor(txtCom_->currentText())) {
        app().rs232.ComPortNo = qint16(*number);
    }
    Panel& panel = app().windows().get<Panel>();
    if (!panel.load()) {
        // Closing the main window ends the program, here as a failure.
        panel.close();
        QCoreApplication::exit(1);
        unload();
        return;
    }
    panel.show();
    unload();
    Q_EMIT mainWindowOpened();
}

void Port::openWithoutMeter() {
    stopListening();
    Panel& panel = app().windows().get<Panel>();
    panel.loadWithoutMeter();
    panel.show();
    unload();
    Q_EMIT mainWindowOpened();
}

void Port::preselect(int number) {
    txtCom_->setCurrentIndex(txtCom_->findText(PortChoice::entryText(number)));
}

void Port::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // As in a dialog: Enter presses the focused button, else the default one.
            if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
                focused->click();
            } else {
                cmdOk_->click();
            }
            return;
        case Qt::Key_Escape:
            close();
            return;
        default:
            AppWindow::keyPressEvent(event);
    }
}
