#include "logger/DataList.h"

#include <QVBoxLayout>

#include "platform/Grid.h"

DataList::DataList(App& app) : AppWindow(app), grid_(new Grid(5, this)) {
    setObjectName(QStringLiteral("DataList"));
    setWindowTitle(QStringLiteral("Data List"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
}
