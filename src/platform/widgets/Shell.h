#pragma once

#include <QString>

// Opening documents and programs of the desktop.
class Shell {
  public:
    virtual ~Shell() = default;
    // Opens a document with the desktop's default application; the outcome is not reported.
    virtual void openDocument(const QString& path) = 0;
};

class DesktopShell final : public Shell {
  public:
    void openDocument(const QString& path) override;
};
