#pragma once

#include <QIcon>
#include <QString>

// The main toolbar's pictures, painted in code so that they stay sharp at any scale. Keys as
// the toolbar's: Save, Open, List, Graph, Sample, Memory, Stop, ReSave, Help.
QIcon ToolbarIcon(const QString& key);

// The program's own icon: the meter's amber body and its display.
QIcon ProgramIcon();
