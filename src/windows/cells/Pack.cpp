#include "windows/cells/Pack.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "core/cells/Csv.h"
#include "core/cells/DatabaseLocation.h"
#include "core/cells/PackInput.h"
#include "platform/Clock.h"
#include "platform/widgets/BusyCursor.h"
#include "platform/widgets/Dialogs.h"
#include "windows/cells/InventoryChoice.h"
#include "windows/cells/SortCells.h"
#include "windows/common/Accessibility.h"
#include "windows/common/App.h"
#include "windows/print/PrintDocument.h"
#include "windows/records/ListWindow.h"

namespace {

QString Figure(double value) {
    return std::isfinite(value) ? Csv::Number(value) : QStringLiteral("-");
}

QString Milliohms(double value) {
    return std::isfinite(value) ? QString::number(value, 'f', 2) : QStringLiteral("-");
}

QLabel* valueLabel(QWidget* parent, const QString& name, const QString& description) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAccessibleDescription(description);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text,
                    const QString& tooltip) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(tooltip);
    b->setAutoDefault(true);
    return b;
}

}  // namespace

PackMapView::PackMapView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PackMap"));
    setAccessibleName(QStringLiteral("Assembly map"));
    setMinimumSize(320, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PackMapView::setMap(const PackMap::Map& map) {
    map_ = map;
    // What the picture shows, for a screen reader: the cells of each group in words.
    QStringList groups;
    for (int g = 0; g < map.groups.size(); ++g) {
        QStringList ids;
        for (const PackMap::Cell& cell : map.groups[g]) {
            ids << cell.id;
        }
        groups << QStringLiteral("group %1: %2").arg(g + 1).arg(ids.join(u' '));
    }
    setAccessibleDescription(groups.isEmpty() ? QStringLiteral("No pack yet")
                                              : groups.join(QStringLiteral("; ")));
    update();
}

void PackMapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (map_.groups.isEmpty()) {
        painter.fillRect(rect(), palette().base());
        return;
    }
    PackMap::Render(painter, QRectF(rect()), map_);
}

Pack::Pack(App& app) : AppWindow(app), inventory_(std::make_unique<Inventory>()) {
    setObjectName(QStringLiteral("Pack"));
    setWindowTitle(caption());
    result_.status = PackResult::Status::TooFewCells;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildChoices());

    auto* buttons = new QHBoxLayout;
    runButton_ = button(this, QStringLiteral("BtnRun"), QStringLiteral("&Run"),
                        QStringLiteral("Match a pack from the chosen cells (Enter)"));
    runButton_->setDefault(true);
    stopButton_ = button(this, QStringLiteral("BtnStop"), QStringLiteral("S&top"),
                         QStringLiteral("Stop the search and keep its best pack so far"));
    printButton_ = button(this, QStringLiteral("BtnPrint"), QStringLiteral("Pri&nt..."),
                          QStringLiteral("Print the assembly map"));
    pdfButton_ = button(this, QStringLiteral("BtnPdf"), QStringLiteral("Save P&DF..."),
                        QStringLiteral("Write the assembly map as a PDF file"));
    saveButton_ = button(this, QStringLiteral("BtnSavePack"), QStringLiteral("Sa&ve Pack..."),
                         QStringLiteral("Put these cells into a named pack in the inventory"));
    for (QPushButton* b : {runButton_, stopButton_, printButton_, pdfButton_, saveButton_}) {
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(runButton_, &QPushButton::clicked, this, &Pack::run);
    connect(stopButton_, &QPushButton::clicked, this, &Pack::stop);
    connect(printButton_, &QPushButton::clicked, this, &Pack::print);
    connect(pdfButton_, &QPushButton::clicked, this, &Pack::savePdf);
    connect(saveButton_, &QPushButton::clicked, this, &Pack::savePack);

    statusLabel_ = valueLabel(this, QStringLiteral("LblStatus"), QStringLiteral("Search state"));
    statusLabel_->setText(QStringLiteral("Choose the cells and the layout, then Run."));
    figuresLabel_ =
        valueLabel(this, QStringLiteral("LblFigures"), QStringLiteral("The pack's figures"));
    layout->addWidget(statusLabel_);
    layout->addWidget(figuresLabel_);
    mapView_ = new PackMapView(this);
    layout->addWidget(mapView_, 1);
    mapView_->setMap({});

    // Enter runs, as a dialog's default button; a focused button is pressed instead.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, [this] {
            if (auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
                focused && focused != runButton_ && focused->isEnabled()) {
                focused->click();
            } else if (runButton_->isEnabled()) {
                run();
            }
        });
    }
    CloseOnEscape(*this);
    updateButtons();
    ListWindow::placeBesidePanel(app, *this);
    resize(900, 680);
}

