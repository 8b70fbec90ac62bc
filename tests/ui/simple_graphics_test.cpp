#include "tests/ui/qt_application.h"
#include "ui/window.h"

#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor black(0, 0, 0);
const QColor grey(170, 170, 170);

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        qt_application();
        font_ = create_font(400);
        ASSERT_TRUE(create_main_window("TEST CLASS", "TEST", 0, 0, client_width, client_height,
                                       rgb(200, 200, 200)));
        main_window->window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main_window->window));
    }
    void TearDown() override { destroy_main_window(); }

    static ClassSimpleGraphics* panel(int width, int height, int style = 13) {
        return main_window->add_simple_graphics(10, 10, width, height, style, &font_);
    }

    // Pixels of `image` inside `area` that are not `colour`.
    static int pixels_not(const QImage& image, const QRect& area, const QColor& colour) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += image.pixelColor(x, y) != colour;
        return count;
    }

    static inline QFont font_;
};

TEST_F(PanelTest, APanelHasNoImageUntilItIsDrawn) {
    ClassSimpleGraphics* header = panel(72, 20, panel_style_black_frame);
    EXPECT_FALSE(header->has_image());
    header->on_repaint(0, 0);
    main_window->broadcast_repaint(0, 0);
    header->show(true);
    EXPECT_FALSE(header->has_image());
    EXPECT_FALSE(header->take_focus());

    // Until drawn, a frame panel shows a black frame over the window background.
    const QImage shown = header->window->grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), black);
    EXPECT_EQ(shown.pixelColor(71, 19), black);
    EXPECT_EQ(shown.pixelColor(30, 10), QColor(200, 200, 200));
}

TEST_F(PanelTest, FramedTextPaintsTheInteriorAndKeepsTheOuterRing) {
    ClassSimpleGraphics* header = panel(72, 20, panel_style_black_frame);
    header->draw_text_framed(" Count", rgb(0, 0, 0), rgb(170, 170, 170), 32);
    ASSERT_TRUE(header->has_image());
    const QImage& image = header->image();
    // A fresh image is black: the unpainted ring is the cell's frame.
    EXPECT_EQ(pixels_not(image, QRect(0, 0, 72, 1), black), 0);
    EXPECT_EQ(pixels_not(image, QRect(0, 19, 72, 1), black), 0);
    EXPECT_EQ(pixels_not(image, QRect(0, 0, 1, 20), black), 0);
    EXPECT_EQ(pixels_not(image, QRect(71, 0, 1, 20), black), 0);
    EXPECT_EQ(image.pixelColor(1, 1), grey);
    EXPECT_EQ(image.pixelColor(70, 18), grey);
    EXPECT_GT(pixels_not(image, QRect(1, 1, 70, 18), grey), 0); // the text

    // Over a filled image the ring keeps the filled colour, and an empty text clears the
    // interior.
    header->draw_text_filled("", 0, rgb(0, 0, 250), 32);
    header->draw_text_framed("", 0, rgb(170, 170, 170), 32);
    EXPECT_EQ(pixels_not(header->image(), QRect(1, 1, 70, 18), grey), 0);
    EXPECT_EQ(header->image().pixelColor(0, 0), QColor(0, 0, 250));
    EXPECT_EQ(header->image().pixelColor(71, 10), QColor(0, 0, 250));
}

TEST_F(PanelTest, FilledTextReplacesTheWholePanelAndIsClippedAtItsEdge) {
    ClassSimpleGraphics* label = panel(60, 20);
    label->draw_text_filled("WWWWWWWWWWWWWWWWWWWW", rgb(250, 0, 0), rgb(200, 200, 200), 32);
    const QImage& image = label->image();
    EXPECT_GT(pixels_not(image, QRect(50, 0, 10, 20), QColor(200, 200, 200)), 0);
    label->draw_text_filled("", rgb(250, 0, 0), rgb(212, 212, 203), 32);
    EXPECT_EQ(pixels_not(label->image(), QRect(0, 0, 60, 20), QColor(212, 212, 203)), 0);

    // A long framed text stays inside the ring.
    ClassSimpleGraphics* framed = panel(40, 20, panel_style_black_frame);
    framed->draw_text_framed("MMMMMMMMMMMMMMMM", 0xFFFFFF, 0, 32);
    EXPECT_EQ(pixels_not(framed->image(), QRect(39, 0, 1, 20), black), 0);
}

