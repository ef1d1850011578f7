#include "app/Panel.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/App.h"
#include "app/Receiver.h"
#include "platform/ClickLabel.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/SerialLink.h"
#include "platform/Shell.h"
#include "platform/TextRules.h"
#include "graphs/GraphCommands.h"
#include "records/LiveList.h"
#include "records/RecordingUi.h"
#include "records/Sampler.h"
#include "records/ToolbarCommands.h"

namespace {

QLabel* namedLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

Panel::Panel(App& app) : AppWindow(app) {
    setObjectName(QStringLiteral("Panel"));
    setWindowTitle(caption());

    auto* layout = new QVBoxLayout(this);
    buildToolbar();
    layout->setMenuBar(toolbar_);

    auto* face = new QGridLayout();
    layout->addLayout(face);
    face->addWidget(namedLabel(QStringLiteral("MeterName"), QStringLiteral("KELVOMARK"), this),
                    0, 0, 1, 3);
    valOhm_ = namedLabel(QStringLiteral("ValOhm"), QString(), this);
    lblMOhm_ = namedLabel(QStringLiteral("LblMOhm"), QStringLiteral("m"), this);
    lblMOhm_->setVisible(false);
    valVoltage_ = namedLabel(QStringLiteral("ValVoltage"), QString(), this);
    face->addWidget(valOhm_, 1, 0);
    face->addWidget(lblMOhm_, 1, 1);
    face->addWidget(namedLabel(QStringLiteral("LblOhm"), QStringLiteral("Ω"), this), 1, 2);
    face->addWidget(valVoltage_, 2, 0);
    face->addWidget(namedLabel(QStringLiteral("LblV"), QStringLiteral("V"), this), 2, 2);

    lblCom_ = new ClickLabel(QStringLiteral("COM1"), this);
    lblCom_->setObjectName(QStringLiteral("LblCom"));
    connect(lblCom_, &ClickLabel::clicked, this, &Panel::toggleCaption);
    lblRec_ = namedLabel(QStringLiteral("LblRec"), QString(), this);
    lblCount_ = namedLabel(QStringLiteral("LblCount"), QString(), this);
    lblFileName_ = namedLabel(QStringLiteral("LblFileName"), QString(), this);
    face->addWidget(lblCom_, 3, 0);
    face->addWidget(lblRec_, 3, 1);
    face->addWidget(lblCount_, 3, 2);
    face->addWidget(lblFileName_, 4, 0, 1, 3);

    ssPHelp_ = new QFrame(this);
    ssPHelp_->setObjectName(QStringLiteral("SSPHelp"));
    auto* helpLayout = new QVBoxLayout(ssPHelp_);
    option1_ = new QRadioButton(QStringLiteral("English"), ssPHelp_);
    option1_->setObjectName(QStringLiteral("Option1"));
    helpLayout->addWidget(option1_);
    connect(option1_, &QRadioButton::clicked, this, &Panel::chooseHelpLanguage);
    ssPHelp_->hide();
    face->addWidget(ssPHelp_, 5, 0, 1, 3);
}

void Panel::buildToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    struct Button {
        const char* key;
        const char* tooltip;
        QStyle::StandardPixmap icon;
    };
    static const Button buttons[] = {
        {"Save", "Save As", QStyle::SP_DialogSaveButton},
        {"Open", "Open File", QStyle::SP_DialogOpenButton},
        {"List", "List Display", QStyle::SP_FileDialogDetailedView},
        {"Graph", "Graph Display", QStyle::SP_FileDialogContentsView},
        {"Sample", "PC Sampling", QStyle::SP_BrowserReload},
        {"Memory", "Data Logger", QStyle::SP_DriveHDIcon},
        {"Stop", "Stop Recording", QStyle::SP_MediaStop},
        {"ReSave", "", QStyle::SP_DialogSaveButton},
        {"Help", "Help...", QStyle::SP_DialogHelpButton},
    };
    for (const Button& b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        QAction* action = toolbar_->addAction(style()->standardIcon(b.icon), key);
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(b.tooltip));
        buttons_.insert(key, action);
        connect(action, &QAction::triggered, this, [this, key] { ToolbarClick(this->app(), key); });
    }
    // Buttons 7 and 8 only hold the two looks of button 1.
    buttons_.value(QStringLiteral("Stop"))->setVisible(false);
    buttons_.value(QStringLiteral("ReSave"))->setVisible(false);
}

bool Panel::load() {
    move(0, 0);
    App& a = app();
    if (a.link().open(a.rs232.ComPortNo) != SerialLink::OpenResult::Ok) {
        a.dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(),
                            QStringLiteral("COM Port Open Error !!!"));
        return false;
    }
    lblCom_->setText(QStringLiteral("Com") + QString::number(a.rs232.ComPortNo));
    a.transfer.Recording = false;
    a.transfer.SamplingTime = 2;
    a.panel.LoadStamp = TextRules::FormatStamp(a.clock().now());
    a.panel.SampleStamp = a.panel.LoadStamp;
    a.panel.LoadMonotonicMs = a.clock().monotonicMs();
    connect(&a.receiver(), &Receiver::readingDecoded, this, &Panel::showReading);
    a.setTimer1(true);
    ConnectRecording(a, *this);
    connect(&timer2_, &QTimer::timeout, &a.sampler(), &Sampler::tick);
    timer2_.start(1000);
    a.meter.MemoryOpen = false;
    a.meter.DownloadBusy = false;
    return true;
}

void Panel::setRecordingLook(bool recording) {
    QAction* save = buttons_.value(QStringLiteral("Save"));
    QAction* look = buttons_.value(recording ? QStringLiteral("Stop") : QStringLiteral("ReSave"));
    save->setIcon(look->icon());
    save->setToolTip(recording ? QStringLiteral("Stop Recording") : QStringLiteral("Save As"));
}

void Panel::showReading() {
    valOhm_->setText(app().meter.OhmText);
    valVoltage_->setText(app().meter.VoltText);
    lblMOhm_->setVisible(app().meter.MilliOhmUnit);
    RestartGraphsOnRangeChange(app());
    RestartListOnRangeChange(app());
}

void Panel::NoDataRoutine() { lblCom_->setText(QStringLiteral("No COM")); }

void Panel::dataBack() {
    lblCom_->setText(QStringLiteral("COM") + QString::number(app().rs232.ComPortNo));
}

void Panel::toggleCaption() {
    setWindowTitle(windowTitle() == caption() ? longCaption() : caption());
}

void Panel::chooseHelpLanguage() {
    ssPHelp_->hide();
    option1_->setAutoExclusive(false);
    option1_->setChecked(false);
    option1_->setAutoExclusive(true);
    app().shell().openDocument(app().helpDocumentPath());
}

void Panel::closeEvent(QCloseEvent* event) {
    event->accept();
    app().shutdown();
    QCoreApplication::quit();
}