Pack::~Pack() {
    endWorker();
}

QWidget* Pack::buildChoices() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);

    inventoryLabel_ =
        valueLabel(box, QStringLiteral("LblInventory"), QStringLiteral("The cell inventory file"));
    auto* inventoryButton =
        button(box, QStringLiteral("BtnInventory"), QStringLiteral("&Change..."),
               QStringLiteral("Match cells from another inventory file"));
    connect(inventoryButton, &QPushButton::clicked, this, &Pack::chooseInventory);
    auto* serverButton =
        button(box, QStringLiteral("BtnServer"), QStringLiteral("&On a Server..."),
               QStringLiteral("Match cells from a workshop's inventory on a PostgreSQL server"));
    connect(serverButton, &QPushButton::clicked, this, &Pack::chooseServer);

    profileChoice_ = new QComboBox(box);
    profileChoice_->setObjectName(QStringLiteral("CboProfile"));
    profileChoice_->setToolTip(QStringLiteral("Only cells of this profile"));
    auto* profileLabel = new QLabel(QStringLiteral("Pro&file:"), box);
    profileLabel->setBuddy(profileChoice_);

    auto* verdictChoice = new QComboBox(box);
    verdictChoice->setObjectName(QStringLiteral("CboVerdicts"));
    verdictChoice->setToolTip(QStringLiteral("The verdicts a cell may have"));
    verdictChoice->addItem(VerdictName(Verdict::Pass));
    verdictChoice->addItem(VerdictName(Verdict::Pass) + u'+' + VerdictName(Verdict::Warn));
    auto* verdictLabel = new QLabel(QStringLiteral("V&erdicts:"), box);
    verdictLabel->setBuddy(verdictChoice);
    verdictChoice_ = verdictChoice;

    seriesChoice_ = new QSpinBox(box);
    seriesChoice_->setObjectName(QStringLiteral("SpnSeries"));
    seriesChoice_->setRange(1, 10000);
    seriesChoice_->setValue(4);
    seriesChoice_->setToolTip(QStringLiteral("Groups in series"));
    auto* seriesLabel = new QLabel(QStringLiteral("&S (series):"), box);
    seriesLabel->setBuddy(seriesChoice_);
    parallelChoice_ = new QSpinBox(box);
    parallelChoice_->setObjectName(QStringLiteral("SpnParallel"));
    parallelChoice_->setRange(1, 10000);
    parallelChoice_->setValue(2);
    parallelChoice_->setToolTip(QStringLiteral("Cells in parallel in each group"));
    auto* parallelLabel = new QLabel(QStringLiteral("&P (parallel):"), box);
    parallelLabel->setBuddy(parallelChoice_);

    objectiveChoice_ = new QComboBox(box);
    objectiveChoice_->setObjectName(QStringLiteral("CboObjective"));
    objectiveChoice_->setToolTip(
        QStringLiteral("The weakest group as large as it can be, or the largest group minus the "
                       "smallest as small as it can be"));
    objectiveChoice_->addItem(QStringLiteral("Largest capacity"));
    objectiveChoice_->addItem(QStringLiteral("Smallest spread"));
    auto* objectiveLabel = new QLabel(QStringLiteral("&Aim:"), box);
    objectiveLabel->setBuddy(objectiveChoice_);

    ratioChoice_ = new QDoubleSpinBox(box);
    ratioChoice_->setObjectName(QStringLiteral("SpnRatio"));
    ratioChoice_->setRange(0, 1000);
    ratioChoice_->setDecimals(2);
    ratioChoice_->setSingleStep(0.05);
    ratioChoice_->setSpecialValueText(QStringLiteral("No limit"));
    ratioChoice_->setToolTip(
        QStringLiteral("Largest over smallest resistance inside a group; 0 for no limit"));
    auto* ratioLabel = new QLabel(QStringLiteral("IR rat&io at most:"), box);
    ratioLabel->setBuddy(ratioChoice_);

    timeChoice_ = new QDoubleSpinBox(box);
    timeChoice_->setObjectName(QStringLiteral("SpnTime"));
    timeChoice_->setRange(0.1, 3600);
    timeChoice_->setDecimals(1);
    timeChoice_->setValue(2);
    timeChoice_->setSuffix(QStringLiteral(" s"));
    timeChoice_->setToolTip(QStringLiteral("The longest the search may take"));
    auto* timeLabel = new QLabel(QStringLiteral("Ti&me limit:"), box);
    timeLabel->setBuddy(timeChoice_);

    locksEdit_ = new QLineEdit(box);
    locksEdit_->setObjectName(QStringLiteral("LedLocks"));
    locksEdit_->setPlaceholderText(QStringLiteral("C0042=3, C0043=3"));
    locksEdit_->setToolTip(
        QStringLiteral("Cells put into a group before the rest are matched (a cell already "
                       "welded in): ID=GROUP, groups from 1, separated by commas"));
    auto* locksLabel = new QLabel(QStringLiteral("&Locks:"), box);
    locksLabel->setBuddy(locksEdit_);

    grid->addWidget(new QLabel(QStringLiteral("Inventory:"), box), 0, 0);
    grid->addWidget(inventoryLabel_, 0, 1, 1, 3);
    grid->addWidget(inventoryButton, 0, 4);
    grid->addWidget(serverButton, 0, 5);
    grid->addWidget(profileLabel, 1, 0);
    grid->addWidget(profileChoice_, 1, 1);
    grid->addWidget(verdictLabel, 1, 2);
    grid->addWidget(verdictChoice, 1, 3);
    grid->addWidget(seriesLabel, 2, 0);
    grid->addWidget(seriesChoice_, 2, 1);
    grid->addWidget(parallelLabel, 2, 2);
    grid->addWidget(parallelChoice_, 2, 3);
    grid->addWidget(objectiveLabel, 3, 0);
    grid->addWidget(objectiveChoice_, 3, 1);
    grid->addWidget(locksLabel, 3, 2);
    grid->addWidget(locksEdit_, 3, 3);
    grid->addWidget(ratioLabel, 4, 0);
    grid->addWidget(ratioChoice_, 4, 1);
    grid->addWidget(timeLabel, 4, 2);
    grid->addWidget(timeChoice_, 4, 3);
    grid->setColumnStretch(4, 1);
    return box;
}

