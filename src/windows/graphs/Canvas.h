#pragma once

#include <QImage>
#include <QWidget>

// A drawing surface that keeps its picture: the window draws into the image, and the canvas
// paints the parts of it that changed. It survives being covered, and the image is what is
// printed and what tests look at.
class Canvas : public QWidget {
    Q_OBJECT

  public:
    explicit Canvas(QWidget* parent = nullptr);

    QImage& image() { return image_; }
    const QImage& image() const { return image_; }
    // A fresh white image of `size` pixels; a size too large to hold leaves an empty image.
    void clear(QSize size);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};
