#pragma once

#include <QObject>

// Each window of the program opened as a person opens it, then checked through QAccessible:
// its role and caption, every control's name, every label's text after a change, the tables'
// headers, Tab and Escape.
class TestWindows : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void accessible_data();
    void accessible();
    void escapeCloses_data();
    void escapeCloses();
    void toolbarNamesFollowToolTips();
    void liveGraphText();
    void decorativeKeys();
};

// Every picture on a button is the program's own, with no icon theme to fall back on.
class TestIcons : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void buttonsHavePictures_data();
    void buttonsHavePictures();
};
