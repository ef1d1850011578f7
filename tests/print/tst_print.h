#pragma once

#include <QObject>

class TestPrint : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // The layout, on a page that records every text and line.
    void nextPrintLine_data();
    void nextPrintLine();
    void pages_data();
    void pages();
    void headerOnlyWithFiveColumns();
    void batchesPrintAsOne();
    void mergedRules_data();
    void mergedRules();
    // Real PDF files from QPrinter.
    void cellsAndPageNumbers();
    void rulesOnEveryPage_data();
    void rulesOnEveryPage();
    void positionsInTwips_data();
    void positionsInTwips();
    void endsQuietly_data();
    void endsQuietly();
    void eventsRunWhilePrinting();
    void imageFitsThePage_data();
    void imageFitsThePage();
    void windowImageWithoutDefaultPrinter();
};
