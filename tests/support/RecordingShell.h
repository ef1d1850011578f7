#pragma once

#include <QStringList>

#include "platform/widgets/Shell.h"

// Notes the documents the program asks the desktop to open, instead of opening them.
class RecordingShell final : public Shell {
  public:
    QStringList opened;
    void openDocument(const QString& path, QObject*, std::function<void()>) override {
        opened.append(path);
    }
};
