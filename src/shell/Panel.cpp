#include "shell/Panel.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/meter/Receiver.h"
#include "core/records/Sampler.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "platform/TextRules.h"
#include "platform/widgets/ClickLabel.h"
#include "platform/widgets/Dialogs.h"
#include "platform/widgets/Shell.h"
#include "shell/MeterFace.h"
#include "shell/RecordingUi.h"
#include "shell/ToolbarCommands.h"
#include "windows/common/Accessibility.h"
#include "windows/common/App.h"
#include "windows/common/ToolbarIcons.h"
#include "windows/graphs/GraphCommands.h"
#include "windows/records/LiveList.h"

namespace {

// In the desktop's text colour, so that it reads under a dark palette as under a light one.
QLabel* stripLabel(QWidget* parent, const QString& name, bool bold) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    return label;
}

}  // namespace

Panel::Panel(App& app) : AppWindow(app) {
    setObjectName(QStringLiteral("Panel"));
    setWindowTitle(caption());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->setSpacing(4);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buildToolbar();
    layout->setMenuBar(toolbar_);
    face_ = new MeterFace(this);
    layout->addWidget(face_, 0, Qt::AlignHCenter);
    layout->addWidget(buildStatusStrip());
    buildHelpPanel();

    connect(&app.receiver(), &Receiver::readingDecoded, this, &Panel::showReading);
    connect(&app.receiver(), &Receiver::noDataChanged, this, &Panel::onNoDataChanged);
    app.setMainWindow(this);
    connect(&app, &App::sortVerdictChanged, face_, &MeterFace::showVerdict);
    connect(&app, &App::linkStateStale, this, [this] {
        if (this->app().receiver().inNoData() || this->app().withoutMeter()) {
            NoDataRoutine();
        } else {
            dataBack();
        }
    });
}

void Panel::buildToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setWindowTitle(QStringLiteral("Toolbar"));
    toolbar_->setIconSize(QSize(32, 32));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    struct Button {
        const char* key;
        const char* tooltip;
        QKeySequence shortcut;
    };
    const Button buttons[] = {
        {"Save", "Save As", QKeySequence::Save},
        {"Open", "Open File", QKeySequence::Open},
        {"List", "List Display", QKeySequence(Qt::CTRL | Qt::Key_L)},
        {"Graph", "Graph Display", QKeySequence(Qt::CTRL | Qt::Key_G)},
        {"Sample", "PC Sampling", QKeySequence(Qt::CTRL | Qt::Key_T)},
        {"Memory", "Data Logger", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {"Sort", "Sort Cells", QKeySequence(Qt::CTRL | Qt::Key_K)},
        {"Pack", "Match a Pack", QKeySequence(Qt::CTRL | Qt::Key_J)},
        {"Stop", "Stop Recording", {}},
        {"ReSave", "", {}},
        {"Help", "Help...", QKeySequence::HelpContents},
    };
    for (const Button& b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        QAction* action = toolbar_->addAction(ToolbarIcon(key), key);
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(b.tooltip));
        action->setShortcut(b.shortcut);
        buttons_.insert(key, action);
        connect(action, &QAction::triggered, this, [this, key] { ToolbarClick(this->app(), key); });
    }
    // Buttons 7 and 8 only hold the two looks of button 1.
    buttons_.value(QStringLiteral("Stop"))->setVisible(false);
    buttons_.value(QStringLiteral("ReSave"))->setVisible(false);
    MakeToolbarAccessible(*toolbar_);
    // Every button in view: the window grows to the toolbar rather than hiding some behind »
    toolbar_->setMinimumWidth(toolbar_->sizeHint().width());
}

QWidget* Panel::buildStatusStrip() {
    auto* strip = new QFrame(this);
    strip->setObjectName(QStringLiteral("StatusStrip"));
    strip->setFrameShape(QFrame::StyledPanel);
    strip->setFrameShadow(QFrame::Sunken);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(8, 3, 8, 3);
    row->setSpacing(12);

    lblCom_ = new ClickLabel(QStringLiteral("COM1"), strip);
    lblCom_->setObjectName(QStringLiteral("LblCom"));
    lblCom_->setToolTip(QStringLiteral("Link to the meter (click for the build)"));
    lblCom_->setAccessibleDescription(QStringLiteral("Link to the meter"));
    QFont comFont = lblCom_->font();
    comFont.setBold(true);
    lblCom_->setFont(comFont);
    lblCom_->setMinimumWidth(lblCom_->fontMetrics().horizontalAdvance(QStringLiteral("No COM  ")));
    connect(lblCom_, &ClickLabel::clicked, this, &Panel::toggleCaption);

    lblRec_ = stripLabel(strip, QStringLiteral("LblRec"), true);
    QPalette red = lblRec_->palette();
    red.setColor(QPalette::WindowText, QColor(220, 40, 32));
    lblRec_->setPalette(red);
    lblRec_->setAccessibleDescription(QStringLiteral("Recording mark"));
    lblCount_ = stripLabel(strip, QStringLiteral("LblCount"), false);
    lblCount_->setAccessibleDescription(QStringLiteral("Records written"));
    lblFileName_ = stripLabel(strip, QStringLiteral("LblFileName"), false);
    lblFileName_->setAccessibleDescription(QStringLiteral("Recording file"));
    lblFileName_->setMaximumWidth(200);

    row->addWidget(lblCom_);
    row->addWidget(lblRec_);
    row->addWidget(lblCount_);
    row->addStretch(1);
    row->addWidget(lblFileName_);
    return strip;
}

