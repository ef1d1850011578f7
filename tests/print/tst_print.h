#pragma once

#include <QObject>

class TestPrintLayout : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void nextPrintLine_data();
    void nextPrintLine();
    void pages_data();
    void pages();
    void headerOnly();
    void columns_data();
    void columns();
    void batchesAndRowsReadOnce_data();
    void batchesAndRowsReadOnce();
};

class TestPrintPdf : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cellsAndPageNumbers();
    void positionsInTwips_data();
    void positionsInTwips();
    void endsQuietly_data();
    void endsQuietly();
    void eventsRunWhilePrinting();
    void imageFitsThePage_data();
    void imageFitsThePage();
    void windowImageWithoutDefaultPrinter();
};
