// The charts of one side: every sample as a thin line of byte value over position, the
// envelope as a band with its edges drawn above the samples, samples beyond the limit in a
// warning colour, and a chosen sample on top with its excursions beyond the envelope.
//
// The many samples are drawn together into one image per chart (redrawn when the chart is
// zoomed, panned or resized), not as one chart object each, so that sides of a thousand
// samples draw in a moment.
#pragma once

#include "samples/sample_views.h"
#include "samples/side_samples.h"

#include <QChartView>
#include <QString>
#include <functional>
#include <vector>

class QGraphicsItem;
class QGridLayout;
class QLabel;

// A chart view in which the mouse wheel zooms around the pointer, dragging pans, a double
// click shows the whole chart again, and a click (press and release without moving) or a
// right click reports the value under the pointer.
class ZoomableChartView : public QChartView {
public:
    explicit ZoomableChartView(QWidget* parent = nullptr);

    // A left click at the chart value `at`; a right click at `at`, `global` on the screen.
    std::function<void(QPointF at)> on_click;
    std::function<void(QPointF at, QPoint global)> on_context_menu;

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool dragging_ = false;
    bool moved_ = false;
    QPointF pressed_at_;
    QPointF last_position_;
};

// The charts of a side in one view: one chart per panel of the view.
class SideCharts : public QWidget {
public:
    explicit SideCharts(QWidget* parent = nullptr);

    // Shows `side` (kept by reference: it must outlive its showing; nullptr shows none).
    void show_side(const SideSamples* side);
    void set_view(SampleView view);
    SampleView view() const { return view_; }
    // Draws sample `index` of the side on top with its excursions; -1 draws none.
    void choose(int index);
    int chosen() const { return chosen_; }
    const std::vector<ZoomableChartView*>& views() const { return views_; }
    // The sample whose line passes within a few pixels of the value `at` of chart `chart`;
    // -1 when none does.
    int sample_at(int chart, QPointF at) const;

    // A click on a sample's line, and a right click (index -1 when no line is under it).
    std::function<void(int index)> on_sample_clicked;
    std::function<void(int index, QPoint global)> on_context_menu;

private:
    void rebuild();

    const SideSamples* side_ = nullptr;
    SampleView view_ = SampleView::channels;
    int chosen_ = -1;
    QLabel* title_ = nullptr;
    QGridLayout* grid_ = nullptr;
    std::vector<ViewPanel> panels_;
    std::vector<ZoomableChartView*> views_;
    std::vector<QGraphicsItem*> items_; // what each chart draws over its plot area
};

// The title of a side's charts: its prefix, its number of files and what the colours mean.
QString side_chart_title(const SideSamples& side);

// Saves what `widget` shows as a PNG file, complete or not at all; `path` is the file system's
// own bytes (a name need not be UTF-8). 1 on success, 0 otherwise.
int save_widget_png(QWidget& widget, const std::string& path);
