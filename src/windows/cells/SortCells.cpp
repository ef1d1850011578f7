#include "windows/cells/SortCells.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QSysInfo>
#include <QTableView>
#include <QToolBar>
#include <QUuid>
#include <QVBoxLayout>
#include <cmath>

#include "core/cells/CaptureRecord.h"
#include "core/cells/Csv.h"
#include "core/meter/Receiver.h"
#include "platform/Clock.h"
#include "platform/GridModel.h"
#include "platform/TextRules.h"
#include "platform/widgets/Dialogs.h"
#include "windows/cells/InventoryChoice.h"
#include "windows/cells/ProfileEditor.h"
#include "windows/cells/VerdictLook.h"
#include "windows/common/Accessibility.h"
#include "windows/common/App.h"
#include "windows/common/ToolbarIcons.h"
#include "windows/print/PrintGrid.h"
#include "windows/records/ListWindow.h"

namespace {

// Large enough to read from two metres: a capital about 9 mm high on a desktop screen.
constexpr int LargePixels = 48;
constexpr int CountPixels = 20;
// The flash: the result blinks light and back, twice, in about half a second.
constexpr int FlashMs = 120;
constexpr int FlashToggles = 4;
// One short beep for PASS, two for WARN, three for FAIL, so the verdict is heard without a look.
constexpr int BeepGapMs = 180;
constexpr int MaxIdLength = 64;
constexpr int MaxPrefixLength = 32;
// The other benches' captures: how many, and how often they are read again.
constexpr int OthersShown = 50;
constexpr int OthersRefreshMs = 5000;

// A table of whole rows that Tab leaves, as both of this window's tables are.
QTableView* RowsView(QWidget* parent, const QString& name, const QString& accessibleName,
                     QAbstractItemModel& model) {
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setAccessibleName(accessibleName);
    view->setModel(&model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setTabKeyNavigation(false);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

QFont pixelFont(const QFont& base, int pixels, bool bold) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

int beepsFor(Verdict verdict) {
    switch (verdict) {
        case Verdict::Pass:
            return 1;
        case Verdict::Warn:
            return 2;
        case Verdict::Fail:
            return 3;
    }
    return 1;
}

// "C0042 PASS 38.2 mOhm 3.912 V": the result as the station shows it.
QString resultText(const SessionRow& row) {
    const QString ohm = std::isnan(row.milliohms)
                            ? row.ohmText
                            : LimitNumber(row.milliohms) + QStringLiteral(" mOhm");
    const QString volt =
        std::isnan(row.volts) ? row.voltText : LimitNumber(row.volts) + QStringLiteral(" V");
    return row.cellId + u' ' + VerdictName(row.judgement.verdict) + u' ' + ohm + u' ' + volt;
}

QString windowText(const Window& window) {
    return LimitNumber(window.min) + QStringLiteral(" to ") + LimitNumber(window.max) +
           QStringLiteral(" V");
}

// The profile's limits in words, as the station's line under the choice says them.
QString limitsText(const Profile& profile) {
    QStringList parts;
    if (profile.irPass && profile.irFail) {
        parts.append(QStringLiteral("PASS at or below %1 mOhm, FAIL above %2")
                         .arg(LimitNumber(*profile.irPass), LimitNumber(*profile.irFail)));
    } else if (profile.irPass) {
        parts.append(QStringLiteral("PASS at or below %1 mOhm").arg(LimitNumber(*profile.irPass)));
    } else if (profile.irFail) {
        parts.append(QStringLiteral("FAIL above %1 mOhm").arg(LimitNumber(*profile.irFail)));
    }
    if (profile.voltPass) {
        parts.append(QStringLiteral("PASS %1").arg(windowText(*profile.voltPass)));
    }
    if (profile.voltWarn) {
        parts.append(QStringLiteral("WARN %1").arg(windowText(*profile.voltWarn)));
    }
    if (profile.selfDischargeMax) {
        parts.append(QStringLiteral("FAIL above %1 mV/day lost")
                         .arg(LimitNumber(*profile.selfDischargeMax)));
    }
    if (!profile.bins.isEmpty()) {
        QStringList bins;
        double below = 0;
        for (const Bin& bin : profile.bins) {
            bins.append(std::isinf(bin.upTo)
                            ? bin.name + QStringLiteral(" above ") + LimitNumber(below)
                            : bin.name + QStringLiteral(" to ") + LimitNumber(bin.upTo));
            below = bin.upTo;
        }
        parts.append(QStringLiteral("bins by %1: %2")
                         .arg(BinOnName(profile.binOn), bins.join(QStringLiteral(", "))));
    }
    if (parts.isEmpty()) {
        return QStringLiteral("No limits: every cell with a resistance and a voltage passes");
    }
    return parts.join(QStringLiteral("; "));
}

// A key that types a character into a field, as a barcode scanner's keys do.
bool typesText(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const QString text = event.text();
    return !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace();
}

QLabel* valueLabel(QWidget* parent, const QString& name, const QString& description) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAccessibleDescription(description);
    return label;
}

}  // namespace

SortCells::SortCells(App& app)
    : AppWindow(app),
      inventory_(std::make_unique<BenchInventory>()),
      session_(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    setObjectName(QStringLiteral("SortCells"));
    setWindowTitle(caption());

    buildToolbar();
    stateLabel_ = valueLabel(this, QStringLiteral("LblState"), QStringLiteral("Sorting state"));
    stateLabel_->setFont(pixelFont(font(), LargePixels, true));
    stateLabel_->setAlignment(Qt::AlignCenter);
    stateLabel_->setText(CaptureStateText(machine_.state()));

    resultLabel_ = valueLabel(this, QStringLiteral("LblResult"), QStringLiteral("Last capture"));
    resultLabel_->setFont(pixelFont(font(), LargePixels, true));
    resultLabel_->setAlignment(Qt::AlignCenter);
    resultLabel_->setAutoFillBackground(true);
    resultLabel_->setMargin(8);
    resultLabel_->setWordWrap(true);
    reasonsLabel_ =
        valueLabel(this, QStringLiteral("LblReasons"), QStringLiteral("Why, and the bin"));
    reasonsLabel_->setFont(pixelFont(font(), CountPixels, false));
    reasonsLabel_->setAlignment(Qt::AlignCenter);
    reasonsLabel_->setWordWrap(true);

    countsLabel_ =
        valueLabel(this, QStringLiteral("LblCounts"), QStringLiteral("Captures per verdict"));
    countsLabel_->setFont(pixelFont(font(), CountPixels, true));
    binsLabel_ = valueLabel(this, QStringLiteral("LblBins"), QStringLiteral("Captures per bin"));
    binsLabel_->setFont(pixelFont(font(), CountPixels, false));
    binsLabel_->setWordWrap(true);

    table_ = RowsView(this, QStringLiteral("TblSession"),
                      QStringLiteral("Captures of this session"), rows_);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing goes to the ID field (a scanner's code); F2 or a double click edits a cell.
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::SelectedClicked);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->installEventFilter(this);
    for (int c = 0; c < SessionTable::ColumnCount; ++c) {
        static const char* const samples[SessionTable::ColumnCount] = {
            "C0000 (again)",
            "00:00:00",
            "0000 mOhm",
            "00.000 V",
            "WARN: IR 00.0 mOhm above 00",
            "Bin 00",
            "Capacity (mAh)",
            ""};
        table_->setColumnWidth(
            c, table_->fontMetrics().horizontalAdvance(QString::fromLatin1(samples[c])) + 24);
    }
    rows_.setEditHandler([this](const SessionTable::Edit& edit) { return storeEdit(edit); });
    connect(&rows_, &SessionTable::unreadableCapacity, this, [this](const QString& text) {
        this->app().dialogs().message(
            this, Dialogs::Icon::Warning, Dialogs::appTitle(),
            QStringLiteral("\"%1\" is not a capacity: type the cell's capacity "
                           "in mAh, such as 2500, or nothing to clear it.")
                .arg(text.trimmed()));
    });

    othersChoice_ = new QCheckBox(QStringLiteral("Show the other &benches' captures"), this);
    othersChoice_->setObjectName(QStringLiteral("ChkOthers"));
    othersChoice_->setToolTip(
        QStringLiteral("The latest captures of every other bench on this inventory"));
    othersView_ = RowsView(this, QStringLiteral("TblOthers"),
                           QStringLiteral("Captures of the other benches"), others_);
    othersView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    othersView_->hide();
    othersTimer_.setInterval(OthersRefreshMs);
    connect(&othersTimer_, &QTimer::timeout, this, &SortCells::showOthers);
    connect(othersChoice_, &QCheckBox::toggled, this, [this](bool shown) {
        othersView_->setVisible(shown);
        if (shown) {
            showOthers();
            othersTimer_.start();
        } else {
            othersTimer_.stop();
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addWidget(stateLabel_);
    layout->addWidget(resultLabel_);
    layout->addWidget(reasonsLabel_);
    layout->addWidget(buildChoices());
    auto* counts = new QHBoxLayout();
    counts->addWidget(countsLabel_);
    counts->addSpacing(24);
    counts->addWidget(binsLabel_, 1);
    layout->addLayout(counts);
    layout->addWidget(table_, 1);
    layout->addWidget(othersChoice_);
    layout->addWidget(othersView_, 1);
    setTabOrder(idField_, prefixField_);
    setTabOrder(prefixField_, profileChoice_);
    setTabOrder(profileChoice_, profilesButton_);
    setTabOrder(profilesButton_, settleChoice_);
    setTabOrder(settleChoice_, inventoryButton_);
    setTabOrder(inventoryButton_, serverButton_);
    setTabOrder(serverButton_, table_);
    setTabOrder(table_, othersChoice_);
    setTabOrder(othersChoice_, othersView_);
    CloseOnEscape(*this);

    connect(&machine_, &CaptureMachine::stateChanged, this, &SortCells::onStateChanged);
    connect(&machine_, &CaptureMachine::captured, this, &SortCells::onCaptured);
    connect(&app.receiver(), &Receiver::readingDecoded, this, &SortCells::takeReading);
    connect(&app.receiver(), &Receiver::noDataChanged, this, &SortCells::onNoData);

    flashTimer_.setInterval(FlashMs);
    connect(&flashTimer_, &QTimer::timeout, this, &SortCells::flash);
    beepTimer_.setInterval(BeepGapMs);
    connect(&beepTimer_, &QTimer::timeout, this, [this] {
        QApplication::beep();
        if (--beepsLeft_ <= 0) {
            beepTimer_.stop();
        }
    });

    showResult(nullptr);
    showCounts();
    ListWindow::placeBesidePanel(app, *this);
    resize(1100, 720);
    idField_->setFocus();
}

SortCells::~SortCells() = default;

void SortCells::buildToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setAccessibleName(QStringLiteral("Toolbar"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    struct Button {
        const char* key;
        const char* text;
        const char* tooltip;
        QKeySequence shortcut;
        void (SortCells::*run)();
    };
    const Button buttons[] = {
        {"Capture", "Capture", "Capture Now", QKeySequence(Qt::Key_Space), &SortCells::captureNow},
        {"Undo", "Undo", "Undo Last Capture", QKeySequence::Undo, &SortCells::undo},
        {"Redo", "Redo", "Redo Capture", QKeySequence::Redo, &SortCells::redo},
        {"Save", "Export", "Export CSV", QKeySequence::Save, &SortCells::exportCsv},
        {"Print", "Print", "Print", QKeySequence::Print, &SortCells::print},
    };
    for (const Button& b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        QAction* action = toolbar_->addAction(ToolbarIcon(key), QString::fromLatin1(b.text));
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(b.tooltip));
        action->setShortcut(b.shortcut);
        buttons_.insert(key, action);
        connect(action, &QAction::triggered, this, b.run);
    }
    MakeToolbarAccessible(*toolbar_);
}

QWidget* SortCells::buildChoices() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 4, 0, 4);

    idField_ = new QLineEdit(box);
    idField_->setObjectName(QStringLiteral("EdtId"));
    idField_->setMaxLength(MaxIdLength);
    idField_->setToolTip(
        QStringLiteral("Type or scan the cell's ID before the touch; empty takes the next number"));
    auto* idLabel = new QLabel(QStringLiteral("Cell &ID:"), box);
    idLabel->setBuddy(idField_);
    nextLabel_ =
        valueLabel(box, QStringLiteral("LblNextId"), QStringLiteral("The ID of the next capture"));
    idField_->installEventFilter(this);
    connect(idField_, &QLineEdit::returnPressed, this, &SortCells::confirmId);
    connect(idField_, &QLineEdit::textEdited, this, [this] {
        idConfirmed_ = false;
        showNextId();
    });

    prefixField_ = new QLineEdit(QStringLiteral("C"), box);
    prefixField_->setObjectName(QStringLiteral("EdtPrefix"));
    prefixField_->setMaxLength(MaxPrefixLength);
    prefixField_->setToolTip(QStringLiteral("The numbered IDs begin with this"));
    auto* prefixLabel = new QLabel(QStringLiteral("&Prefix:"), box);
    prefixLabel->setBuddy(prefixField_);
    connect(prefixField_, &QLineEdit::textChanged, this, &SortCells::showNextId);
    connect(prefixField_, &QLineEdit::editingFinished, this, [this] {
        if (prefixField_->text().trimmed().isEmpty()) {
            prefixField_->setText(QStringLiteral("C"));
        }
    });

    profileChoice_ = new QComboBox(box);
    profileChoice_->setObjectName(QStringLiteral("CboProfile"));
    auto* profileLabel = new QLabel(QStringLiteral("Pro&file:"), box);
    profileLabel->setBuddy(profileChoice_);
    profileChoice_->installEventFilter(this);
    limitsLabel_ = valueLabel(box, QStringLiteral("LblLimits"),
                              QStringLiteral("The limits of the chosen profile"));
    limitsLabel_->setWordWrap(true);
    connect(profileChoice_, &QComboBox::currentIndexChanged, this, &SortCells::showProfileLimits);
    profilesButton_ = new QPushButton(QStringLiteral("Profi&les..."), box);
    profilesButton_->setObjectName(QStringLiteral("BtnProfiles"));
    profilesButton_->setToolTip(QStringLiteral("Make, change or remove the profiles"));
    profilesButton_->setAutoDefault(true);
    connect(profilesButton_, &QPushButton::clicked, this, &SortCells::editProfiles);

    settleChoice_ = new QSpinBox(box);
    settleChoice_->setObjectName(QStringLiteral("SpnSettle"));
    settleChoice_->setRange(1, 40);
    settleChoice_->setValue(machine_.settings().settle);
    settleChoice_->setSuffix(QStringLiteral(" readings"));
    settleChoice_->setToolTip(
        QStringLiteral("Readings in a row that must agree before a capture (four a second)"));
    auto* settleLabel = new QLabel(QStringLiteral("&Settle:"), box);
    settleLabel->setBuddy(settleChoice_);
    connect(settleChoice_, &QSpinBox::valueChanged, this, [this](int readings) {
        CaptureSettings settings = machine_.settings();
        settings.settle = readings;
        machine_.setSettings(settings);
    });

    inventoryLabel_ =
        valueLabel(box, QStringLiteral("LblInventory"), QStringLiteral("The cell inventory file"));
    inventoryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    inventoryButton_ = new QPushButton(QStringLiteral("&Change..."), box);
    inventoryButton_->setObjectName(QStringLiteral("BtnInventory"));
    inventoryButton_->setToolTip(QStringLiteral("Keep the captures in another inventory file"));
    inventoryButton_->setAutoDefault(true);
    connect(inventoryButton_, &QPushButton::clicked, this, &SortCells::chooseInventory);
    auto* inventoryCaption = new QLabel(QStringLiteral("Inventory:"), box);
    serverButton_ = new QPushButton(QStringLiteral("&On a Server..."), box);
    serverButton_->setObjectName(QStringLiteral("BtnServer"));
    serverButton_->setToolTip(
        QStringLiteral("Keep the captures in a workshop's inventory on a PostgreSQL server"));
    serverButton_->setAutoDefault(true);
    connect(serverButton_, &QPushButton::clicked, this, &SortCells::chooseServer);
    serverLabel_ =
        valueLabel(box, QStringLiteral("LblServer"), QStringLiteral("The inventory's server"));
    serverLabel_->setWordWrap(true);
    serverLabel_->hide();

    grid->addWidget(idLabel, 0, 0);
    grid->addWidget(idField_, 0, 1);
    grid->addWidget(nextLabel_, 0, 2, 1, 4);
    grid->addWidget(prefixLabel, 1, 0);
    grid->addWidget(prefixField_, 1, 1);
    grid->addWidget(profileLabel, 1, 2);
    auto* profileLine = new QHBoxLayout();
    profileLine->addWidget(profileChoice_, 1);
    profileLine->addWidget(profilesButton_);
    grid->addLayout(profileLine, 1, 3);
    grid->addWidget(settleLabel, 1, 4);
    grid->addWidget(settleChoice_, 1, 5);
    grid->addWidget(limitsLabel_, 2, 1, 1, 5);
    grid->addWidget(inventoryCaption, 3, 0);
    grid->addWidget(inventoryLabel_, 3, 1, 1, 3);
    grid->addWidget(inventoryButton_, 3, 4);
    grid->addWidget(serverButton_, 3, 5);
    grid->addWidget(serverLabel_, 4, 1, 1, 5);
    grid->setColumnStretch(3, 1);
    return box;
}

bool SortCells::openInventory(const QString& location) {
    auto opened = OpenBenchFor(app(), this, location);
    if (!opened) {
        return false;
    }
    inventory_ = std::move(opened);
    connect(inventory_.get(), &BenchInventory::statusChanged, this, &SortCells::showServerStatus);
    showServerStatus(inventory_->statusLine());
    // The captures so far are in the inventory they were taken into; the table starts afresh.
    session_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
    rows_.clear();
    steps_.clear();
    pendingQuestions_.clear();
    inventoryLabel_->setText(inventory_->isServer() ? location
                                                    : QDir::toNativeSeparators(location));
    loadProfiles();
    showResult(nullptr);
    showCounts();
    showNextId();
    updateMarks();
    showOthers();
    return true;
}

void SortCells::chooseInventory() {
    const QString path = app().dialogs().saveFile(this, fileFilter(), 1, false);
    if (!path.isEmpty()) {
        openInventory(path);
    }
}

void SortCells::chooseServer() {
    const QString uri =
        AskServerAddress(app(), this, inventory_->isServer() ? inventory_->location() : QString());
    if (!uri.isEmpty()) {
        openInventory(uri);
    }
}

void SortCells::showOthers() {
    if (!othersChoice_->isChecked()) {
        return;
    }
    Inventory* store = readable();
    if (!store) {
        return;  // the rows shown stay until the server is back
    }
    others_.setMeasurements(
        store->recentMeasurements(OthersShown, QSysInfo::machineHostName(), portLabel()));
}

void SortCells::editProfiles() {
    // A window of its own, not this one's child: closing this window leaves it open.
    ProfileEditor& editor = app().windows().get<ProfileEditor>();
    connect(&editor, &ProfileEditor::profilesChanged, this, &SortCells::loadProfiles,
            Qt::UniqueConnection);
    editor.edit(*inventory_, profile().name);
    editor.show();
    editor.raise();
    editor.activateWindow();
}

void SortCells::loadProfiles() {
    const bool noLimits =
        profileChoice_->count() > 0 && profileChoice_->currentIndex() == profiles_.size();
    const QString chosen =
        profileChoice_->currentIndex() >= 0 && profileChoice_->currentIndex() < profiles_.size()
            ? profiles_.at(profileChoice_->currentIndex()).name
            : QString();
    profiles_ = inventory_->profiles();
    const QSignalBlocker quiet(profileChoice_);
    profileChoice_->clear();
    int select = 0;
    for (int i = 0; i < profiles_.size(); ++i) {
        profileChoice_->addItem(profiles_.at(i).name);
        if (profiles_.at(i).name == chosen) {
            select = i;
        }
    }
    profileChoice_->addItem(QStringLiteral("No limits"));
    profileChoice_->setCurrentIndex(noLimits ? int(profiles_.size()) : select);
    showProfileLimits();
}

Profile SortCells::profile() const {
    const int index = profileChoice_->currentIndex();
    return index >= 0 && index < profiles_.size() ? profiles_.at(index) : Profile();
}

void SortCells::showProfileLimits() {
    limitsLabel_->setText(limitsText(profile()));
    showCounts();
}

void SortCells::showNextId() {
    const QString typed = idField_->text().trimmed();
    QString next = typed;
    if (next.isEmpty() && inventory_->isOpen()) {
        next = inventory_->nextFreeId(prefixField_->text().trimmed());
    }
    if (next.isEmpty()) {
        nextLabel_->setText(inventory_->isOpen()
                                ? QStringLiteral("Type or scan an ID: this bench has no number "
                                                 "of the server's left")
                                : QStringLiteral("No inventory is open"));
        idField_->setPlaceholderText(QString());
        return;
    }
    nextLabel_->setText(QStringLiteral("Next: ") + next +
                        (typed.isEmpty() ? QStringLiteral(" (or type or scan an ID)") : QString()));
    idField_->setPlaceholderText(typed.isEmpty() ? next : QString());
}

void SortCells::confirmId() {
    const QString typed = idField_->text().trimmed();
    idField_->setText(typed);
    idConfirmed_ = !typed.isEmpty();
    showNextId();
    // Off the field, so that Space takes the reading again; the next code typed or scanned
    // comes back to it.
    if (idConfirmed_) {
        table_->setFocus(Qt::OtherFocusReason);
    }
}

bool SortCells::eventFilter(QObject* watched, QEvent* event) {
    // An empty ID field is not being typed in: Space (the capture key, a foot pedal) and undo
    // and redo act on the captures.
    if (watched == idField_ && event->type() == QEvent::ShortcutOverride &&
        idField_->text().isEmpty()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) ||
            key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            return true;
        }
    }
    if ((watched == table_ || watched == profileChoice_) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (typesText(*key)) {
            keyPressEvent(key);
            return true;
        }
    }
    return AppWindow::eventFilter(watched, event);
}

