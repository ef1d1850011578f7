#pragma once

#include <QObject>

class TestLoggerSets : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void index_data();
    void index();
    void block_data();
    void block();
    void records_data();
    void records();
    void malformedNeverReadBeyond();
    void progress_data();
    void progress();
    void remained();
};

class TestStartingTime : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void parse_data();
    void parse();
};

class TestLoggerWindows : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void download_data();
    void download();
    void secondClickDoesNothing();
    void cancel_data();
    void cancel();
    void stallEndsDownload();
    void listSet_data();
    void listSet();
    void clickAndEnterList();
    void saveHeaders();
    void saveRefusedWhileRecording();
    void plotState();

  private:
    struct Rig;
    Rig* rig_ = nullptr;
};
