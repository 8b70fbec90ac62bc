#include "ui/simple_graphics.h"

#include "ui/qt_text.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <array>

ClassSimpleGraphics::ClassSimpleGraphics(int width, int height, int extra_style)
    : width_(width), height_(height), extra_style_(extra_style) {}

ClassSimpleGraphics::~ClassSimpleGraphics() {
    end_draw();
}

void ClassSimpleGraphics::on_repaint(CommandWord, CommandParam) {
    if (has_image() && begin_draw())
        end_draw();
}

QPainter* ClassSimpleGraphics::begin_draw() {
    if (painter_ || width_ <= 0 || height_ <= 0)
        return nullptr;
    if (image_.isNull()) {
        // A new image starts black, like a fresh bitmap: the ring that draw_text_framed
        // leaves unpainted is the frame of a header cell.
        image_ = QImage(width_, height_, QImage::Format_RGB32);
        image_.fill(Qt::black);
        // From now on the widget covers its whole rectangle with the image: a repaint need not
        // paint the window background and the controls beneath it first.
        if (window)
            window->setAttribute(Qt::WA_OpaquePaintEvent);
    }
    painter_ = std::make_unique<QPainter>(&image_);
    if (has_pen_)
        painter_->setPen(pen_);
    if (has_brush_)
        painter_->setBrush(brush_colour_);
    if (font)
        painter_->setFont(*font);
    position_ = QPoint(0, 0);
    return painter_.get();
}

void ClassSimpleGraphics::end_draw() {
    if (!painter_)
        return;
    painter_.reset();
    // Painted now, not at the next pass of the event loop: long operations show progress.
    if (window)
        window->repaint();
}

void ClassSimpleGraphics::move_to(int x, int y) {
    position_ = QPoint(x, y);
}

void ClassSimpleGraphics::line_to(int x, int y) {
    const QPoint target(x, y);
    if (painter_)
        painter_->drawLine(position_, target);
    position_ = target;
}

bool ClassSimpleGraphics::set_pen(Colour colour, int width, int style) {
    static constexpr std::array<Qt::PenStyle, 6> pen_styles = {
        Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen};
    if (style < 0 || style >= static_cast<int>(pen_styles.size()))
        return false;
    pen_ = QPen(to_qcolor(colour), std::max(width, 0), pen_styles[static_cast<std::size_t>(style)]);
    has_pen_ = true;
    if (painter_)
        painter_->setPen(pen_);
    return true;
}

namespace {

// Alignment and wrapping flags of the text formats (the program itself uses single-line,
// left, top).
int text_flags(int format) {
    constexpr int format_center = 1, format_right = 2, format_vertical_center = 4,
                  format_bottom = 8, format_word_break = 16;
    int flags = (format & format_center)  ? Qt::AlignHCenter
                : (format & format_right) ? Qt::AlignRight
                                          : Qt::AlignLeft;
    flags |= (format & format_vertical_center) ? Qt::AlignVCenter
             : (format & format_bottom)        ? Qt::AlignBottom
                                               : Qt::AlignTop;
    if (format & text_format_single_line)
        flags |= Qt::TextSingleLine;
    else if (format & format_word_break)
        flags |= Qt::TextWordWrap;
    return flags;
}

// Whether `text` in `format` is one line from the box's top left corner, as the program writes
// every text: its layout can be kept and drawn again with the same pixels.
bool plain_line(const QString& text, int format) {
    return format == text_format_single_line &&
           std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

} // namespace

const QStaticText& ClassSimpleGraphics::laid_out(const QString& text, const QFont& font) {
    constexpr qsizetype most_texts = 256;
    auto found = laid_out_texts_.find(text);
    if (found != laid_out_texts_.end())
        return *found;
    if (laid_out_texts_.size() >= most_texts)
        laid_out_texts_.clear();
    QStaticText line(text);
    line.setTextFormat(Qt::PlainText);
    line.prepare(QTransform(), font);
    return *laid_out_texts_.insert(text, line);
}

void ClassSimpleGraphics::draw_text_in_box(const TextString& text, Colour text_colour,
                                           Colour back_colour, int format, int inset) {
    QPainter* painter = begin_draw();
    // The box colour becomes the panel's brush and pen, also when drawing is not possible.
    brush_colour_ = to_qcolor(back_colour);
    has_brush_ = true;
    pen_ = QPen(brush_colour_, 1);
    has_pen_ = true;
    if (!painter)
        return;
    const QRect box(inset, inset, width_ - 2 * inset, height_ - 2 * inset);
    painter->fillRect(box, brush_colour_);
    painter->setPen(to_qcolor(text_colour));
    // Text beyond the box is cut at its edge (the image's edge cuts it anyway).
    if (inset > 0)
        painter->setClipRect(box);
    const QString line = to_qstring(text);
    if (plain_line(line, format))
        painter->drawStaticText(box.topLeft(), laid_out(line, painter->font()));
    else
        painter->drawText(box, text_flags(format), line);
    end_draw();
}

void ClassSimpleGraphics::draw_text_filled(const TextString& text, Colour text_colour,
                                           Colour back_colour, int format) {
    draw_text_in_box(text, text_colour, back_colour, format, 0);
}

void ClassSimpleGraphics::draw_text_framed(const TextString& text, Colour text_colour,
                                           Colour back_colour, int format) {
    draw_text_in_box(text, text_colour, back_colour, format, 1);
}

int ClassSimpleGraphics::draw_bitmap_resource(int resource_id) {
    const QImage bitmap(QStringLiteral(":/bitmaps/bitmap_%1.png").arg(resource_id));
    if (bitmap.isNull())
        return 0;
    QPainter* painter = begin_draw();
    if (!painter)
        return 0;
    painter->drawImage(QPoint(0, 0), bitmap);
    end_draw();
    return 1;
}
