#pragma once

class QToolBar;
class QWidget;

// What a screen reader and a keyboard user need beyond what Qt gives of itself.

// Installs, once, the interfaces Qt lacks: a window built on a plain QWidget is met as a window
// (or a dialog, see MarkAsDialog) named by its caption, where Qt offers a nameless filler; a
// decoration is met as a picture.
void InstallAccessibility();

// The window is a dialog to a screen reader: it asks something and is closed by its answer.
void MarkAsDialog(QWidget& window);

// The widget is a drawn picture that only looks like a control: it does nothing when pressed.
void MarkAsDecoration(QWidget& widget);

// Each button of the toolbar is named by its tooltip, following it as it changes, is reached by
// Tab, and shows its shortcut beside the tooltip.
void MakeToolbarAccessible(QToolBar& toolbar);

// Escape closes the window, as it does a dialog.
void CloseOnEscape(QWidget& window);
