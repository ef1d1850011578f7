#pragma once

#include <QObject>

class TestChartLayout : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void plotWidth_data();
    void plotWidth();
    void scaleLabels_data();
    void scaleLabels();
    void valueHeight_data();
    void valueHeight();
    void wrapDrawsNoJoiningSegment();
    void marks_data();
    void marks();
};

class TestDataPlot : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void valueLabels_data();
    void valueLabels();
    void heights_data();
    void heights();
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
    void gridLiesOverTheTrace_data();
    void gridLiesOverTheTrace();
    void shownAsDrawn_data();
    void shownAsDrawn();
    void stripErasedAndNoJoinOnWrap();
    void timeLabelsAndHalfMarks();
    void sizesSnapAndNeverBreak_data();
    void sizesSnapAndNeverBreak();
    void graphOpenFollowsClosing_data();
    void graphOpenFollowsClosing();
    void restartOnRangeChange();
    void graphCommandKeepsOpenCharts();
    void toolbarButtons();
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
    void failuresCloseThePlot_data();
    void failuresCloseThePlot();
    void showPlotReplacesVisiblePlot();
};
