#pragma once

#include <QObject>
#include <QString>
#include <functional>

class Inventory;

// The inventory's behaviour as one table of cases, run on whatever location `fresh` gives: a new
// SQLite file by default, or a database on a server. Every case gets a fresh, empty inventory.
class InventoryCases : public QObject {
    Q_OBJECT

  public:
    using Locations = std::function<QString(const QString& caseName)>;
    // `files` says the locations are SQLite files, for the cases that build a schema by hand.
    explicit InventoryCases(Locations fresh, bool files = true);
    // New files in a temporary folder that lives as long as the program.
    static Locations TemporaryFiles();

    using Case = void (*)(Inventory& inventory);

  private Q_SLOTS:
    void cases_data();
    void cases();
    void migrationFromTheFirstSchema();
    void migrationFromTheSecondSchema();
    void newerSchemaIsRefused();
    void notAnInventory();
    void twoWritersOnOneInventory();

  private:
    Locations fresh_;
    bool files_;
};
