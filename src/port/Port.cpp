#include "port/Port.h"

#include <QComboBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/App.h"
#include "app/Panel.h"

Port::Port(App& app) : AppWindow(app), txtCom_(new QComboBox(this)) {
    setObjectName(QStringLiteral("Port"));
    setWindowTitle(QStringLiteral("COM Port"));
    txtCom_->setObjectName(QStringLiteral("TxtCOM"));
    txtCom_->setEditable(true);
    for (int n = 1; n <= 16; ++n) {
        txtCom_->addItem(QStringLiteral("COM  %1").arg(n));
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    connect(ok, &QPushButton::clicked, this, &Port::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtCom_);
    layout->addWidget(ok);
}

void Port::accept() {
    const QString text = txtCom_->currentText();
    if (text == QStringLiteral("Auto")) {
        app().rs232.ComPortNo = 1;
    }
    for (int n = 1; n <= 16; ++n) {
        if (text == QStringLiteral("COM  %1").arg(n)) {
            app().rs232.ComPortNo = qint16(n);
            break;
        }
    }
    Panel& panel = app().windows().get<Panel>();
    if (!panel.load()) {
        panel.close();
        unload();
        return;
    }
    panel.show();
    unload();
}
