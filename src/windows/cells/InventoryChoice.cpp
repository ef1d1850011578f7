#include "windows/cells/InventoryChoice.h"

#include <QDir>

#include "core/cells/Inventory.h"
#include "platform/widgets/Dialogs.h"
#include "windows/common/App.h"

std::unique_ptr<Inventory> OpenInventoryFor(App& app, QWidget* window, const QString& location) {
    auto opened = std::make_unique<Inventory>();
    if (!opened->open(location)) {
        app.dialogs().message(window, Dialogs::Icon::Critical, Dialogs::appTitle(),
                              QStringLiteral("The cell inventory could not be opened:\n%1\n\n%2")
                                  .arg(QDir::toNativeSeparators(location), opened->error()));
        return nullptr;
    }
    return opened;
}