void SortCells::keyPressEvent(QKeyEvent* event) {
    // A code typed or scanned while the focus is elsewhere in the window names the next cell.
    if (typesText(*event)) {
        if (idConfirmed_) {
            idField_->clear();
            idConfirmed_ = false;
        }
        idField_->setFocus(Qt::OtherFocusReason);
        idField_->insert(event->text());
        showNextId();
        event->accept();
        return;
    }
    AppWindow::keyPressEvent(event);
}

void SortCells::takeReading() {
    // Closed, waiting only for its question's answer: no more captures.
    if (!app().windows().holds(this)) {
        return;
    }
    if (noData_) {
        noData_ = false;
        onStateChanged(machine_.state());
    }
    machine_.feed(CellReading::FromMeter(app().meter));
}

void SortCells::onNoData(bool noData) {
    if (!noData) {
        return;
    }
    noData_ = true;
    machine_.reset();
    stateLabel_->setText(QStringLiteral("No readings from the meter"));
}

void SortCells::onStateChanged(CaptureState state) {
    // The capture itself is shown by onCaptured, with its ID and verdict.
    if (state != CaptureState::Captured) {
        stateLabel_->setText(CaptureStateText(state));
    }
}

void SortCells::captureNow() {
    if (!machine_.captureNow()) {
        reasonsLabel_->setText(QStringLiteral("Nothing to capture: the meter shows no resistance"));
        reasonsLabel_->show();
    }
}

