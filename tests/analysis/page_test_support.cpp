#include "tests/analysis/page_test_support.h"

#include "shell/status_line.h"

#include <QKeyEvent>
#include <QWindow>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

void write_file(const std::string& path, const std::string& text) {
    write_file(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> file_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string file_text(const std::string& path) {
    const std::vector<std::uint8_t> bytes = file_bytes(path);
    return {bytes.begin(), bytes.end()};
}

bool file_present(const std::string& path) {
    struct stat entry {};
    return ::stat(path.c_str(), &entry) == 0;
}

bool panel_shows_text(const ClassSimpleGraphics* panel, const TextString& text, Colour text_colour,
                      Colour back_colour) {
    if (!panel || !panel->has_image())
        return false;
    ClassSimpleGraphics* reference = main_window->add_simple_graphics(
        0, 0, panel->width(), panel->height(), panel->extra_style(), panel->font);
    reference->draw_text_filled(text, text_colour, back_colour, text_format_single_line);
    const bool same = reference->image() == panel->image();
    reference->show(false);
    return same;
}

bool status_shows_error(const TextString& text) {
    return panel_shows_text(status_message_panel, text, colour_error, colour_status_back);
}

void press_key(int qt_key) {
    QKeyEvent press(QEvent::KeyPress, qt_key, Qt::NoModifier);
    QCoreApplication::sendEvent(main_window->window->windowHandle(), &press);
}

void click_button(const ClassControl* button) {
    main_window->dispatch_command(command_word(button->id, notify_clicked), 0);
}

bool visible(const ClassControl* control) {
    return control && control->window && control->window->isVisible();
}
