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
// Asks for a server's address, starting from `current`; empty when the person cancels, or after
// saying why the answer is no server's address.
QString AskServerAddress(App& app, QWidget* window, const QString& current);
// The same for a sorting bench, which goes on while a server is away.
std::unique_ptr<BenchInventory> OpenBenchFor(App& app, QWidget* window, const QString& location);