QString SortCells::portLabel() const {
    return QStringLiteral("COM%1").arg(app().rs232.ComPortNo);
}

void SortCells::onCaptured(const Capture& capture) {
    if (!inventory_->isOpen()) {
        refuse(QStringLiteral("The capture %1 %2 %3 V was not stored: no cell inventory is open. "
                              "Choose one with \"Change...\" and measure the cell again.")
                   .arg(capture.ohmText, capture.ohmUnit, capture.voltText));
        return;
    }
    CapturePlace place;
    place.cellId = idField_->text().trimmed();
    place.prefix = prefixField_->text().trimmed().isEmpty() ? QStringLiteral("C")
                                                            : prefixField_->text().trimmed();
    place.profile = profile();
    place.time = app().clock().now();
    place.session = session_;
    place.host = QSysInfo::machineHostName();
    place.port = portLabel();
    place.measuredInSession = [this](const QString& cellId) {
        return !rows_.liveMeasurements(cellId).isEmpty();
    };
    const CaptureRecord record = RecordCapture(capture, place, *inventory_);
    const NewMeasurement& m = record.measurement;
    const Judgement& judgement = record.judgement;
    // Committed before anything is announced: a capture that was heard is in the inventory.
    const QString id = inventory_->add(m);
    if (id.isEmpty()) {
        refuse(QStringLiteral("The capture %1 %2 %3 V was not stored:\n%4\n\nMeasure the cell "
                              "again.")
                   .arg(capture.ohmText, capture.ohmUnit, capture.voltText, inventory_->error()));
        return;
    }
    if (!m.cellId.isEmpty()) {
        idField_->clear();
        idConfirmed_ = false;
    }

    SessionRow row;
    row.uuid = m.uuid;
    row.cellId = id;
    row.time = m.time;
    row.milliohms = m.milliohms;
    row.volts = m.volts;
    row.ohmText = capture.ohmText + u' ' + capture.ohmUnit;
    row.voltText = capture.voltText + QStringLiteral(" V");
    row.judgement = judgement;
    row.remeasure = m.remeasure;
    if (!m.cellId.isEmpty()) {
        if (const auto cell = readable() ? readable()->cell(id) : std::nullopt) {
            row.capacityMah = cell->cell.capacityMah;
            row.notes = cell->cell.notes;
        }
    }
    // A new capture ends what could be redone: the undone ones stay deleted.
    steps_.removeIf([](const Step& step) { return step.undone; });
    steps_.append({row.uuid, {}, false});
    rows_.append(row);
    // Every reason in view: the verdict's column grows to its longest text.
    const QAbstractItemView* view = table_;
    if (view->sizeHintForColumn(SessionTable::VerdictColumn) >
        table_->columnWidth(SessionTable::VerdictColumn)) {
        table_->resizeColumnToContents(SessionTable::VerdictColumn);
    }
    table_->scrollToBottom();
    announce(row);
    showNextId();
    if (row.remeasure) {
        pendingQuestions_.append(row.uuid);
        askRemeasures();
    }
}

