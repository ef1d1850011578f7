#pragma once

#include <QObject>

class TestDecode : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void decodeStatus_data();
    void decodeStatus();
    void countText_data();
    void countText();
    void packet_data();
    void packet();
    void framing_data();
    void framing();
    void packetWait_data();
    void packetWait();
    void fifthWaitIsNoData();
};

class TestReceive : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void readingShown_data();
    void readingShown();
    void notOnePacketIgnored_data();
    void notOnePacketIgnored();
    void garbageBurst();
    void silenceThenFirstByte();
    void oldReadingFades();
    void deviceVanishesAndReturns();
    void offLeavesPortAlone();
};

class TestPanel : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void loadSetsState();
    void openError_data();
    void openError();
    void captionToggle();
    void helpChoice();
    void helpWithoutViewer_data();
    void helpWithoutViewer();
    void recordingLook();
    void closeEndsProgram();
};

class TestSecondTicker : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void nextTickAt_data();
    void nextTickAt();
    void ticksOnWholeSecondsSinceOrigin();
    void neverEarlyNeverCatchesUp();
};