bool Pack::openInventory(const QString& location) {
    auto opened = OpenInventoryFor(app(), this, location);
    if (!opened) {
        return false;
    }
    inventory_ = std::move(opened);
    inventoryLabel_->setText(
        DatabaseLocation::IsServerUri(location) ? location : QDir::toNativeSeparators(location));
    loadProfiles();
    updateButtons();
    return true;
}

void Pack::chooseInventory() {
    QPointer<Pack> self(this);
    const QString path = app().dialogs().saveFile(this, SortCells::fileFilter(), 1, false);
    if (self && !path.isEmpty() && !running()) {
        openInventory(path);
    }
}

void Pack::chooseServer() {
    QPointer<Pack> self(this);
    const QString uri = AskServerAddress(app(), this, QString());
    if (self && !uri.isEmpty() && !running()) {
        openInventory(uri);
    }
}

void Pack::loadProfiles() {
    const QString chosen = profileChoice_->currentData().toString();
    profileChoice_->clear();
    profileChoice_->addItem(QStringLiteral("Any"), QString());
    for (const Profile& profile : inventory_->profiles()) {
        profileChoice_->addItem(profile.name, profile.name);
    }
    profileChoice_->setCurrentIndex(std::max(0, profileChoice_->findData(chosen)));
}

void Pack::run() {
    if (running()) {
        return;
    }
    if (!inventory_->isOpen()) {
        statusLabel_->setText(QStringLiteral("No cell inventory is open: choose one first."));
        return;
    }
    CellFilter filter;
    filter.profile = profileChoice_->currentData().toString();
    if (verdictChoice_->currentIndex() == 1) {
        filter.verdicts = {Verdict::Pass, Verdict::Warn};
    }
    std::vector<PackInput::Lock> locks;
    QString lockError;
    QStringList lockItems;
    for (const QString& item : locksEdit_->text().split(u',')) {
        if (!item.trimmed().isEmpty()) {
            lockItems << item.trimmed();
        }
    }
    if (!PackInput::ParseLocks(lockItems, locks, lockError)) {
        statusLabel_->setText(QStringLiteral("Locks: ") + lockError);
        return;
    }
    PackProblem problem;
    problem.cells = PackInput::FromInventory(inventory_->loadCells(filter));
    if (!inventory_->error().isEmpty()) {
        statusLabel_->setText(inventory_->error());
        return;
    }
    if (!PackInput::ApplyLocks(locks, problem.cells, lockError)) {
        statusLabel_->setText(QStringLiteral("Locks: ") + lockError);
        return;
    }
    problem.series = seriesChoice_->value();
    problem.parallel = parallelChoice_->value();
    problem.objective = objectiveChoice_->currentIndex() == 1 ? PackProblem::Objective::Spread
                                                              : PackProblem::Objective::Capacity;
    problem.irRatioMax = ratioChoice_->value() >= 1 ? ratioChoice_->value() : 0;
    problem.timeLimitSeconds = timeChoice_->value();
    problem_ = problem;
    saved_ = false;

    stopAsked_ = false;
    statusLabel_->setText(QStringLiteral("Matching %1S%2P from %3 cells...")
                              .arg(problem.series)
                              .arg(problem.parallel)
                              .arg(problem.cells.size()));
    auto answer = std::make_shared<PackResult>();
    const Clock& clock = app().clock();
    // The search runs on its own thread with its own copy of the problem; what it reports
    // reaches the window as queued calls, dropped if the window is gone.
    worker_ = QThread::create([this, problem, answer, &clock] {
        *answer = PackMatcher::Solve(problem, clock, [this](const PackProgress& progress) {
            QMetaObject::invokeMethod(
                this, [this, progress] { showProgress(progress); }, Qt::QueuedConnection);
            return !stopAsked_.load();
        });
    });
    connect(worker_, &QThread::finished, this, [this, answer] {
        endWorker();
        showResult(*answer);
        Q_EMIT finished();
    });
    worker_->start();
    updateButtons();
}