void SortCells::refuse(const QString& text) {
    stateLabel_->setText(QStringLiteral("Not stored"));
    app().dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(), text);
}

void SortCells::announce(const SessionRow& row) {
    stateLabel_->setText(resultText(row));
    showResult(&row);
    showCounts();
    updateMarks();
    QApplication::beep();
    beepsLeft_ = beepsFor(row.judgement.verdict) - 1;
    if (beepsLeft_ > 0) {
        beepTimer_.start();
    }
    flashesLeft_ = FlashToggles;
    flash();
    flashTimer_.start();
    Q_EMIT announced(row.uuid);
}

void SortCells::flash() {
    const SessionRow* last = rows_.lastLive();
    if (!last || flashesLeft_ <= 0) {
        flashTimer_.stop();
        return;
    }
    --flashesLeft_;
    const Verdict verdict = last->judgement.verdict;
    // Odd toggles light the banner up, even ones bring back its colour.
    const bool light = flashesLeft_ % 2 == 1;
    QPalette palette = resultLabel_->palette();
    palette.setColor(QPalette::Window,
                     light ? QColor(255, 255, 255) : VerdictLook::strong(verdict));
    palette.setColor(QPalette::WindowText, light ? VerdictLook::strong(verdict).darker(130)
                                                 : VerdictLook::strongText(verdict));
    resultLabel_->setPalette(palette);
    if (flashesLeft_ == 0) {
        flashTimer_.stop();
    }
}

