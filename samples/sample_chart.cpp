#include "samples/sample_chart.h"

#include "files/folder_files.h"

#include <QBuffer>
#include <QFile>
#include <QGraphicsItem>
#include <QGridLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QValueAxis>
#include <QWheelEvent>

namespace {

const QColor sample_colour(40, 90, 170, 70);
const QColor beyond_limit_colour(230, 120, 0, 200);
const QColor envelope_colour(40, 170, 70, 90);
const QColor edge_colour(0, 110, 30);
const QColor chosen_colour(220, 0, 0);
const QColor excursion_colour(150, 0, 170, 120);
constexpr double zoom_step = 1.25;
constexpr double click_tolerance_pixels = 4;

// The plot area of a chart and the values its axes show: the one mapping of values to pixels.
struct ValueMapping {
    QRectF area;
    double x_min = 0, x_max = 1, y_min = 0, y_max = 255;

    QPointF point(double position, double value) const {
        return {area.left() + (position - x_min) / (x_max - x_min) * area.width(),
                area.bottom() - (value - y_min) / (y_max - y_min) * area.height()};
    }
    bool operator==(const ValueMapping&) const = default;
};

ValueMapping mapping_of(QChart* chart) {
    ValueMapping mapping;
    mapping.area = chart->plotArea();
    const auto* positions = static_cast<QValueAxis*>(chart->axes(Qt::Horizontal).first());
    const auto* values = static_cast<QValueAxis*>(chart->axes(Qt::Vertical).first());
    mapping.x_min = positions->min();
    mapping.x_max = positions->max();
    mapping.y_min = values->min();
    mapping.y_max = values->max();
    return mapping;
}

// The line of `data` over the positions of `panel` that it reaches.
QPolygonF line_of(const std::vector<std::uint8_t>& data, const ViewPanel& panel,
                  const ValueMapping& mapping) {
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(panel.bytes.size()));
    for (std::size_t position = 0; position < panel.bytes.size(); ++position) {
        if (panel.bytes[position] >= data.size())
            break;
        line.append(mapping.point(static_cast<double>(position), data[panel.bytes[position]]));
    }
    return line;
}

// What is drawn over the plot area of one chart. It lies above the chart's own items.
class SamplesItem : public QGraphicsItem {
public:
    SamplesItem(QChart* chart, const SideSamples& side, const ViewPanel& panel, const int& chosen)
        : QGraphicsItem(chart), chart_(chart), side_(side), panel_(panel), chosen_(chosen),
          ranges_(envelope_ranges(side.envelope, panel.bytes)) {
        setZValue(1000);
        position_of_.assign(sample_data_size, -1);
        for (std::size_t position = 0; position < panel.bytes.size(); ++position)
            position_of_[panel.bytes[position]] = static_cast<int>(position);
    }

    QRectF boundingRect() const override { return chart_->plotArea(); }
    void geometry_changed() {
        prepareGeometryChange();
        update();
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const ValueMapping mapping = mapping_of(chart_);
        if (!(mapping == cached_for_) || cache_.isNull())
            draw_samples(mapping, painter->device() ? painter->device()->devicePixelRatioF() : 1);
        painter->drawImage(mapping.area.topLeft(), cache_);
        painter->save();
        painter->setClipRect(mapping.area);
        painter->setRenderHint(QPainter::Antialiasing);
        if (side_.has_envelope) {
            painter->setPen(QPen(edge_colour, 1));
            for (const auto& [upper, lower] : edges(mapping)) {
                painter->drawPolyline(upper);
                painter->drawPolyline(lower);
            }
        }
        if (chosen_ >= 0 && static_cast<std::size_t>(chosen_) < side_.samples.size())
            draw_chosen(*painter, side_.samples[static_cast<std::size_t>(chosen_)], mapping);
        painter->restore();
    }

private:
    // The upper and lower edge of each stretch of the envelope.
    std::vector<std::pair<QPolygonF, QPolygonF>> edges(const ValueMapping& mapping) const {
        std::vector<std::pair<QPolygonF, QPolygonF>> lines;
        for (const PositionRange& range : ranges_) {
            QPolygonF upper, lower;
            for (std::size_t position = range.first; position < range.end; ++position) {
                const std::size_t byte = panel_.bytes[position];
                upper.append(
                    mapping.point(static_cast<double>(position), side_.envelope.maximum[byte]));
                lower.append(
                    mapping.point(static_cast<double>(position), side_.envelope.minimum[byte]));
            }
            lines.emplace_back(upper, lower);
        }
        return lines;
    }

