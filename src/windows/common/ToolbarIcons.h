#pragma once

#include <QIcon>
#include <QString>

// Every button's picture, painted in code so that it stays sharp at any scale and never depends
// on the desktop's icon theme. Keys as the toolbars': Save, Open, List, Graph, Sample, Memory,
// Stop, ReSave, Help, Sort, Pack; the list windows' Plot and Print; the charts' Limit; the sorting
// window's Capture, Undo and Redo.
QIcon ToolbarIcon(const QString& key);

// The program's own icon: the meter's amber body and its display.
QIcon ProgramIcon();
