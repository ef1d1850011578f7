#pragma once

class App;
class QImage;
class QWidget;

// Prints a window's image on one page of the default printer; where no default printer is set
// up, the printer dialog is shown first (it offers printing to a PDF file).
void PrintWindowImage(App& app, QWidget* parent, const QImage& image);
