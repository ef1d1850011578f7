#include "logger/LoggerCommands.h"

#include "app/App.h"

void MemoryCommand(App& app) { app.setTimer1(true); }
