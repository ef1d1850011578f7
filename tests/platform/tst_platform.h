#pragma once

#include <QObject>

class TestTextRules : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void roundHalfEven_data();
    void roundHalfEven();
    void generalNumber_data();
    void generalNumber();
    void oneDecimal_data();
    void oneDecimal();
    void stamps_data();
    void stamps();
    void stampStepper_data();
    void stampStepper();
    void isoTime_data();
    void isoTime();
    void commaDecimalLocale();
    void commaDecimalCLibrary();
};

class TestGridModel : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void addItemSplitsAtTabs_data();
    void addItemSplitsAtTabs();
    void headerIsRowZero();
    void setRowsCutsAndExtends();
};

class TestGrid : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void columnsFitTheirTexts_data();
    void columnsFitTheirTexts();
};

class TestDialogs : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void allFilesListsEveryFile_data();
    void allFilesListsEveryFile();
};

class TestClock : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void countsSuspendedTime();
};
