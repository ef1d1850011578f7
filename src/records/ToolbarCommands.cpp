#include "records/ToolbarCommands.h"

#include "app/App.h"
#include "graphs/GraphCommands.h"
#include "logger/LoggerCommands.h"

void ToolbarClick(App& app, const QString& key) {
    if (key == QStringLiteral("Memory")) {
        MemoryCommand(app);
        return;
    }
    if (key == QStringLiteral("Graph")) {
        OpenGraphsCommand(app);
    }
    app.setTimer1(true);
}
