#pragma once

#include <QObject>

class TestDatabaseLocation : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void parse_data();
    void parse();
    void uriForReadsBack();
};

class TestPgServer : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void driverConnects();
    void privateClusterStopsAndStarts();
};
