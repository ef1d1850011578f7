#pragma once

#include <QString>
#include <QStringList>

class App;

// The main toolbar: one handler for all its buttons, by key.
void ToolbarClick(App& app, const QString& key);

// Opens each file in an opened-file list of its own, beside the one that "Open" uses; each
// stays until it is closed.
void OpenFiles(App& app, const QStringList& paths);
