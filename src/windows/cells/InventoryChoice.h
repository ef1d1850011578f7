#pragma once

#include <QString>
#include <memory>

class App;
class BenchInventory;
class Inventory;
class QWidget;

// The inventory at `location`, opened for a window of cells; null, after saying why over
// `window`, when it cannot be opened.
std::unique_ptr<Inventory> OpenInventoryFor(App& app, QWidget* window, const QString& location);
// The same for a sorting bench, which goes on while a server is away.
std::unique_ptr<BenchInventory> OpenBenchFor(App& app, QWidget* window, const QString& location);