TEST_F(PanelTest, TextsKeepThePixelsOfQtsTextDrawingAlsoWhenDrawnAgain) {
    ClassSimpleGraphics* label = panel(50, 20);
    for (const char* text : {"16000", "  Num  ", "Wq|gj_,;'", "Max bin file number :", "1600"}) {
        QImage expected(50, 20, QImage::Format_RGB32);
        expected.fill(Qt::black);
        QPainter painter(&expected);
        painter.setFont(font_);
        painter.fillRect(expected.rect(), QColor(240, 240, 240));
        painter.setPen(QColor(0, 0, 255));
        painter.drawText(expected.rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        painter.end();
        for (int time = 0; time < 2; ++time) {
            label->draw_text_filled(text, rgb(0, 0, 255), rgb(240, 240, 240), 32);
            EXPECT_EQ(label->image(), expected) << text << " drawn " << time + 1 << " times";
        }
    }
}

TEST_F(PanelTest, TextsStartAtTheTopLeftWithTheirLeadingBlanks) {
    ClassSimpleGraphics* label = panel(200, 20);
    label->draw_text_filled("X", 0, 0xFFFFFF, 32);
    const QImage plain = label->image().copy();
    label->draw_text_filled("   X", 0, 0xFFFFFF, 32);
    const int advance = QFontMetrics(font_).horizontalAdvance(' ');
    // The same glyph, moved right by three blanks.
    EXPECT_EQ(plain.copy(0, 0, 100, 20), label->image().copy(3 * advance, 0, 100, 20));
}

TEST_F(PanelTest, PenIsKeptWhileIdleAndUsedAtTheNextDrawing) {
    ClassSimpleGraphics* rule = panel(686, 2);
    EXPECT_TRUE(rule->set_pen(rgb(150, 150, 150), 1, pen_style_solid));
    EXPECT_FALSE(rule->set_pen(rgb(1, 2, 3), 1, 6)); // no such style: the old pen stays
    EXPECT_FALSE(rule->has_image());
    QPainter* painter = rule->begin_draw();
    ASSERT_NE(painter, nullptr);
    EXPECT_TRUE(rule->drawing());
    rule->move_to(0, 0);
    rule->line_to(686, 0);
    EXPECT_TRUE(rule->set_pen(rgb(255, 255, 255), 1, pen_style_solid)); // applies at once
    rule->move_to(0, 1);
    rule->line_to(10, 1);
    rule->end_draw();
    EXPECT_FALSE(rule->drawing());
    EXPECT_EQ(pixels_not(rule->image(), QRect(0, 0, 686, 1), QColor(150, 150, 150)), 0);
    EXPECT_EQ(pixels_not(rule->image(), QRect(0, 1, 11, 1), QColor(255, 255, 255)), 0);
    EXPECT_EQ(rule->image().pixelColor(11, 1), black);
}

TEST_F(PanelTest, TextDrawingLeavesTheBoxColourAsPen) {
    ClassSimpleGraphics* cell = panel(20, 20);
    cell->draw_text_filled("", 0, rgb(0, 150, 0), 32);
    cell->begin_draw();
    cell->move_to(0, 5);
    cell->line_to(19, 5);
    cell->end_draw();
    EXPECT_EQ(pixels_not(cell->image(), QRect(0, 0, 20, 20), QColor(0, 150, 0)), 0);
}

TEST_F(PanelTest, DrawingIsNotReentrant) {
    ClassSimpleGraphics* cell = panel(30, 20);
    ASSERT_NE(cell->begin_draw(), nullptr);
    EXPECT_EQ(cell->begin_draw(), nullptr);
    cell->draw_text_filled("A", 0, 0xFFFFFF, 32); // refused, the outer drawing stays open
    cell->on_repaint(0, 0);
    EXPECT_TRUE(cell->drawing());
    cell->end_draw();
    EXPECT_FALSE(cell->drawing());
    EXPECT_EQ(cell->image().pixelColor(5, 5), black);

    ClassSimpleGraphics* empty = panel(0, 20);
    EXPECT_EQ(empty->begin_draw(), nullptr);
    empty->draw_text_filled("A", 0, 0xFFFFFF, 32);
    EXPECT_FALSE(empty->has_image());
}

TEST_F(PanelTest, BitmapsAreCompiledInWithTheirSizes) {
    ClassSimpleGraphics* lamp = panel(16, 16);
    EXPECT_EQ(lamp->draw_bitmap_resource(bitmap_connected), 1);
    EXPECT_EQ(lamp->image().pixelColor(8, 8), QColor(0, 128, 0));
    EXPECT_EQ(lamp->image().pixelColor(0, 0), QColor(200, 200, 200));
    EXPECT_EQ(lamp->draw_bitmap_resource(bitmap_disconnected), 1);
    EXPECT_EQ(lamp->image().pixelColor(8, 8), QColor(200, 0, 0));
    EXPECT_EQ(lamp->draw_bitmap_resource(bitmap_sampling_off), 1);
    EXPECT_EQ(pixels_not(lamp->image(), QRect(0, 0, 16, 16), QColor(204, 0, 0)), 0);
    EXPECT_EQ(lamp->draw_bitmap_resource(bitmap_sampling_on), 1);
    EXPECT_EQ(lamp->image().pixelColor(0, 15), QColor(200, 200, 200));

    ClassSimpleGraphics* logo = panel(32, 32);
    EXPECT_EQ(logo->draw_bitmap_resource(bitmap_logo), 1);
    EXPECT_EQ(logo->image().pixelColor(0, 0), QColor(255, 255, 255));

    ClassSimpleGraphics* unknown = panel(16, 16);
    EXPECT_EQ(unknown->draw_bitmap_resource(993), 0);
    EXPECT_FALSE(unknown->has_image());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(PanelTest, WhatIsDrawnIsPaintedWithoutTheEventLoop) {
    ClassSimpleGraphics* status = panel(100, 18);
    ClassSimpleGraphics* hidden = panel(100, 18);
    hidden->show(false);
    PaintCounter counter;
    status->window->installEventFilter(&counter);
    hidden->window->installEventFilter(&counter);
    status->draw_text_filled("Received", rgb(0, 150, 0), rgb(200, 200, 200), 32);
    EXPECT_EQ(counter.paints, 1); // painted inside the call, no event was processed
    status->draw_bitmap_resource(bitmap_connected);
    EXPECT_EQ(counter.paints, 2);
    status->on_repaint(0, 0);
    EXPECT_EQ(counter.paints, 3);
    hidden->draw_text_filled("Received", rgb(0, 150, 0), rgb(200, 200, 200), 32);
    EXPECT_EQ(counter.paints, 3);
    EXPECT_TRUE(hidden->has_image()); // a hidden panel keeps what is drawn into it
}

} // namespace
