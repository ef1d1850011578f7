#pragma once

#include <QObject>

class TestSampler : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void recordingBytes_data();
    void recordingBytes();
    void stamps_data();
    void stamps();
    void firstSampleAfterChange();
    void noDataShowsRealGap();
    void recordLimit_data();
    void recordLimit();
    void rangeChangeStops();
    void unwritableStops();
    void keepsWholeLinesWhenFull();
    void listFeed_data();
    void listFeed();
};

class TestRecordReader : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void texts_data();
    void texts();
    void headerRanges_data();
    void headerRanges();
    void badInput_data();
    void badInput();
    void roundTrip();
};

class TestLists : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void topRowFollows_data();
    void topRowFollows();
    void listStopsAtLimit();
    void reopenNumbersFromOne();
    void restartOnRangeChange_data();
    void restartOnRangeChange();
    void saveWritesRangeHeaders_data();
    void saveWritesRangeHeaders();
    void saveRefusedWhileRecording();
    void saveCancelled();
    void saveFailureKeepsOldFile_data();
    void saveFailureKeepsOldFile();
};

class TestToolbar : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void sample_data();
    void sample();
    void openWhileRecording();
    void saveStartAndStop();
    void saveCannotCreate();
    void stopLooks_data();
    void stopLooks();
    void openFile_data();
    void openFile();
    void plotState_data();
    void plotState();
    void keepsTimer1OffDuringDownload_data();
    void keepsTimer1OffDuringDownload();
    void delayKeepsEventsGoing();
};
