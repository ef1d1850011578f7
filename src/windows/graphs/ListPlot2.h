#pragma once

#include <QHash>
#include <QPointF>
#include <QVector>

#include "core/layout/DataPlot.h"
#include "windows/common/AppWindow.h"

class Canvas;
class QImage;
class QLabel;
class QToolBar;

// The plot of a list of readings: a fixed frame with the resistance in blue over the upper half
// and the voltage in green over the full height, 0 V on the middle line. Everything stands at
// fixed positions in twips, 15 to a pixel; the lines live in a retained image, the texts are
// labels over it.
class ListPlot2 : public AppWindow {
    Q_OBJECT

  public:
    explicit ListPlot2(App& app);

    QToolBar* toolbar() const { return toolbar_; }
    const QImage& image() const;
    // The label of that name (LblValTop, UpMid, LblT2, LblFun1, ...).
    QLabel* label(const QString& name) const;

    void showValueLabels(const DataPlot::ValueLabels& labels);
    void showTimes(const QString& first, const QString& middle, const QString& last);
    void showSeriesNames(const QString& ohm, const QString& volt);
    // Draws the two curves, given in twips.
    void drawCurves(const QVector<QPointF>& ohm, const QVector<QPointF>& volt);

  private:
    struct Placed {
        QLabel* label;
        int anchorX;  // twips: the left edge, the centre or the right edge, by the alignment
        int top;
        Qt::Alignment alignment;
    };
    void addLabel(const QString& name, int anchorX, int top, Qt::Alignment alignment,
                  const QString& text = QString());
    void setLabel(const QString& name, const QString& text);
    static void place(const Placed& placed);
    void drawFrame();
    void showLimit();
    void print();

    Canvas* canvas_;
    QToolBar* toolbar_;
    QHash<QString, Placed> labels_;
};
