#include "shell/transfer_progress.h"

#include "shell/progress_text.h"
#include "ui/drawing_kit.h"
#include "ui/simple_graphics.h"
#include "ui/window.h"

#include <QPainter>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

constexpr Colour bar_colour = rgb(0, 150, 0);
constexpr Colour bar_frame_colour = rgb(0, 0, 0);

struct Transfer {
    Clock::time_point started;
    int done = 0;
    int total = 0;
};

Transfer transfer;
std::string shown_text;

QColor qt_colour(Colour colour) {
    return QColor(red_of(colour), green_of(colour), blue_of(colour));
}

void draw_bar(ClassSimpleGraphics& panel, int done, int total, const std::string& text) {
    QPainter* painter = panel.begin_draw();
    if (!painter)
        return;
    const QRect whole(0, 0, panel.width(), panel.height());
    painter->fillRect(whole, qt_colour(colour_status_back));
    const QRect bar = whole.adjusted(0, 1, -1, -2);
    painter->fillRect(bar.x(), bar.y(), progress_fill_width(done, total, bar.width()), bar.height(),
                      qt_colour(bar_colour));
    painter->setPen(qt_colour(bar_frame_colour));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(bar);
    painter->setPen(qt_colour(colour_text));
    painter->drawText(bar, Qt::AlignCenter, QString::fromStdString(text));
    panel.end_draw();
}

} // namespace

void build_transfer_progress() {
    shared.transfer_progress_panel =
        main_window->add_simple_graphics(810, 722, 186, 18, panel_style_owner_draw, &font_normal);
    if (shared.transfer_progress_panel)
        shared.transfer_progress_panel->show(false);
}

void show_transfer_progress(int done, int total) {
    ClassSimpleGraphics* panel = shared.transfer_progress_panel;
    if (!panel)
        return;
    const Clock::time_point now = Clock::now();
    if (!panel->window->isVisible() || done < transfer.done || total != transfer.total)
        transfer = {now, 0, total};
    transfer.done = done;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - transfer.started).count();
    shown_text = progress_text(done, total, elapsed);
    panel->show(true);
    draw_bar(*panel, done, total, shown_text);
}

void end_transfer_progress() {
    if (shared.transfer_progress_panel)
        shared.transfer_progress_panel->show(false);
    transfer = {};
    shown_text.clear();
}

const std::string& transfer_progress_text() {
    return shown_text;
}
