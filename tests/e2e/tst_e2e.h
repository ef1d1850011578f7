#pragma once

#include <QObject>

// The live readings over the simulator, from the port dialog's OK on.
class TestLive : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void fixedReading_data();
    void fixedReading();
    void badLineAndRangeChange();
    void silenceThenBack();
    void downloadHoldsReadings();
};

// The data logger over the simulator: download, set listing, save, and the ways a download
// ends.
class TestLoggerPath : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void listAndSaveSet();
    void download_data();
    void download();
    void secondClickDuringDownload();
    void endsWithoutItsSets_data();
    void endsWithoutItsSets();
    void stallEndsDownload();
    void listWhileMeterSilent();
};

// A window the program closes by itself while one of its questions is on screen.
class TestUnderDialog : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void rangeChange_data();
    void rangeChange();
};
