#pragma once

#include <QString>

class App;

// The main toolbar: one handler for all its buttons, by key.
void ToolbarClick(App& app, const QString& key);