    // The band and every sample into the image of the plot area, without antialiasing: a
    // thousand lines of 1562 points are drawn in a moment that way.
    void draw_samples(const ValueMapping& mapping, double pixel_ratio) {
        cached_for_ = mapping;
        cache_ = QImage((mapping.area.size() * pixel_ratio).toSize().expandedTo({1, 1}),
                        QImage::Format_ARGB32_Premultiplied);
        cache_.setDevicePixelRatio(pixel_ratio);
        cache_.fill(Qt::transparent);
        QPainter painter(&cache_);
        painter.translate(-mapping.area.topLeft());
        if (side_.has_envelope) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(envelope_colour);
            for (const auto& [upper, lower] : edges(mapping)) {
                QPolygonF band = upper;
                for (auto point = lower.rbegin(); point != lower.rend(); ++point)
                    band.append(*point);
                painter.drawPolygon(band);
            }
        }
        for (const bool beyond : {false, true}) {
            painter.setPen(QPen(beyond ? beyond_limit_colour : sample_colour, 0));
            for (const SideSample& sample : side_.samples)
                if (beyond_limit(sample.distance) == beyond)
                    painter.drawPolyline(line_of(sample.file.data, panel_, mapping));
        }
    }

    // A stroke from the envelope's edge to each value of the chosen sample beyond it, and the
    // sample's line over them.
    void draw_chosen(QPainter& painter, const SideSample& sample,
                     const ValueMapping& mapping) const {
        if (side_.has_envelope) {
            painter.setPen(QPen(excursion_colour, 2, Qt::SolidLine, Qt::FlatCap));
            for (const Excursion& excursion : sample_excursions(sample.file.data, side_.envelope)) {
                const int position = position_of_[excursion.index];
                if (position >= 0)
                    painter.drawLine(mapping.point(position, excursion.edge),
                                     mapping.point(position, excursion.value));
            }
        }
        painter.setPen(QPen(chosen_colour, 1.5));
        painter.drawPolyline(line_of(sample.file.data, panel_, mapping));
    }

    QChart* chart_;
    const SideSamples& side_;
    const ViewPanel& panel_;
    const int& chosen_;
    std::vector<PositionRange> ranges_;
    std::vector<int> position_of_; // the panel position of each byte, -1 when not in it
    ValueMapping cached_for_;
    QImage cache_;
};

QValueAxis* axis(double min, double max, double interval, const QString& title) {
    auto* axis = new QValueAxis;
    axis->setRange(min, max);
    axis->setLabelFormat("%d");
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(interval);
    axis->setTitleText(title);
    return axis;
}

// What the colours mean, as one line of text above the charts.
QString legend_text(const SideSamples& side) {
    std::vector<std::pair<QString, QColor>> entries = {{"samples", sample_colour}};
    if (side.has_envelope)
        entries.insert(entries.end(),
                       {{QString("beyond %1").arg(wrong_image_distance), beyond_limit_colour},
                        {"envelope of the first ten files", edge_colour}});
    entries.push_back({"chosen sample", chosen_colour});
    if (side.has_envelope)
        entries.push_back({"where it lies beyond the envelope", excursion_colour});
    QString text;
    for (const auto& [name, colour] : entries)
        text += QString("&nbsp;&nbsp;<span style=\"color:%1\">&#9632;</span>&nbsp;%2")
                    .arg(QColor(colour.rgb()).name(), name.toHtmlEscaped());
    return text;
}

QChart* make_panel_chart(const ViewPanel& panel, ValueRange range, bool small) {
    auto* chart = new QChart;
    chart->setTitle(QString::fromStdString(panel.title));
    chart->legend()->setVisible(false);
    const double last = static_cast<double>(panel.bytes.size() - 1);
    const double interval = last > 400 ? 200 : last > 10 ? 50 : 1;
    QValueAxis* positions = axis(0, last, interval, small ? QString() : QString("position"));
    // Ticks on multiples of ten: about two in a small chart, five in a large one.
    const int ticks = small ? 2 : 5;
    QValueAxis* values =
        axis(range.low, range.high, std::max(10, (range.high - range.low) / ticks / 10 * 10),
             small ? QString() : QString("byte value"));
    if (small) {
        chart->setMargins(QMargins(0, 0, 0, 0));
        chart->setBackgroundRoundness(0);
        QFont font = chart->titleFont();
        font.setPointSizeF(font.pointSizeF() * 0.8);
        chart->setTitleFont(font);
        font.setPointSizeF(font.pointSizeF() * 0.9);
        positions->setLabelsFont(font);
        values->setLabelsFont(font);
    }
    chart->addAxis(positions, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    // An axis without series has no domain to zoom: a line without points carries it. What
    // the chart shows is drawn over its plot area.
    auto* domain = new QLineSeries;
    chart->addSeries(domain);
    domain->attachAxis(positions);
    domain->attachAxis(values);
    return chart;
}

std::vector<const std::vector<std::uint8_t>*> lines_of(const SideSamples& side) {
    std::vector<const std::vector<std::uint8_t>*> lines;
    for (const SideSample& sample : side.samples)
        lines.push_back(&sample.file.data);
    return lines;
}

} // namespace

