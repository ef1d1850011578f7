#pragma once

#include <QObject>

class TestChartLayout : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void plotWidth_data();
    void plotWidth();
    void frameForClient();
    void ticks_data();
    void ticks();
    void scaleLabels_data();
    void scaleLabels();
    void scaleLabelLeft_data();
    void scaleLabelLeft();
    void valueHeight_data();
    void valueHeight();
    void firstTickLandsOnZeroWithoutSegment();
    void wrapDrawsNoJoiningSegment();
    void fractionalStepWraps();
    void marks_data();
    void marks();
};

class TestDataPlot : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void valueLabels_data();
    void valueLabels();
    void ohmY_data();
    void ohmY();
    void voltY_data();
    void voltY();
    void middleRow_data();
    void middleRow();
    void build_data();
    void build();
};

class TestChartWindows : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void readingLandsWhereMapped_data();
    void readingLandsWhereMapped();
    void gridDotsKeepTheirPlaces();
    void stripErasedAndNoJoinOnWrap();
    void timeLabelsAndHalfMarks();
    void resizeClearsAndRestarts();
    void sizesSnapAndNeverBreak_data();
    void sizesSnapAndNeverBreak();
    void emptyScaleBeforeFirstReading();
    void graphOpenFollowsClosing_data();
    void graphOpenFollowsClosing();
    void restartOnRangeChange();
    void printLeavesToolbarShown();
};

class TestRangeDialogs : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void realTimeRangeFilledOnLoad();
    void realTimeRangeChecks_data();
    void realTimeRangeChecks();
    void realTimeRangeApplies_data();
    void realTimeRangeApplies();
    void plot2RangeFilledOnDisplay();
    void plot2RangeChecks_data();
    void plot2RangeChecks();
    void plot2RangeReplotsItsSource_data();
    void plot2RangeReplotsItsSource();
};

class TestPlotWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void labelsForScales_data();
    void labelsForScales();
    void curvesDrawnBetweenAxes();
    void fewRowsShowOnlyValueLabels_data();
    void fewRowsShowOnlyValueLabels();
    void failuresCloseThePlot_data();
    void failuresCloseThePlot();
    void garbageRowsStillPlot();
    void showPlotReplacesVisiblePlot();
};
