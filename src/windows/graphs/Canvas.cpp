#include "windows/graphs/Canvas.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

Canvas::Canvas(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Canvas::clear(QSize size) {
    image_ = QImage();
    if (size.isEmpty()) {
        return;
    }
    image_ = QImage(size, QImage::Format_RGB32);
    if (!image_.isNull()) {
        image_.fill(Qt::white);
    }
    update();
}

void Canvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    const QRect part = dirty & image_.rect();
    if (!part.isEmpty()) {
        painter.drawImage(part.topLeft(), image_, part);
    }
    // Beyond the image (a size too large to hold) the window shows white.
    for (const QRect& rest : QRegion(dirty) - QRegion(part)) {
        painter.fillRect(rest, Qt::white);
    }
}
