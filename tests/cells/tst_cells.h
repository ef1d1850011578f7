#pragma once

#include <QObject>

class TestCapture : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void rules_data();
    void rules();
    void captureKey();
    void settingsAndTolerance_data();
    void settingsAndTolerance();
    void readingFromMeter_data();
    void readingFromMeter();
};

class TestVerdict : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void judge_data();
    void judge();
    void profileProblems_data();
    void profileProblems();
};

class TestCsv : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void roundTripThroughPython();
    void readerFaults_data();
    void readerFaults();
    void readerForms_data();
    void readerForms();
    void numbersWhateverTheLocale();
};

class TestSortCli : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void sortsAgainstTheSimulator();
    void sortsTheSimulatorsCellList();
    void captureSurvivesKill9();
    void sigtermEndsWithSuccess();
    void twoSortersOnOneFile();
    void usage_data();
    void usage();
    void cellsCommands();
};