void SortCells::showResult(const SessionRow* row) {
    QPalette palette = this->palette();
    if (!row) {
        resultLabel_->setText(QStringLiteral("No cell captured yet"));
        resultLabel_->setPalette(palette);
        reasonsLabel_->clear();
        reasonsLabel_->hide();
        return;
    }
    resultLabel_->setText(resultText(*row));
    palette.setColor(QPalette::Window, VerdictLook::strong(row->judgement.verdict));
    palette.setColor(QPalette::WindowText, VerdictLook::strongText(row->judgement.verdict));
    resultLabel_->setPalette(palette);
    QStringList why = row->judgement.reasons;
    if (!row->judgement.bin.isEmpty()) {
        why.append(QStringLiteral("Bin ") + row->judgement.bin);
    }
    if (row->remeasure) {
        why.append(QStringLiteral("measured again"));
    }
    reasonsLabel_->setText(why.join(QStringLiteral("; ")));
    reasonsLabel_->setVisible(!why.isEmpty());
}

void SortCells::showCounts() {
    int counts[3] = {0, 0, 0};
    QStringList binOrder;
    for (const Bin& bin : profile().bins) {
        binOrder.append(bin.name);
    }
    QHash<QString, int> perBin;
    int noBin = 0;
    for (const SessionRow& row : rows_.all()) {
        if (row.deleted) {
            continue;
        }
        ++counts[int(row.judgement.verdict)];
        if (row.judgement.bin.isEmpty()) {
            ++noBin;
            continue;
        }
        if (!binOrder.contains(row.judgement.bin)) {
            binOrder.append(row.judgement.bin);
        }
        ++perBin[row.judgement.bin];
    }
    countsLabel_->setText(QStringLiteral("PASS %1   WARN %2   FAIL %3")
                              .arg(counts[int(Verdict::Pass)])
                              .arg(counts[int(Verdict::Warn)])
                              .arg(counts[int(Verdict::Fail)]));
    if (perBin.isEmpty() && profile().bins.isEmpty()) {
        binsLabel_->clear();
        binsLabel_->hide();
        return;
    }
    QStringList parts;
    for (const QString& name : binOrder) {
        parts.append(QStringLiteral("%1 %2").arg(name).arg(perBin.value(name)));
    }
    if (noBin > 0) {
        parts.append(QStringLiteral("no bin %1").arg(noBin));
    }
    binsLabel_->setText(QStringLiteral("Bins: ") + parts.join(QStringLiteral("   ")));
    binsLabel_->show();
}

