#include "windows/graphs/RealTimeRange.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/layout/RangeChecks.h"
#include "platform/TextRules.h"
#include "platform/widgets/Dialogs.h"
#include "windows/common/Accessibility.h"
#include "windows/common/App.h"
#include "windows/graphs/GraphCommands.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"

namespace {

QLineEdit* box(const QString& name, const QString& accessibleName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessibleName);
    edit->setFont(QFont(QStringLiteral("MS Sans Serif")));
    return edit;
}

// A frame holding the "Max." and "Min." boxes of one scale.
QGroupBox* scaleFrame(const QString& name, const QString& caption, QLineEdit* max, QLineEdit* min,
                      QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    auto* grid = new QGridLayout(frame);
    auto* maxLabel = new QLabel(QStringLiteral("Max."), frame);
    maxLabel->setBuddy(max);
    auto* minLabel = new QLabel(QStringLiteral("Min."), frame);
    minLabel->setBuddy(min);
    grid->addWidget(maxLabel, 0, 0);
    grid->addWidget(max, 0, 1);
    grid->addWidget(minLabel, 1, 0);
    grid->addWidget(min, 1, 1);
    return frame;
}

double number(const QLineEdit* edit) {
    return TextRules::LeadingNumber(edit->text());
}

qint16 whole(double typed) {
    return qint16(TextRules::RoundHalfEven(typed));
}

}  // namespace

RealTimeRange::RealTimeRange(App& app)
    : AppWindow(app),
      textXMax_(box(QStringLiteral("TextXMax"), QStringLiteral("Ohm maximum"), this)),
      textXMin_(box(QStringLiteral("TextXMin"), QStringLiteral("Ohm minimum"), this)),
      textYMax_(box(QStringLiteral("TextYMax"), QStringLiteral("Voltage maximum"), this)),
      textYMin_(box(QStringLiteral("TextYMin"), QStringLiteral("Voltage minimum"), this)),
      textCounts_(box(QStringLiteral("TextCounts"), QStringLiteral("Counts"), this)) {
    setObjectName(QStringLiteral("RealTimeRange"));
    setWindowTitle(QStringLiteral("Real Time Range"));
    MarkAsDialog(*this);
    setFont(QFont(QStringLiteral("Times New Roman")));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        scaleFrame(QStringLiteral("FrameX"), QStringLiteral("Ohm"), textXMax_, textXMin_, this));
    layout->addWidget(scaleFrame(QStringLiteral("FrameY"), QStringLiteral("Voltage"), textYMax_,
                                 textYMin_, this));
    auto* countsRow = new QHBoxLayout();
    auto* countsLabel = new QLabel(QStringLiteral("Counts"), this);
    countsLabel->setBuddy(textCounts_);
    countsRow->addWidget(countsLabel);
    countsRow->addWidget(textCounts_);
    layout->addLayout(countsRow);
    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("CmdOK"));
    okButton->setDefault(true);
    layout->addWidget(okButton);
    connect(okButton, &QPushButton::clicked, this, &RealTimeRange::ok);
    for (QLineEdit* edit : {textXMax_, textXMin_, textYMax_, textYMin_, textCounts_}) {
        connect(edit, &QLineEdit::returnPressed, this, &RealTimeRange::ok);
    }
    // There is no cancel button; Escape closes the dialog without a change.
    CloseOnEscape(*this);

    const Meter& meter = app.meter;
    textXMax_->setText(QString::number(meter.GraphOhmMax));
    textXMin_->setText(QString::number(meter.GraphOhmMin));
    textYMax_->setText(QString::number(meter.GraphVoltMax));
    textYMin_->setText(QString::number(meter.GraphVoltMin));
    const double counts = TextRules::RoundHalfEven(double(meter.GraphPlotWidth) / meter.GraphStep);
    textCounts_->setText(TextRules::GeneralNumber(counts));
}

void RealTimeRange::ok() {
    GraphRangeInput input;
    input.ohmMax = number(textXMax_);
    input.ohmMin = number(textXMin_);
    input.voltMax = number(textYMax_);
    input.voltMin = number(textYMin_);
    input.counts = number(textCounts_);
    App& a = app();
    const QString refusal = CheckGraphRange(input, a.meter);
    if (!refusal.isEmpty()) {
        a.dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(), refusal);
        return;
    }

    // Closing the second chart finds the first one gone and clears GraphOpen; it stays clear,
    // so a change of the meter's range no longer replaces the scales chosen here.
    if (a.windows().isVisible<RealTimeX>()) {
        a.windows().unload<RealTimeX>();
    }
    if (a.windows().isVisible<RealTimeY>()) {
        a.windows().unload<RealTimeY>();
    }
    Meter& meter = a.meter;
    meter.GraphOhmMax = whole(input.ohmMax);
    meter.GraphOhmMin = whole(input.ohmMin);
    meter.GraphVoltMax = whole(input.voltMax);
    meter.GraphVoltMin = whole(input.voltMin);
    meter.GraphStep = float(meter.GraphPlotWidth / input.counts);
    ShowGraphs(a);
    unload();
}
