#include "windows/common/Accessibility.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QHelpEvent>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace {

const char* const DialogProperty = "kelvoDialog";
const char* const DecorationProperty = "kelvoDecoration";

// The nearest class Qt itself made, below the program's own.
const QMetaObject* qtClass(const QObject* object) {
    const QMetaObject* meta = object->metaObject();
    while (meta && meta->className()[0] != 'Q') {
        meta = meta->superClass();
    }
    return meta;
}

QAccessibleInterface* factory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    // Asked first with the object's own class; later calls are for its bases.
    if (!widget || className != QLatin1String(object->metaObject()->className())) {
        return nullptr;
    }
    if (widget->property(DecorationProperty).toBool()) {
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    }
    if (widget->isWindow() && qtClass(widget) == &QWidget::staticMetaObject) {
        // A window's name is its caption.
        return new QAccessibleWidget(widget, widget->property(DialogProperty).toBool()
                                                 ? QAccessible::Dialog
                                                 : QAccessible::Window);
    }
    return nullptr;
}

// Shows the button's tooltip with its action's shortcut; the tooltip itself stays the command's
// name, which the screen reader also reads.
class ShortcutTip : public QObject {
  public:
    ShortcutTip(QToolButton* button, QAction* action) : QObject(button), action_(action) {
        button->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || action_->shortcut().isEmpty() ||
            action_->toolTip().isEmpty()) {
            return false;
        }
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(),
                           action_->toolTip() + QStringLiteral(" (") +
                               action_->shortcut().toString(QKeySequence::NativeText) +
                               QLatin1Char(')'),
                           static_cast<QWidget*>(watched));
        return true;
    }

  private:
    QAction* action_;
};

}  // namespace

void InstallAccessibility() {
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(factory);
        installed = true;
    }
}

void MarkAsDialog(QWidget& window) {
    window.setProperty(DialogProperty, true);
}

void MarkAsDecoration(QWidget& widget) {
    widget.setProperty(DecorationProperty, true);
    widget.setFocusPolicy(Qt::NoFocus);
    // An interface made while the widget was being built took it for the control it looks
    // like; the next query makes the picture's.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&widget);
    if (made && made->role() != QAccessible::Graphic) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

void MakeToolbarAccessible(QToolBar& toolbar) {
    for (QAction* action : toolbar.actions()) {
        auto* button = qobject_cast<QToolButton*>(toolbar.widgetForAction(action));
        if (!button) {
            continue;
        }
        button->setFocusPolicy(Qt::TabFocus);
        new ShortcutTip(button, action);
        const auto name = [button, action] {
            button->setAccessibleName(action->toolTip().isEmpty() ? action->text()
                                                                  : action->toolTip());
        };
        name();
        QObject::connect(action, &QAction::changed, button, name);
    }
    // Qt's own button for what does not fit when the window is narrow; a screen reader lists it
    // even while hidden.
    if (auto* more = toolbar.findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setAccessibleName(QStringLiteral("More Buttons"));
    }
}

void CloseOnEscape(QWidget& window) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
}