void SortCells::askRemeasures() {
    // One question at a time: a capture taken while one is on screen waits for its turn.
    if (asking_) {
        return;
    }
    asking_ = true;
    const QPointer<SortCells> alive(this);
    while (alive && !pendingQuestions_.isEmpty()) {
        // Closed meanwhile: no new question over a window that is gone; both are kept.
        if (!app().windows().holds(this)) {
            pendingQuestions_.clear();
            break;
        }
        const QString uuid = pendingQuestions_.takeFirst();
        const SessionRow* row = rows_.find(uuid);
        if (!row || row->deleted) {
            continue;  // undone meanwhile
        }
        QStringList earlier = rows_.liveMeasurements(row->cellId);
        earlier.removeAll(uuid);
        if (earlier.isEmpty()) {
            continue;
        }
        const SessionRow* before = rows_.find(earlier.last());
        const QString text =
            QStringLiteral(
                "%1 was measured before in this session, at %2: %3.\n\n"
                "Replace that measurement with this one (%4), or keep both?")
                .arg(row->cellId, TextRules::StampTime(TextRules::FormatStamp(before->time)),
                     resultText(*before), resultText(*row));
        // The window lives until the answer is in, even if the program closes it meanwhile.
        const int answer =
            app().dialogs().ask(this, Dialogs::Icon::Warning, Dialogs::appTitle(), text,
                                {QStringLiteral("&Replace"), QStringLiteral("&Keep Both")}, 0, 1);
        if (answer == 0) {
            replaceEarlier(uuid, earlier);
        }
    }
    if (alive) {
        asking_ = false;
    }
}

