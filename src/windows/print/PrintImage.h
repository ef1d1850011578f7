#pragma once

class App;
class QImage;
class QPrinter;
class QWidget;

// Prints a window's image on one page of the default printer; where no default printer is set
// up, the printer dialog is shown first (it offers printing to a PDF file).
void PrintWindowImage(App& app, QWidget* parent, const QImage& image);

// The image on one page of the printer, as large as the printable area allows with its aspect
// kept, centred across the page at its top. False when nothing could be printed.
bool PrintImageOnPage(QPrinter& printer, const QImage& image);

// A window's "Print": its image without its toolbar, as PrintWindowImage prints it.
void PrintWindow(App& app, QWidget& window, QWidget& toolbar);
