#pragma once

#include <QObject>

class TestComMap : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void build_data();
    void build();
    void naturalLess_data();
    void naturalLess();
};

class TestSerialLink : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void openResult_data();
    void openResult();
    void notPermittedForAnotherUser();
    void lostAndRestored();
};

class TestPortDialog : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void numberFor_data();
    void numberFor();
    void startsWithSixteenEntries();
    void ok_data();
    void ok();
    void enterAccepts_data();
    void enterAccepts();
    void scanListsFreeAndBusy();
    void scanFindsNothing();
    void scanChoosesThePortThatTalks_data();
    void scanChoosesThePortThatTalks();
    void serialDevices();
};
