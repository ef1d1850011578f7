#pragma once

#include <QWidget>

class App;

// Base of every window of the program. Each window exists at most once: the registry creates
// it on first reference (loaded, hidden) and unloading destroys it, so that the next reference
// builds it afresh.
class AppWindow : public QWidget {
    Q_OBJECT

  public:
    explicit AppWindow(App& app, QWidget* parent = nullptr);

    App& app() const { return app_; }

    // Runs the window's closing logic, hides it and destroys it; the registry forgets it at
    // once, so the next reference creates a fresh window.
    void unload();

  protected:
    // The window's own closing logic (clearing flags, stopping its timer).
    virtual void onUnload() {}
    void closeEvent(QCloseEvent* event) override;

  private:
    App& app_;
    bool unloading_ = false;
};
