#pragma once

#include <QObject>

// A recording when the meter's adapter is pulled, the disk fills up or the program is killed.
class TestRecordingFaults : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void adapterPulledAndBack();
    void diskFills();
    void programKilled();
};

// A logger download when the meter falls silent or its adapter is pulled.
class TestLoggerFaults : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void silentMidDumpThenCancel();
    void adapterPulledMidDump();
};

// A list saved over an older file when the save cannot be completed.
class TestSaveFaults : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void listSaveFails_data();
    void listSaveFails();
};
