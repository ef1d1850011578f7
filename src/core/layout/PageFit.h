#pragma once

#include <QRect>
#include <QSize>

// A picture on a page: as large as the area allows with its aspect kept, centred across the area
// at its top.
inline QRect FitAtTop(const QSize& picture, const QSize& area) {
    const QSize size = picture.scaled(area, Qt::KeepAspectRatio);
    return {QPoint((area.width() - size.width()) / 2, 0), size};
}
