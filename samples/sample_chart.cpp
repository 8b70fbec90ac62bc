#include "samples/sample_chart.h"

#include "files/folder_files.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QFile>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPixmap>
#include <QValueAxis>
#include <QWheelEvent>

namespace {

const QColor sample_colour(40, 90, 170, 90);
const QColor beyond_limit_colour(230, 120, 0, 200);
const QColor envelope_colour(40, 170, 70, 110);
const QColor chosen_colour(220, 0, 0);
const QString chosen_series_name = "chosen sample";
constexpr double zoom_step = 1.25;

QList<QPointF> points_of(const SampleFile& file) {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(file.data.size()));
    for (std::size_t i = 0; i < file.data.size(); ++i)
        points.append(QPointF(static_cast<double>(i), file.data[i]));
    return points;
}

QLineSeries* line_of(const QList<QPointF>& points, const QString& name, const QColor& colour,
                     double width) {
    auto* series = new QLineSeries;
    series->setName(name);
    series->replace(points);
    series->setPen(QPen(colour, width));
    return series;
}

void add_envelope(QChart* chart, const Envelope& envelope) {
    for (const PositionRange& range : envelope_ranges(envelope)) {
        QList<QPointF> lower;
        QList<QPointF> upper;
        for (std::size_t i = range.first; i < range.end; ++i) {
            lower.append(QPointF(static_cast<double>(i), envelope.minimum[i]));
            upper.append(QPointF(static_cast<double>(i), envelope.maximum[i]));
        }
        auto* band = new QAreaSeries(line_of(upper, "", envelope_colour, 1),
                                     line_of(lower, "", envelope_colour, 1));
        // The band does not own its two edges: they go with it.
        band->upperSeries()->setParent(band);
        band->lowerSeries()->setParent(band);
        band->setName("envelope of the first ten files");
        band->setBrush(envelope_colour);
        band->setPen(QPen(envelope_colour.darker(), 1));
        chart->addSeries(band);
    }
}

// One legend entry per kind of series, not one per sample.
void keep_one_legend_entry_per_name(QChart* chart) {
    QStringList shown;
    for (QLegendMarker* marker : chart->legend()->markers()) {
        const QString name = marker->series()->name();
        marker->setVisible(!name.isEmpty() && !shown.contains(name));
        shown.append(name);
    }
}

QString chart_title(const SideSamples& side) {
    const QString files = QString("%1: %2 sample files")
                              .arg(QFile::decodeName(side.prefix.c_str()))
                              .arg(side.samples.size());
    if (!side.has_envelope)
        return files + " - fewer than ten files numbered 1..999: no envelope, every distance 0";
    return files + QString(" - beyond %1 in orange").arg(wrong_image_distance);
}

} // namespace

QChart* make_side_chart(const SideSamples& side) {
    auto* chart = new QChart;
    chart->setTitle(chart_title(side));
    // Later series lie above earlier ones: the band over the usual samples, the samples
    // beyond the limit over the band, the chosen one over everything.
    for (const SideSample& sample : side.samples)
        if (!beyond_limit(sample.distance))
            chart->addSeries(line_of(points_of(sample.file), "samples", sample_colour, 1));
    if (side.has_envelope)
        add_envelope(chart, side.envelope);
    for (const SideSample& sample : side.samples)
        if (beyond_limit(sample.distance))
            chart->addSeries(line_of(points_of(sample.file),
                                     QString("beyond %1").arg(wrong_image_distance),
                                     beyond_limit_colour, 1.5));
    chart->addSeries(line_of({}, chosen_series_name, chosen_colour, 1.5));

    auto* positions = new QValueAxis;
    positions->setRange(0, static_cast<double>(sample_data_size - 1));
    positions->setLabelFormat("%d");
    positions->setTickType(QValueAxis::TicksDynamic);
    positions->setTickAnchor(0);
    positions->setTickInterval(200);
    positions->setTitleText("position");
    auto* values = new QValueAxis;
    values->setRange(0, 255);
    values->setLabelFormat("%d");
    values->setTickType(QValueAxis::TicksDynamic);
    values->setTickAnchor(0);
    values->setTickInterval(50);
    values->setTitleText("byte value");
    chart->addAxis(positions, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(positions);
        series->attachAxis(values);
    }
    keep_one_legend_entry_per_name(chart);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

void show_chosen_sample(QChart* chart, const SideSamples& side, int index) {
    for (QAbstractSeries* series : chart->series()) {
        if (series->name() != chosen_series_name)
            continue;
        auto* line = static_cast<QLineSeries*>(series);
        if (index >= 0 && static_cast<std::size_t>(index) < side.samples.size())
            line->replace(points_of(side.samples[static_cast<std::size_t>(index)].file));
        else
            line->clear();
    }
}

ZoomableChartView::ZoomableChartView(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
}

void ZoomableChartView::wheelEvent(QWheelEvent* event) {
    const double factor = event->angleDelta().y() > 0 ? zoom_step : 1 / zoom_step;
    // The point under the pointer stays where it is.
    const QRectF area = chart()->plotArea();
    const QPointF at = event->position();
    const QRectF shown(at.x() - (at.x() - area.left()) / factor,
                       at.y() - (at.y() - area.top()) / factor, area.width() / factor,
                       area.height() / factor);
    chart()->zoomIn(shown);
    event->accept();
}

void ZoomableChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QChartView::mousePressEvent(event);
    dragging_ = true;
    last_position_ = event->position();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void ZoomableChartView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return QChartView::mouseMoveEvent(event);
    const QPointF moved = event->position() - last_position_;
    last_position_ = event->position();
    chart()->scroll(-moved.x(), moved.y());
    event->accept();
}

void ZoomableChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_)
        return QChartView::mouseReleaseEvent(event);
    dragging_ = false;
    unsetCursor();
    event->accept();
}

void ZoomableChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    chart()->zoomReset();
    event->accept();
}

int save_chart_png(QChartView& view, const std::string& path) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !view.grab().save(&buffer, "PNG"))
        return 0;
    return write_file_atomically(path, path + temporary_suffix, png.constData(),
                                 static_cast<std::size_t>(png.size())) == 1
               ? 1
               : 0;
}