void Pack::stop() {
    stopAsked_ = true;
}

void Pack::endWorker() {
    if (!worker_) {
        return;
    }
    stopAsked_ = true;
    // The matcher asks whether to go on about ten times a second, so this is short.
    worker_->wait();
    // Deleted later: this may run in the slot of the thread's own finished signal.
    worker_->deleteLater();
    worker_ = nullptr;
    updateButtons();
}

void Pack::showProgress(const PackProgress& progress) {
    if (!running()) {
        return;
    }
    statusLabel_->setText(
        QStringLiteral("%1 s: best so far %2 mAh, bound %3 mAh%4")
            .arg(progress.seconds, 0, 'f', 1)
            .arg(Figure(progress.bestMah), Figure(progress.boundMah),
                 progress.unmet ? QStringLiteral(", a rule still broken") : QString()));
}

void Pack::showResult(const PackResult& result) {
    result_ = result;
    if (result.status != PackResult::Status::Solved) {
        statusLabel_->setText(QStringLiteral("No pack: ") + result.message);
        figuresLabel_->clear();
        mapView_->setMap({});
        updateButtons();
        return;
    }
    statusLabel_->setText(
        QStringLiteral("Done in %1 s%2")
            .arg(result.seconds, 0, 'f', 1)
            .arg(result.boundReached ? QStringLiteral(": the best possible") : QString()));
    const bool capacity = problem_.objective == PackProblem::Objective::Capacity;
    figuresLabel_->setText(
        QStringLiteral("Pack capacity (smallest group) %1 mAh, spread %2 mAh, pack IR %3 mOhm; "
                       "%4 %5 mAh, gap %6 mAh")
            .arg(Figure(result.minGroupMah), Figure(result.spreadMah), Milliohms(result.packIrMohm),
                 capacity ? QStringLiteral("no weakest group above")
                          : QStringLiteral("no spread below"),
                 Figure(result.boundMah), Figure(result.gapMah)));
    PackMap::Map map;
    map.title = mapTitle();
    for (const PackGroup& group : result.groups) {
        QVector<PackMap::Cell> cells;
        for (int c : group.cells) {
            const PackCell& cell = problem_.cells[size_t(c)];
            cells.append({cell.id, cell.capacityMah, cell.irMohm, cell.verdictName()});
        }
        map.groups.append(cells);
    }
    mapView_->setMap(map);
    updateButtons();
}