void SortCells::replaceEarlier(const QString& uuid, const QStringList& earlier) {
    QStringList replaced;
    for (const QString& old : earlier) {
        if (!setDeleted(old, true)) {
            break;
        }
        replaced.append(old);
    }
    for (Step& step : steps_) {
        if (step.uuid == uuid) {
            step.replaced = replaced;
        }
    }
    showResult(rows_.lastLive());
    showCounts();
    updateMarks();
}

bool SortCells::setDeleted(const QString& uuid, bool deleted) {
    if (!inventory_->setDeleted(uuid, deleted)) {
        app().dialogs().message(
            this, Dialogs::Icon::Critical, Dialogs::appTitle(),
            QStringLiteral("The inventory could not be changed:\n%1").arg(inventory_->error()));
        return false;
    }
    rows_.setDeleted(uuid, deleted);
    return true;
}

void SortCells::undo() {
    auto step =
        std::find_if(steps_.rbegin(), steps_.rend(), [](const Step& s) { return !s.undone; });
    if (step == steps_.rend()) {
        reasonsLabel_->setText(QStringLiteral("Nothing to undo"));
        reasonsLabel_->show();
        return;
    }
    if (!setDeleted(step->uuid, true)) {
        return;
    }
    for (const QString& old : step->replaced) {
        setDeleted(old, false);
    }
    step->undone = true;
    const SessionRow* row = rows_.find(step->uuid);
    const QString id = row ? row->cellId : QString();
    showResult(rows_.lastLive());
    showCounts();
    updateMarks();
    showNextId();
    reasonsLabel_->setText(
        QStringLiteral("Undone: %1 is marked deleted in the inventory (Ctrl+Shift+Z redoes it)")
            .arg(id));
    reasonsLabel_->show();
}

