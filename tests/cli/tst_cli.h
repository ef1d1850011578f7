#pragma once

#include <QObject>

// What every command says to bad usage, and what the program is made of.
class TestCliUsage : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void usage_data();
    void usage();
    void helpOfEveryCommand();
    void usageNamesEveryOption();
    void linksNoWidgets();
    void manPageHasEveryOption();
};

// ports, read and record against the simulator on a pseudo-terminal.
class TestCliLive : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void ports();
    void readFormats_data();
    void readFormats();
    void readGoesOnAfterNoCom();
    void readTimeout_data();
    void readTimeout();
    void readTellsTheDeviceOnce();
    void recordDuration_data();
    void recordDuration();
    void recordLikeTheDesktop();
    void recordGapAfterSilence();
    void recordStopsOnRangeChange();
    void recordContinues();
    void recordSigtermLeavesWholeFile();
    void recordRefusesToOverwrite();
};

// logger against the simulator's loggers and faults, and from a kept dump.
class TestCliLogger : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void download_data();
    void download();
    void faults_data();
    void faults();
    void cancel();
    void listSet();
    void listAllSets();
    void listAllSetsNeedsEachStart();
    void outputsCheckedFirst_data();
    void outputsCheckedFirst();
    void overwrite();
    void keptDump();
    void badDump_data();
    void badDump();
};

// print and plot, with no display: the PDF's text read back, the PNG's size.
class TestCliRender : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void printPdf();
    void printCancelled();
    void plotPng();
    void plotPdf();
    void plotRange_data();
    void plotRange();
    void notAList_data();
    void notAList();
    void listHeaders_data();
    void listHeaders();
    void plotWithoutRanges();
};