QString side_chart_title(const SideSamples& side) {
    const QString files = QString("%1: %2 sample files")
                              .arg(QFile::decodeName(side.prefix.c_str()))
                              .arg(side.samples.size());
    if (!side.has_envelope)
        return files + " - fewer than ten files numbered 1..999: no envelope, every distance 0";
    return files + QString(" - beyond %1 in orange").arg(wrong_image_distance);
}

SideCharts::SideCharts(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    title_ = new QLabel(this);
    title_->setAlignment(Qt::AlignCenter);
    title_->setTextFormat(Qt::RichText);
    layout->addWidget(title_);
    grid_ = new QGridLayout;
    grid_->setSpacing(0);
    layout->addLayout(grid_, 1);
}

void SideCharts::show_side(const SideSamples* side) {
    side_ = side;
    chosen_ = -1;
    rebuild();
}

void SideCharts::set_view(SampleView view) {
    view_ = view;
    rebuild();
}

void SideCharts::choose(int index) {
    chosen_ = index;
    for (QGraphicsItem* item : items_)
        item->update();
}

int SideCharts::sample_at(int chart, QPointF at) const {
    if (side_ == nullptr || chart < 0 || chart >= static_cast<int>(views_.size()))
        return -1;
    const ValueMapping mapping = mapping_of(views_[static_cast<std::size_t>(chart)]->chart());
    const double tolerance =
        click_tolerance_pixels * (mapping.y_max - mapping.y_min) / mapping.area.height();
    return sample_near(lines_of(*side_), panels_[static_cast<std::size_t>(chart)], at.x(), at.y(),
                       tolerance);
}

void SideCharts::rebuild() {
    for (ZoomableChartView* view : views_)
        delete view; // with its chart and what is drawn over it
    views_.clear();
    items_.clear();
    panels_ = side_ == nullptr ? std::vector<ViewPanel>{} : view_panels(view_);
    title_->setText(side_ == nullptr
                        ? QString()
                        : side_chart_title(*side_).toHtmlEscaped() + "<br>" + legend_text(*side_));
    const bool small = panels_.size() > 1;
    const std::vector<const std::vector<std::uint8_t>*> lines =
        side_ == nullptr ? std::vector<const std::vector<std::uint8_t>*>{} : lines_of(*side_);
    for (std::size_t k = 0; k < panels_.size(); ++k) {
        auto* view = new ZoomableChartView(this);
        QChart* chart = make_panel_chart(panels_[k], panel_value_range(lines, panels_[k]), small);
        view->setChart(chart);
        auto* item = new SamplesItem(chart, *side_, panels_[k], chosen_);
        connect(chart, &QChart::plotAreaChanged, this, [item] { item->geometry_changed(); });
        for (QAbstractAxis* axis : chart->axes())
            connect(static_cast<QValueAxis*>(axis), &QValueAxis::rangeChanged, this,
                    [item] { item->update(); });
        const int chart_index = static_cast<int>(k);
        view->on_click = [this, chart_index](QPointF at) {
            const int index = sample_at(chart_index, at);
            if (index >= 0 && on_sample_clicked)
                on_sample_clicked(index);
        };
        view->on_context_menu = [this, chart_index](QPointF at, QPoint global) {
            if (on_context_menu)
                on_context_menu(sample_at(chart_index, at), global);
        };
        // The five channels one above the other; the last two bytes beside them.
        const bool last_bytes = small && k + 1 == panels_.size();
        if (last_bytes)
            grid_->addWidget(view, 0, 1, static_cast<int>(k), 1);
        else
            grid_->addWidget(view, static_cast<int>(k), 0);
        views_.push_back(view);
        items_.push_back(item);
    }
    grid_->setColumnStretch(0, 8);
    grid_->setColumnStretch(1, small ? 2 : 0);
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
    moved_ = false;
    pressed_at_ = last_position_ = event->position();
    event->accept();
}

void ZoomableChartView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return QChartView::mouseMoveEvent(event);
    if (!moved_ && (event->position() - pressed_at_).manhattanLength() < 4)
        return;
    if (!moved_)
        setCursor(Qt::ClosedHandCursor);
    moved_ = true;
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
    if (!moved_ && on_click)
        on_click(
            chart()->mapToValue(chart()->mapFromScene(mapToScene(event->position().toPoint()))));
    event->accept();
}

void ZoomableChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    chart()->zoomReset();
    event->accept();
}

void ZoomableChartView::contextMenuEvent(QContextMenuEvent* event) {
    if (on_context_menu)
        on_context_menu(chart()->mapToValue(chart()->mapFromScene(mapToScene(event->pos()))),
                        event->globalPos());
    event->accept();
}

int save_widget_png(QWidget& widget, const std::string& path) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !widget.grab().save(&buffer, "PNG"))
        return 0;
    return write_file_atomically(path, path + temporary_suffix, png.constData(),
                                 static_cast<std::size_t>(png.size())) == 1
               ? 1
               : 0;
}
