#include "windows/graphs/Plot2Range.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/layout/RangeChecks.h"
#include "platform/GridModel.h"
#include "platform/TextRules.h"
#include "platform/widgets/Dialogs.h"
#include "platform/widgets/Grid.h"
#include "windows/common/Accessibility.h"
#include "windows/common/App.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/PlotCommands.h"
#include "windows/graphs/PlotGrid.h"

namespace {

constexpr int TwipsPerPixel = 15;
// Twips. The columns stand 1320, 1320 and 1080 apart; the last box ends 75 short of the edge.
constexpr int BoxWidth = 960;
constexpr int BoxHeight = 315;

QRect twips(int left, int top, int width, int height) {
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel,
            height / TwipsPerPixel};
}

float number(const QLineEdit* edit) {
    return float(TextRules::LeadingNumber(edit->text()));
}

QString single(float value) {
    return TextRules::GeneralNumber(value, 7);
}

}  // namespace

Plot2Range::Plot2Range(App& app) : AppWindow(app) {
    setObjectName(QStringLiteral("Plot2Range"));
    setWindowTitle(QStringLiteral("Plot Range"));
    MarkAsDialog(*this);
    setFixedSize(4875 / TwipsPerPixel, 1335 / TwipsPerPixel);

    QFont sans(QStringLiteral("MS Sans Serif"));
    sans.setPixelSize(11);
    struct Heading {
        const char* text;
        int left;
        int width;  // up to the next column
    };
    static const Heading headings[] = {{"Min. Limitation", 120, 1320},
                                       {"Max. Limitation", 1440, 1320},
                                       {"From No.s", 2760, 1080},
                                       {"To No.s", 3840, 1035}};
    QList<QLabel*> headingLabels;
    for (const Heading& h : headings) {
        auto* label = new QLabel(QString::fromLatin1(h.text), this);
        label->setFont(sans);
        label->setGeometry(twips(h.left, 120, h.width, BoxHeight));
        headingLabels.append(label);
    }

    auto box = [&](const char* name, int left, int top, const QString& accessibleName) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(accessibleName);
        edit->setFont(sans);
        edit->setGeometry(twips(left, top, BoxWidth, BoxHeight));
        connect(edit, &QLineEdit::returnPressed, this, &Plot2Range::ok);
        return edit;
    };
    // Tab order follows the boxes as they are read: resistance and rows, then voltage.
    txtR1_ = box("TxtR1", 120, 480, QStringLiteral("Resistance on the middle line"));
    txtR2_ = box("TxtR2", 1440, 480, QStringLiteral("Resistance on the top line"));
    txtT1_ = box("TxtT1", 2760, 480, QStringLiteral("From No.s"));
    txtT2_ = box("TxtT2", 3840, 480, QStringLiteral("To No.s"));
    upTxtR1_ = box("UpTxtR1", 120, 840, QStringLiteral("Voltage on the middle line"));
    upTxtR2_ = box("UpTxtR2", 1440, 840, QStringLiteral("Voltage on the top line"));
    headingLabels[0]->setBuddy(txtR1_);
    headingLabels[1]->setBuddy(txtR2_);
    headingLabels[2]->setBuddy(txtT1_);
    headingLabels[3]->setBuddy(txtT2_);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("CmdOk"));
    okButton->setFont(QFont(QStringLiteral("Times New Roman")));
    okButton->setGeometry(twips(2760, 840, 2055, BoxHeight + 30));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &Plot2Range::ok);

    // There is no cancel button; Escape closes the dialog without a change.
    CloseOnEscape(*this);
}

void Plot2Range::showEvent(QShowEvent* event) {
    AppWindow::showEvent(event);
    fill();
}

void Plot2Range::resizeEvent(QResizeEvent* event) {
    AppWindow::resizeEvent(event);
    fill();
}

void Plot2Range::fill() {
    const FileTransfer& s = app().transfer;
    txtT1_->setText(single(s.PlotFirstRow));
    txtT2_->setText(single(s.PlotLastRow));
    txtR1_->setText(single(s.PlotOhmBottom));
    txtR2_->setText(single(s.PlotOhmTop));
    upTxtR1_->setText(single(s.PlotVoltBottom));
    upTxtR2_->setText(single(s.PlotVoltTop));
}

void Plot2Range::ok() {
    App& a = app();
    a.windows().unload<ListPlot2>();

    PlotRangeInput input;
    input.ohmBottom = number(txtR1_);
    input.ohmTop = number(txtR2_);
    input.firstRow = number(txtT1_);
    input.lastRow = number(txtT2_);
    input.voltBottom = number(upTxtR1_);
    input.voltTop = number(upTxtR2_);
    FileTransfer& s = a.transfer;
    if (!PlotRangeAccepted(input, s)) {
        a.dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(), PlotRangeRefusal());
        return;
    }
    s.PlotFirstRow = input.firstRow;
    s.PlotLastRow = input.lastRow;
    s.PlotOhmBottom = input.ohmBottom;
    s.PlotOhmTop = input.ohmTop;
    s.PlotVoltBottom = input.voltBottom;
    s.PlotVoltTop = input.voltTop;
    s.PlotPointCount = s.PlotLastRow - s.PlotFirstRow + 1;

    ListPlot2& plot = a.windows().get<ListPlot2>();
    plot.show();
    plot.raise();
    // A list window that has been closed since left an empty list.
    const GridModel empty;
    if (s.PlotFromDataList || s.PlotFromFileList) {
        const PlotSource from = s.PlotFromDataList ? PlotSource::DataList : PlotSource::FileList;
        const GridModel* list = a.plotSource(int(from));
        PlotGrid(a, plot, list ? *list : empty);
    }
    unload();
}
