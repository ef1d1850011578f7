#pragma once

#include <QObject>

// The session's table on its own: what each column says, what is shown and counted, what is
// printed, and the capacity a person types.
class TestSessionTable : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void capacityTyped_data();
    void capacityTyped();
    void verdictInWords_data();
    void verdictInWords();
    void deletedRowsHideAndReturn();
    void editsReachEveryRowOfTheCell();
    void refusedEditChangesNothing();
    void printedColumns();
};

// The window end to end over the simulator: captures, verdicts, counts, the inventory, the
// main window's marks, the re-measure question, export and print.
class TestSortWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void capturesAreJudgedAndStored();
    void committedBeforeAnnounced();
    void marksLightOnlyWhileOpen();
    void undoMarksDeleted();
    void remeasureAsks_data();
    void remeasureAsks();
    void closedUnderTheQuestion();
    void exportReadsBack();
    void printsThePdf();
    void anotherInventory();
    void refusesAnInventoryItCannotOpen();
};

// The window from the keyboard: the capture key, a barcode scanner's code and Enter, editing.
class TestSortKeys : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void spaceCaptures();
    void spaceTypesInTheIdField();
    void scannedCodeNamesTheNextCell();
    void typedIdWithoutEnter();
    void capacityAndNoteEdited();
};

// The Pack window over a real inventory: runs, refusals, saved packs, the map as PDF and print.
class TestPackWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void runShowsAValidPack_data();
    void runShowsAValidPack();
    void savedPackIsNotOfferedAgain();
    void mapReadsBack_data();
    void mapReadsBack();
    void stopKeepsTheBestSoFar();
    void enterRuns();
    void locks_data();
    void locks();
};

// The window on a shared inventory on a real PostgreSQL server: chosen by its address, a time
// away from it, and the other benches' captures.
class TestSortServer : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void chosenByAddress_data();
    void chosenByAddress();
    void awayAndBack();
    void otherBenchesShown();
};

// The profile editor opened from the Sort Cells window: saves, refusals in words, removal after
// a question, the keyboard, and the window closing or its server away while it is open.
class TestProfileEditor : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void savesANewProfile_data();
    void savesANewProfile();
    void refusesAContradiction_data();
    void refusesAContradiction();
    void removeAsks_data();
    void removeAsks();
    void keyboardOnly();
    void choiceFollows_data();
    void choiceFollows();
    void outlivesTheWindow();
    void serverAway();
};
