// The drawing panel: a rectangle of the main window with an off-screen image of its own size.
// Every label, header, indicator lamp and grid line of the program is one. Drawing goes into
// the image and is put on screen at once (also while the event loop is not running); the
// panel keeps what was last drawn until it is drawn again. Panels let mouse clicks through to
// whatever lies beneath them.
#pragma once

#include "ui/colour.h"
#include "ui/controls.h"

#include <QHash>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QStaticText>
#include <QString>
#include <memory>

class QPainter;

// Panel extra styles the layout uses.
inline constexpr int panel_style_black_frame = 7; // a 1-pixel black frame until drawn into
inline constexpr int panel_style_owner_draw = 13; // nothing until drawn into

// Text formats: the program writes every text single-line, left- and top-aligned.
inline constexpr int text_format_single_line = 32;

// Pen styles of set_pen.
inline constexpr int pen_style_solid = 0;

// Bitmaps compiled into the program, for draw_bitmap_resource.
inline constexpr int bitmap_sampling_on = 994;
inline constexpr int bitmap_sampling_off = 995;
inline constexpr int bitmap_connected = 996;
inline constexpr int bitmap_disconnected = 997;
inline constexpr int bitmap_logo = 998;

class ClassSimpleGraphics : public ClassControl {
public:
    ClassSimpleGraphics(int width, int height, int extra_style);
    // Ends an open drawing first, which puts the image on screen once more.
    ~ClassSimpleGraphics() override;

    bool take_focus() override { return false; }
    // Puts the image on screen again; a panel never drawn stays without an image.
    void on_repaint(CommandWord word, CommandParam param) override;

    // Opens drawing into the image (created black on the first call) with the panel's pen
    // and brush selected. Returns the painter, or nullptr when the panel cannot be drawn
    // (no size, or already drawing).
    QPainter* begin_draw();
    // Puts the image on screen and closes the drawing; nothing when no drawing is open.
    void end_draw();
    bool drawing() const { return painter_ != nullptr; }

    // Line drawing between begin_draw and end_draw with the panel's pen, both end points
    // painted. Without an open drawing they only move the current position.
    void move_to(int x, int y);
    void line_to(int x, int y);

    // Makes (colour, width, style) the panel's pen; style 0 solid, 1 dash, 2 dot, 3 dash-dot,
    // 4 dash-dot-dot, 5 none. Returns false for another style, keeping the old pen.
    bool set_pen(Colour colour, int width, int style);

    // Fills the whole panel with back_colour and writes text on it.
    void draw_text_filled(const TextString& text, Colour text_colour, Colour back_colour,
                          int format);
    // The same one pixel inside the edge: the outer ring keeps what the image held before,
    // which on a fresh image is the black frame of header cells.
    void draw_text_framed(const TextString& text, Colour text_colour, Colour back_colour,
                          int format);
    // Copies bitmap `resource_id` (994..998) into the image. Returns 1, or 0 when there is no
    // such bitmap or the panel cannot be drawn.
    int draw_bitmap_resource(int resource_id);

    bool has_image() const { return !image_.isNull(); }
    const QImage& image() const { return image_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int extra_style() const { return extra_style_; }

private:
    void draw_text_in_box(const TextString& text, Colour text_colour, Colour back_colour,
                          int format, int inset);

    // The single-line texts drawn into the panel, each laid out once: a panel that counts
    // shows the same few hundred texts again and again (bounded: emptied when full).
    const QStaticText& laid_out(const QString& text, const QFont& font);

    QImage image_;
    QHash<QString, QStaticText> laid_out_texts_;
    QPen pen_;
    bool has_pen_ = false;
    QColor brush_colour_;
    bool has_brush_ = false;
    QPoint position_;
    std::unique_ptr<QPainter> painter_;
    int width_;
    int height_;
    int extra_style_;
};
