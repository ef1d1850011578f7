#pragma once

#include <QString>
#include <functional>

class QObject;

// Opening documents and programs of the desktop.
class Shell {
  public:
    virtual ~Shell() = default;
    // Opens a document with the desktop's default application. When the desktop has no
    // program for it, `noProgram` is called later, from the event loop, unless `context` is
    // gone by then.
    virtual void openDocument(const QString& path, QObject* context,
                              std::function<void()> noProgram) = 0;
};

// Asks xdg-open, whose exit status says whether a program took the document (3 and 4: no
// method, or it failed); without xdg-open, Qt's own way.
class DesktopShell final : public Shell {
  public:
    void openDocument(const QString& path, QObject* context,
                      std::function<void()> noProgram) override;
};