void Panel::buildHelpPanel() {
    ssPHelp_ = new QFrame(face_);
    ssPHelp_->setObjectName(QStringLiteral("SSPHelp"));
    ssPHelp_->setAccessibleName(QStringLiteral("Help language"));
    ssPHelp_->setFrameShape(QFrame::StyledPanel);
    ssPHelp_->setFrameShadow(QFrame::Raised);
    ssPHelp_->setAutoFillBackground(true);
    auto* column = new QVBoxLayout(ssPHelp_);
    column->setContentsMargins(12, 8, 12, 10);
    auto* title = new QLabel(QStringLiteral("Help"), ssPHelp_);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    column->addWidget(title);
    option1_ = new QRadioButton(QStringLiteral("English"), ssPHelp_);
    option1_->setObjectName(QStringLiteral("Option1"));
    column->addWidget(option1_);
    connect(option1_, &QRadioButton::clicked, this, &Panel::chooseHelpLanguage);
    ssPHelp_->adjustSize();
    ssPHelp_->move(face_->width() - ssPHelp_->width() - 28, 84);
    ssPHelp_->installEventFilter(this);
    option1_->installEventFilter(this);
    ssPHelp_->hide();
}

bool Panel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ssPHelp_ && event->type() == QEvent::Show) {
        ssPHelp_->raise();
        option1_->setFocus();
    } else if (watched == option1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            ssPHelp_->hide();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            option1_->click();
            return true;
        }
    }
    return AppWindow::eventFilter(watched, event);
}

QLabel* Panel::valOhm() const {
    return face_->valOhm();
}
QLabel* Panel::valVoltage() const {
    return face_->valVoltage();
}
QLabel* Panel::lblMOhm() const {
    return face_->lblMOhm();
}

bool Panel::load() {
    move(0, 0);
    App& a = app();
    if (a.start() != SerialLink::OpenResult::Ok) {
        a.dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(),
                            QStringLiteral("COM Port Open Error !!!"));
        return false;
    }
    lblCom_->setText(QStringLiteral("Com") + QString::number(a.rs232.ComPortNo));
    ConnectRecording(a, *this);
    return true;
}

void Panel::loadWithoutMeter() {
    move(0, 0);
    app().startWithoutMeter();
    NoDataRoutine();
}

SecondTicker& Panel::timer2() {
    return app().timer2();
}

void Panel::setRecordingLook(bool recording) {
    QAction* save = buttons_.value(QStringLiteral("Save"));
    QAction* look = buttons_.value(recording ? QStringLiteral("Stop") : QStringLiteral("ReSave"));
    save->setIcon(look->icon());
    save->setToolTip(recording ? QStringLiteral("Stop Recording") : QStringLiteral("Save As"));
}

void Panel::showReading() {
    const Meter& meter = app().meter;
    valOhm()->setText(meter.OhmText);
    valVoltage()->setText(meter.VoltText);
    face_->setReadingStale(false);
    lblMOhm()->setVisible(meter.MilliOhmUnit);
    RestartGraphsOnRangeChange(app());
    RestartListOnRangeChange(app());
}

void Panel::onNoDataChanged(bool noData) {
    if (noData) {
        NoDataRoutine();
    } else {
        dataBack();
    }
}

void Panel::NoDataRoutine() {
    lblCom_->setText(QStringLiteral("No COM"));
    face_->setReadingStale(true);
}

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
    const QString manual = app().helpDocumentPath();
    app().shell().openDocument(manual, this, [this, manual] {
        const QString where = QDir::toNativeSeparators(manual);
        app().dialogs().message(
            this, Dialogs::Icon::Warning, Dialogs::appTitle(),
            QFileInfo::exists(manual)
                ? QStringLiteral("No program is set up to open PDF files, so the manual could "
                                 "not be shown. The manual is this file:\n%1")
                      .arg(where)
                : QStringLiteral("The manual could not be found:\n%1").arg(where));
    });
}

void Panel::closeEvent(QCloseEvent* event) {
    event->accept();
    app().shutdown();
    QCoreApplication::quit();
}
