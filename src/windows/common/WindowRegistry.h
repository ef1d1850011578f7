#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <typeindex>
#include <unordered_map>
#include <vector>

class App;

// One instance of each window, created on first reference. Windows are keyed by their class.
// A window that may be open several times (a file opened from outside) has further instances
// beside it, which get() and find() never return.
class WindowRegistry {
  public:
    explicit WindowRegistry(App& app) : app_(app) {}
    ~WindowRegistry() { clear(); }
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;

    // The window, created and loaded (hidden) if it does not exist yet.
    template <class T>
    T& get() {
        if (T* existing = find<T>()) {
            return *existing;
        }
        T* created = new T(app_);
        windows_[std::type_index(typeid(T))] = created;
        return *created;
    }

    // A further instance, loaded and hidden; it lives until it is unloaded or the program ends.
    template <class T>
    T& another() {
        T* created = new T(app_);
        others_.emplace_back(created);
        return *created;
    }

    // The window if it is loaded, else null; never creates it.
    template <class T>
    T* find() const {
        const auto it = windows_.find(std::type_index(typeid(T)));
        if (it == windows_.end() || it->second.isNull()) {
            return nullptr;
        }
        return static_cast<T*>(it->second.data());
    }

    template <class T>
    bool isVisible() const {
        const T* window = find<T>();
        return window && window->isVisible();
    }

    // Unloads the window if it is loaded: its closing logic runs and it is destroyed.
    template <class T>
    void unload() {
        if (T* window = find<T>()) {
            window->unload();
        }
    }

    // The window is loaded: created and not yet unloaded.
    bool holds(const QWidget* window) const {
        for (const auto& [type, held] : windows_) {
            if (window && held.data() == window) {
                return true;
            }
        }
        for (const QPointer<QWidget>& held : others_) {
            if (window && held.data() == window) {
                return true;
            }
        }
        return false;
    }

    // Called by a window that is being unloaded.
    void forget(QWidget* window) {
        for (auto it = windows_.begin(); it != windows_.end(); ++it) {
            if (it->second.data() == window) {
                windows_.erase(it);
                return;
            }
        }
        std::erase_if(others_, [window](const QPointer<QWidget>& held) {
            return held.isNull() || held.data() == window;
        });
    }

    // Hides every window without its closing logic (the program is ending).
    void hideAll() {
        for (auto& [type, window] : windows_) {
            if (!window.isNull()) {
                window->hide();
            }
        }
        for (QPointer<QWidget>& window : others_) {
            if (!window.isNull()) {
                window->hide();
            }
        }
    }

    // Destroys every window without its closing logic (the program is ending).
    void clear() {
        auto windows = std::move(windows_);
        windows_.clear();
        auto others = std::move(others_);
        others_.clear();
        for (auto& [type, window] : windows) {
            delete window.data();
        }
        for (QPointer<QWidget>& window : others) {
            delete window.data();
        }
    }

  private:
    App& app_;
    std::unordered_map<std::type_index, QPointer<QWidget>> windows_;
    std::vector<QPointer<QWidget>> others_;
};
