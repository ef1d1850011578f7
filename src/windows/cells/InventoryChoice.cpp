#include "windows/cells/InventoryChoice.h"

#include <QDir>

#include "core/cells/BenchInventory.h"
#include "core/cells/Inventory.h"
#include "platform/widgets/Dialogs.h"
#include "windows/common/App.h"

namespace {

template <class Store>
std::unique_ptr<Store> openFor(App& app, QWidget* window, const QString& location) {
    auto opened = std::make_unique<Store>();
    if (!opened->open(location)) {
        const QString shown =
            DatabaseLocation::IsServerUri(location) ? location : QDir::toNativeSeparators(location);
        app.dialogs().message(window, Dialogs::Icon::Critical, Dialogs::appTitle(),
                              QStringLiteral("The cell inventory could not be opened:\n%1\n\n%2")
                                  .arg(shown, opened->error()));
        return nullptr;
    }
    return opened;
}

}  // namespace

std::unique_ptr<Inventory> OpenInventoryFor(App& app, QWidget* window, const QString& location) {
    return openFor<Inventory>(app, window, location);
}

std::unique_ptr<BenchInventory> OpenBenchFor(App& app, QWidget* window, const QString& location) {
    return openFor<BenchInventory>(app, window, location);
}
