#pragma once

#include <QObject>

class TestNoMeter : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void buttonOpensMainWindow_data();
    void buttonOpensMainWindow();
    void refusesWhatNeedsTheMeter_data();
    void refusesWhatNeedsTheMeter();
    void viewsFilesWithoutMeter();
    void liveListStaysStill();
};

class TestCommandLine : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void parse_data();
    void parse();
    void portPath_data();
    void portPath();
    void programAnswers_data();
    void programAnswers();
    void displayMissing_data();
    void displayMissing();
    void filesOpenEachInItsList();
    void unreadableFileGetsNoWindow_data();
    void unreadableFileGetsNoWindow();
    void portPathIsChosen();
    void programOpensFiles();
};
