#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QWidget>

// A window as a screen reader and a keyboard user meet it. Every check counts one element;
// a failure names the element and what is wrong with it.
struct AccessReport {
    int checked = 0;
    QStringList failures;

    void expect(bool ok, const QString& what) {
        ++checked;
        if (!ok) {
            failures.append(what);
        }
    }
};

namespace AccessibilityCheck {

// Offscreen, Qt builds the interfaces and sends their events only while something listens.
inline void listen() {
    if (!QAccessible::isActive()) {
        QAccessible::installUpdateHandler([](QAccessibleEvent*) {});
    }
}

inline QString describe(QAccessibleInterface* iface) {
    QObject* object = iface->object();
    QString name = object ? object->objectName() : QString();
    if (name.isEmpty() && object) {
        name = QString::fromLatin1(object->metaObject()->className());
    }
    return name + QStringLiteral(" (role %1, \"%2\")")
                      .arg(int(iface->role()))
                      .arg(iface->text(QAccessible::Name));
}

// What the label shows, as a person reads it: rich text as its words, "&" of a mnemonic gone.
inline QString shownText(const QLabel& label) {
    QString text = label.text();
    if (Qt::mightBeRichText(text) && label.textFormat() != Qt::PlainText) {
        text = QTextDocumentFragment::fromHtml(text).toPlainText();
    }
    if (label.buddy()) {
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    }
    return text;
}

inline bool isControl(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::Table:
        case QAccessible::List:
        case QAccessible::Tree:
            return true;
        default:
            return false;
    }
}

// A button a person can work: it takes focus by Tab, or its command has a shortcut.
inline bool reachable(QWidget* widget) {
    if (widget->focusPolicy() & Qt::TabFocus) {
        return true;
    }
    const auto* tool = qobject_cast<QToolButton*>(widget);
    return tool && tool->defaultAction() && !tool->defaultAction()->shortcut().isEmpty();
}

inline void checkTable(QAccessibleInterface* table, AccessReport& report) {
    QAccessibleTableInterface* cells = table->tableInterface();
    if (!cells) {
        report.expect(false, describe(table) + QStringLiteral(": no table interface"));
        return;
    }
    // The header cells, whatever the number of rows.
    QStringList headers;
    for (int i = 0; i < table->childCount(); ++i) {
        QAccessibleInterface* child = table->child(i);
        if (child && child->role() == QAccessible::ColumnHeader) {
            headers.append(child->text(QAccessible::Name));
        }
    }
    report.expect(cells->columnCount() > 0 && headers.size() == cells->columnCount(),
                  describe(table) + QStringLiteral(": %1 column headers of %2 columns")
                                        .arg(headers.size())
                                        .arg(cells->columnCount()));
}

inline void walk(QAccessibleInterface* iface, AccessReport& report) {
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (!child || child->state().invisible) {
            continue;
        }
        const QAccessible::Role role = child->role();
        if (role == QAccessible::ScrollBar || role == QAccessible::Window ||
            role == QAccessible::Dialog) {
            continue;
        }
        auto* widget = qobject_cast<QWidget*>(child->object());
        if (isControl(role)) {
            report.expect(!child->text(QAccessible::Name).trimmed().isEmpty(),
                          describe(child) + QStringLiteral(": no name"));
            const bool button = role == QAccessible::PushButton || role == QAccessible::ButtonMenu;
            if (button && widget) {
                report.expect(reachable(widget),
                              describe(child) + QStringLiteral(": a button no key reaches"));
            }
            if (role == QAccessible::Table) {
                checkTable(child, report);
            }
        } else if (role == QAccessible::StaticText) {
            if (const auto* label = qobject_cast<QLabel*>(child->object())) {
                const QString shown = shownText(*label);
                report.expect(child->text(QAccessible::Name) == shown,
                              describe(child) + QStringLiteral(": shows \"%1\"").arg(shown));
            }
        }
        if (role != QAccessible::Table && role != QAccessible::ComboBox) {
            walk(child, report);
        }
    }
}

// The widgets a person should reach by Tab: visible, enabled and able to take focus.
inline QList<QWidget*> tabStops(QWidget& window) {
    QList<QWidget*> stops;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->isVisibleTo(&window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            w->window() == &window && !w->focusProxy()) {
            stops.append(w);
        }
    }
    return stops;
}

// Tabs round the window, twice as many times as it has stops, and checks each stop is met.
inline void checkTab(QWidget& window, AccessReport& report) {
    const QList<QWidget*> stops = tabStops(window);
    report.expect(!stops.isEmpty(), window.objectName() + QStringLiteral(": nothing takes focus"));
    if (stops.isEmpty()) {
        return;
    }
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        report.expect(false, window.objectName() + QStringLiteral(": not active"));
        return;
    }
    stops.first()->setFocus(Qt::TabFocusReason);
    QSet<QWidget*> met;
    for (int i = 0; i < 2 * stops.size() + 2; ++i) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus) {
            break;
        }
        met.insert(focus);
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    for (QWidget* stop : stops) {
        report.expect(met.contains(stop), stop->objectName() + QLatin1Char(' ') +
                                              QString::fromLatin1(stop->metaObject()->className()) +
                                              QStringLiteral(": Tab never reaches it"));
    }
}

// The whole check of a shown window: its role and caption, every control's name, every label's
// text, the tables' headers, and Tab.
inline AccessReport check(QWidget& window) {
    listen();
    AccessReport report;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&window);
    if (!iface) {
        report.expect(false, window.objectName() + QStringLiteral(": no accessible interface"));
        return report;
    }
    const QAccessible::Role role = iface->role();
    report.expect(role == QAccessible::Window || role == QAccessible::Dialog,
                  describe(iface) + QStringLiteral(": not a window or dialog"));
    report.expect(iface->text(QAccessible::Name) == window.windowTitle(),
                  describe(iface) + QStringLiteral(": caption \"%1\"").arg(window.windowTitle()));
    walk(iface, report);
    checkTab(window, report);
    return report;
}

}  // namespace AccessibilityCheck
