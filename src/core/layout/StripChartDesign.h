#pragma once

#include <QString>
#include <QVector>

#include "core/state/State.h"

// What tells the two live strip charts apart: the reading, the scale, the grid divisions and the
// lines each tick redraws. Sizes are in twips, 15 to a pixel.
struct StripChartDesign {
    enum class Reading { Ohm, Volt };
    // Left edge at the main window's left edge, or at its right edge; the top is always 0.
    enum class Placement { PanelLeft, PanelRight };

    Reading reading;
    QString name;
    QString caption;
    Placement placement;
    int widthTwips;  // as designed
    int heightTwips;
    int minWidthTwips;
    int minHeightTwips;
    int labelDivisions;  // scale labels every PlotHeight / labelDivisions, ticks twice as dense
    double labelWidthDivisor;  // label left edge = OriginX - 22 - text width / labelWidthDivisor
    bool centreLine;           // a solid black line at half height, drawn before the grid
    QVector<double> gridFractions;  // dotted grey lines at these fractions of PlotHeight, in order
    QString underText;              // the reading text that plots at the floor

    static const StripChartDesign& ohm();
    static const StripChartDesign& volt();

    int tickDivisions() const { return labelDivisions * 2; }
    QString unitCaption(bool milliOhm) const;
    QString readingText(const Meter& meter) const;
    int scaleMin(const Meter& meter) const;
    int scaleMax(const Meter& meter) const;
};