QString Pack::mapTitle() const {
    return QStringLiteral("%1S%2P: weakest group %3 mAh, spread %4 mAh, pack IR %5 mOhm")
        .arg(problem_.series)
        .arg(problem_.parallel)
        .arg(Figure(result_.minGroupMah), Figure(result_.spreadMah), Milliohms(result_.packIrMohm));
}

void Pack::updateButtons() {
    const bool busy = running();
    const bool answer = !busy && result_.status == PackResult::Status::Solved;
    runButton_->setEnabled(!busy);
    stopButton_->setEnabled(busy);
    printButton_->setEnabled(answer);
    pdfButton_->setEnabled(answer);
    saveButton_->setEnabled(answer && !saved_);
}

void Pack::print() {
    if (mapView_->map().groups.isEmpty()) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(mapTitle());
    printer.setCreator(Dialogs::appTitle());
    printer.setPageOrientation(QPageLayout::Landscape);
    QPointer<Pack> self(this);
    if (!app().dialogs().choosePrinter(this, printer) || !self) {
        return;
    }
    const BusyCursor busy;
    PrintDocument document(printer);
    if (!document.begin()) {
        statusLabel_->setText(QStringLiteral("The map could not be printed."));
        return;
    }
    PackMap::Render(document.painter(), QRectF(0, 0, printer.width(), printer.height()),
                    mapView_->map());
    if (!document.finish()) {
        statusLabel_->setText(QStringLiteral("The map could not be printed."));
    }
}

void Pack::savePdf() {
    if (mapView_->map().groups.isEmpty()) {
        return;
    }
    QPointer<Pack> self(this);
    QString path = app().dialogs().saveFile(this, pdfFilter(), 1, true);
    if (!self || path.isEmpty()) {
        return;
    }
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".pdf");
    }
    QString error;
    if (!PackMap::Write(path, mapView_->map(), error)) {
        app().dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(),
                                QStringLiteral("The PDF could not be written:\n%1\n\n%2")
                                    .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    statusLabel_->setText(QStringLiteral("The map is in %1").arg(QDir::toNativeSeparators(path)));
}

void Pack::savePack() {
    if (result_.status != PackResult::Status::Solved || saved_) {
        return;
    }
    QPointer<Pack> self(this);
    const QString name =
        app()
            .dialogs()
            .input(this, QStringLiteral("The pack's name:"), QStringLiteral("Save Pack"), QString())
            .trimmed();
    if (!self || name.isEmpty()) {
        return;
    }
    QVector<PackSlot> slots;
    for (size_t g = 0; g < result_.groups.size(); ++g) {
        for (size_t k = 0; k < result_.groups[g].cells.size(); ++k) {
            slots.append(
                {problem_.cells[size_t(result_.groups[g].cells[k])].id, int(g) + 1, int(k) + 1});
        }
    }
    if (!inventory_->savePack(name, slots)) {
        app().dialogs().message(
            this, Dialogs::Icon::Critical, Dialogs::appTitle(),
            QStringLiteral("The pack was not saved:\n%1").arg(inventory_->error()));
        return;
    }
    saved_ = true;
    statusLabel_->setText(QStringLiteral("Saved as the pack \"%1\": its %2 cells are no longer "
                                         "offered.")
                              .arg(name)
                              .arg(slots.size()));
    updateButtons();
}

void Pack::onUnload() {
    endWorker();
}

void OpenPack(App& app) {
    Pack& window = app.windows().get<Pack>();
    window.show();
    window.raise();
    window.activateWindow();
    if (!window.inventory().isOpen()) {
        window.openInventory(Inventory::DefaultLocation());
    }
}