void SortCells::redo() {
    auto step = std::find_if(steps_.begin(), steps_.end(), [](const Step& s) { return s.undone; });
    if (step == steps_.end()) {
        reasonsLabel_->setText(QStringLiteral("Nothing to redo"));
        reasonsLabel_->show();
        return;
    }
    if (!setDeleted(step->uuid, false)) {
        return;
    }
    for (const QString& old : step->replaced) {
        setDeleted(old, true);
    }
    step->undone = false;
    showResult(rows_.lastLive());
    showCounts();
    updateMarks();
}

bool SortCells::storeEdit(const SessionTable::Edit& edit) {
    Inventory* store = readable();
    const bool stored =
        store && (edit.isCapacity ? store->setCapacity(edit.cellId, edit.capacityMah)
                                  : store->setNotes(edit.cellId, edit.notes));
    if (!stored) {
        app().dialogs().message(
            this, Dialogs::Icon::Critical, Dialogs::appTitle(),
            QStringLiteral("The change to %1 could not be stored:\n%2")
                .arg(edit.cellId, store ? store->error() : inventory_->statusLine()));
    }
    return stored;
}

Inventory* SortCells::readable() {
    return inventory_->isOnline() ? &inventory_->inventory() : nullptr;
}

void SortCells::showServerStatus(const QString& line) {
    serverLabel_->setText(line);
    serverLabel_->setVisible(!line.isEmpty());
    showNextId();
}

void SortCells::updateMarks() {
    const SessionRow* last = rows_.lastLive();
    // A window already closed lights nothing, whatever a late answer changed.
    if (last && app().windows().holds(this)) {
        app().setSortVerdict(last->judgement.verdict);
    } else {
        app().setSortVerdict(std::nullopt);
    }
}

void SortCells::exportCsv() {
    if (rows_.all().isEmpty()) {
        app().dialogs().message(this, Dialogs::Icon::Information, Dialogs::appTitle(),
                                QStringLiteral("There is nothing to export: no cell has been "
                                               "captured in this session."));
        return;
    }
    const QString path = app().dialogs().saveFile(this, csvFilter(), 1, true);
    if (path.isEmpty()) {
        return;
    }
    QSaveFile file(path);
    QString error;
    if (file.open(QIODevice::WriteOnly)) {
        Csv::Writer writer(file);
        bool ok = writer.write(Inventory::ExportHeader());
        for (const SessionRow& row : rows_.all()) {
            if (!ok) {
                break;
            }
            Inventory* store = readable();
            const std::optional<Measurement> stored =
                store ? store->measurement(row.uuid) : std::nullopt;
            if (!stored) {
                error = store ? store->error()
                              : inventory_->statusLine() +
                                    QStringLiteral("; export the session when it is back");
                ok = false;
                break;
            }
            ok = writer.write(Inventory::ExportRow(*stored));
        }
        // The writer keeps a block back: it goes into the file before the file takes its name.
        if (ok && !writer.flush()) {
            error = writer.error();
            ok = false;
        }
        if (ok && !file.commit()) {
            error = file.errorString();
        } else if (!ok && error.isEmpty()) {
            error = writer.error();
        }
    } else {
        error = file.errorString();
    }
    if (!error.isEmpty()) {
        file.cancelWriting();
        app().dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(),
                                QStringLiteral("The CSV file could not be written:\n%1\n\n%2")
                                    .arg(QDir::toNativeSeparators(path), error));
    }
}

void SortCells::print() {
    if (rows_.rowCount() == 0) {
        app().dialogs().message(this, Dialogs::Icon::Information, Dialogs::appTitle(),
                                QStringLiteral("There is nothing to print: no cell has been "
                                               "captured in this session."));
        return;
    }
    GridModel grid;
    rows_.fill(grid);
    PrintGrid(app(), this, grid);
}

void SortCells::onUnload() {
    flashTimer_.stop();
    beepTimer_.stop();
    machine_.reset();
    app().setSortVerdict(std::nullopt);
}

void OpenSortCells(App& app) {
    SortCells& window = app.windows().get<SortCells>();
    window.show();
    window.raise();
    window.activateWindow();
    if (!window.inventory().isOpen()) {
        // On failure the window stays, to choose another file.
        window.openInventory(Inventory::DefaultLocation());
    }
}
