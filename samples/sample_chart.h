// The chart of one side: every sample as a thin line of byte value over position, the
// envelope as a band, samples beyond the limit in a warning colour, and a chosen sample on top.
#pragma once

#include "samples/side_samples.h"

#include <QChartView>
#include <QString>

// Builds the chart of `side`.
QChart* make_side_chart(const SideSamples& side);

// Draws sample `index` of `side` on top in a strong colour; -1 draws none.
void show_chosen_sample(QChart* chart, const SideSamples& side, int index);

// The chart view of the window: the mouse wheel zooms around the pointer, dragging pans, a
// double click shows the whole chart again.
class ZoomableChartView : public QChartView {
public:
    explicit ZoomableChartView(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool dragging_ = false;
    QPointF last_position_;
};

// Saves what `view` shows as a PNG file, complete or not at all; `path` is the file system's
// own bytes (a name need not be UTF-8). 1 on success, 0 otherwise.
int save_chart_png(QChartView& view, const std::string& path);
