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

class TestJournal : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void capturesComeBackInOrderAndWhole();
    void notANumberStaysNotANumber();
    void inSession_data();
    void inSession();
    void numbers();
    void twoProgramsNeverTakeOneNumber();
    void unknownVersionRefused();
};

class TestBenchInventory : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void capturesOnTheServer();
    void serverAwayAndBack();
    void uploadCutOffDuplicatesNothing();
    void startsAwayFromTheServer();
    void refusingServerIsAFailure_data();
    void refusingServerIsAFailure();
    void newerSchemaRefused();
    void benchesAtOnceShareNoNumber();
    void otherBenchesCaptures();
};

// kelvomark-cli on a server: two benches at once, a server away, an upload cut off.
class TestPgCommandLine : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initMakesTheSchema();
    void twoBenchesSortIntoOnePrefix();
    void sortGoesOnWhileServerAway();
    void uploadKilledHalfWayAndRunAgain();
};
