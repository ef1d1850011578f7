#include "records/FileList.h"

#include <QVBoxLayout>

#include "platform/Grid.h"

FileList::FileList(App& app) : AppWindow(app), grid_(new Grid(5, this)) {
    setObjectName(QStringLiteral("FileList"));
    setWindowTitle(QStringLiteral("FileList"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
}
