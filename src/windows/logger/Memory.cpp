#include "windows/logger/Memory.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "core/logger/LoggerDump.h"
#include "platform/SerialLink.h"
#include "platform/TextRules.h"
#include "platform/widgets/Grid.h"
#include "windows/common/App.h"
#include "windows/logger/LoggerCommands.h"

namespace {

struct Column {
    const char* header;
    const char* widthSample;
};

constexpr Column SetColumns[] = {
    {"No.s", " 000 "},          {"Ohm Range", "AOhm RangeA"}, {"V Range", "AV RangeA"},
    {"Sampling", " Sampling "}, {"Records", " Records "},
};

// The comparison grid keeps its header only; its last two columns have none.
constexpr Column CompareColumns[] = {
    {"No", "AAA"},      {"(m)Ohm High", "A(m)Ohm High"}, {"(m)Ohm Low", "A(m)Ohm Low"},
    {"m/Ohm", "AmOhm"}, {"Voltage", "AVoltage"},
};

QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

Memory::Memory(App& app)
    : AppWindow(app),
      gridSet_(new Grid(5, this)),
      grid_(new Grid(7, this)),
      ssPanel1_(new QGroupBox(QStringLiteral("Memory Size"), this)),
      lblSize_(NamedLabel(QStringLiteral("LblSize"), QStringLiteral("48.0 K"), ssPanel1_)),
      ssPanel2_(new QGroupBox(QStringLiteral("Remained"), this)),
      lblRemain_(NamedLabel(QStringLiteral("LblRemain"), QStringLiteral("48.0 K"), ssPanel2_)),
      lblMessage_(NamedLabel(QStringLiteral("LblMessage"), QString(), this)),
      cmdCompare_(new QPushButton(QStringLiteral("Compare"), this)),
      cmdCancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("Memory"));
    setWindowTitle(QStringLiteral("Data Logger"));

    gridSet_->setObjectName(QStringLiteral("GridSet"));
    gridSet_->setAccessibleName(QStringLiteral("Logger sets"));
    gridSet_->setToolTip(QStringLiteral("Click a set to list its readings"));
    grid_->setAccessibleName(QStringLiteral("Comparison"));
    ssPanel1_->setObjectName(QStringLiteral("SSPanel1"));
    ssPanel2_->setObjectName(QStringLiteral("SSPanel2"));
    lblSize_->setAccessibleDescription(QStringLiteral("Memory Size"));
    lblRemain_->setAccessibleDescription(QStringLiteral("Remained"));
    lblMessage_->setAccessibleDescription(QStringLiteral("Download progress"));
    cmdCompare_->setObjectName(QStringLiteral("CmdCompare"));
    cmdCancel_->setObjectName(QStringLiteral("CmdCancel"));
    cmdCancel_->setToolTip(QStringLiteral("Stop the download"));
    cmdCancel_->hide();

    (new QVBoxLayout(ssPanel1_))->addWidget(lblSize_);
    (new QVBoxLayout(ssPanel2_))->addWidget(lblRemain_);
    auto* side = new QVBoxLayout();
    side->addWidget(ssPanel1_);
    side->addWidget(ssPanel2_);
    side->addStretch();
    side->addWidget(cmdCompare_);
    side->addWidget(cmdCancel_);
    auto* top = new QHBoxLayout();
    top->addWidget(gridSet_, 1);
    top->addLayout(side);
    lblMessage_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 2);
    layout->addWidget(lblMessage_);
    layout->addWidget(grid_, 1);

    layOutHeaders();
    // Wide enough to show every column of the sets.
    gridSet_->setMinimumWidth(gridSet_->sizeForRows(0).width());

    connect(cmdCancel_, &QPushButton::clicked, this, [this] {
        if (download_) {
            download_->cancel();
        }
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    // Escape stops a download; with none running it closes the window.
    connect(escape, &QShortcut::activated, this, [this] {
        if (download_) {
            cmdCancel_->click();
        } else {
            close();
        }
    });
    connect(gridSet_, &Grid::cellClicked, this,
            [this](int row, int) { ListSetCommand(this->app(), row); });
    // Enter on a set lists it, as a click does.
    gridSet_->installEventFilter(this);

    place();
    app.meter.MemoryOpen = true;
}

Memory::~Memory() = default;

void Memory::layOutHeaders() {
    GridModel& sets = gridSet_->model();
    for (int c = 0; c < 5; ++c) {
        sets.setText(0, c, QString::fromLatin1(SetColumns[c].header));
        gridSet_->setColWidthFromSample(c, QString::fromLatin1(SetColumns[c].widthSample));
    }
    GridModel& compare = grid_->model();
    for (int c = 0; c < 5; ++c) {
        compare.setText(0, c, QString::fromLatin1(CompareColumns[c].header));
        grid_->setColWidthFromSample(c, QString::fromLatin1(CompareColumns[c].widthSample));
    }
}

void Memory::place() {
    if (const QWidget* panel = app().mainWindow()) {
        const QRect frame = panel->frameGeometry();
        move(frame.x() + frame.width(), frame.y());
    }
}

LoggerDownload* Memory::download() const {
    return download_;
}

QString Memory::stalledMessage(int stallMs) {
    return QStringLiteral("Download stopped: no data from the meter for ") +
           TextRules::GeneralNumber(stallMs / 1000.0) + QStringLiteral(" s");
}

QString Memory::endMessage(LoggerDownload::Outcome outcome, int stallMs) {
    using Outcome = LoggerDownload::Outcome;
    switch (outcome) {
        case Outcome::Listed:
        case Outcome::Empty:
            break;
        case Outcome::Cancelled:
            return QStringLiteral("Download cancelled");
        case Outcome::Stalled:
            return stalledMessage(stallMs);
        case Outcome::Failed:
            return QStringLiteral("Download failed: the meter's answer could not be read");
        case Outcome::TooManySets:
            return QStringLiteral("Stopped after %1 sets").arg(LoggerDump::MaxSets);
        case Outcome::PortLost:
            return QStringLiteral("Download stopped: the meter's port was lost");
    }
    return QString();
}

void Memory::startDownload() {
    if (download_) {
        return;
    }
    gridSet_->model().setRows(1);
    download_ = new LoggerDownload(app().link().port(), app().rs232, this);
    connect(download_, &LoggerDownload::progress, lblMessage_, &QLabel::setText);
    connect(download_, &LoggerDownload::remained, lblRemain_, &QLabel::setText);
    connect(download_, &LoggerDownload::setsIndexed, this, &Memory::appendSets);
    connect(download_, &LoggerDownload::finished, this, &Memory::downloadFinished);
    cmdCancel_->show();
    download_->start();
}

void Memory::appendSets(const QStringList& rows) {
    QVector<QStringList> cells;
    cells.reserve(rows.size());
    for (const QString& row : rows) {
        cells.append(GridModel::splitRow(row, gridSet_->model().Cols()));
    }
    gridSet_->model().appendRows(std::move(cells));
    // Their texts may have widened a column.
    gridSet_->setMinimumWidth(gridSet_->sizeForRows(0).width());
}

void Memory::downloadFinished(LoggerDownload::Outcome outcome) {
    cmdCancel_->hide();
    const QString message = endMessage(outcome, download_->stallTimeoutMs());
    if (!message.isEmpty()) {
        lblMessage_->setText(message);
    }
    download_->deleteLater();
    download_ = nullptr;
    app().meter.DownloadBusy = false;
    app().setTimer1(true);
}

void Memory::onUnload() {
    app().meter.MemoryOpen = false;
    // Closing the window while it downloads cancels the download.
    if (download_) {
        download_->cancel();
    }
}

bool Memory::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gridSet_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QModelIndex at = gridSet_->currentIndex();
            ListSetCommand(app(), at.isValid() ? at.row() + 1 : 0);
            return true;
        }
    }
    return AppWindow::eventFilter(watched, event);
}
