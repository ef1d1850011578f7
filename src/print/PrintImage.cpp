#include "print/PrintImage.h"

#include <QImage>

#include "app/App.h"

void PrintWindowImage(App& app, QWidget* parent, const QImage& image) {
    Q_UNUSED(app);
    Q_UNUSED(parent);
    Q_UNUSED(image);
}
