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

QString AskServerAddress(App& app, QWidget* window, const QString& current) {
    const QString start = current.isEmpty() ? QStringLiteral("postgresql://") : current;
    const QString uri =
        app.dialogs()
            .input(window,
                   QStringLiteral("The inventory's server, as an address such as "
                                  "postgresql://sorter@shop-server/cells (the password comes "
                                  "from ~/.pgpass or PGPASSWORD):"),
                   QStringLiteral("Inventory on a Server"), start)
            .trimmed();
    if (uri.isEmpty() || uri == u"postgresql://") {
        return QString();
    }
    if (!DatabaseLocation::IsServerUri(uri)) {
        app.dialogs().message(window, Dialogs::Icon::Warning, Dialogs::appTitle(),
                              QStringLiteral("\"%1\" is not a server's address: it begins with "
                                             "postgresql://. For a file, choose \"Change...\".")
                                  .arg(uri));
        return QString();
    }
    return uri;
}
