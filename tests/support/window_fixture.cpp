#include "tests/support/window_fixture.h"

#include "shell/connection.h"
#include "shell/status_line.h"

#include <QKeyEvent>
#include <QWindow>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

// The application lives from before the first test to after the last one, and ends before
// the program's static objects do.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { application = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { application.reset(); }

private:
    int argc = 1;
    char name[16] = "app_window_test";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> application;
};

[[maybe_unused]] ::testing::Environment* const application_environment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

} // namespace

void WindowTest::SetUp() {
    ASSERT_EQ(device.start(1), 1) << "varden_sim did not start (VARDEN_SIM=" << sim_program()
                                  << ")";
    start_in(device.folder());
}

void WindowTest::start_in(const std::string& working) {
    folder = std::make_unique<WorkingFolder>(working);
    start_here();
}

void WindowTest::restart_program() {
    exit_sequence();
    start_here();
}

void WindowTest::start_here() {
    select_port(1);
    close_current_port();
    current_mode = page_analysis;
    connected = 0;
    sampling_on = 0;
    ASSERT_EQ(start_program(), 1);
}

void WindowTest::TearDown() {
    if (main_window)
        exit_sequence();
    close_all_ports();
    folder.reset();
}

std::vector<int> WindowTest::recorded_codes() const {
    std::vector<int> codes;
    for (const RecordedFrame& frame : device.frames())
        codes.push_back(frame.code);
    return codes;
}

std::vector<RecordedFrame> WindowTest::frames_after(std::size_t count) const {
    return device.wait_for_frames(count);
}

void WindowTest::click_tab_slot(int slot) {
    main_window->dispatch_command(command_word(mode_list->id, notify_focus), 0);
    mode_list->select_index(slot);
    watch_lists();
}

void WindowTest::connect_on_page(int tab_slot) {
    click_tab_slot(tab_slot);
    connect_button();
    ASSERT_EQ(connected, 1);
}

long panel_pixel(const ClassSimpleGraphics* panel, int x, int y) {
    if (!panel || !panel->has_image())
        return -1;
    const QRgb pixel = panel->image().pixel(x, y);
    return static_cast<long>(rgb(qRed(pixel), qGreen(pixel), qBlue(pixel)));
}

bool panel_shows_colour(const ClassSimpleGraphics* panel, Colour colour) {
    if (!panel || !panel->has_image())
        return false;
    for (int y = 0; y < panel->height(); ++y) {
        for (int x = 0; x < panel->width(); ++x) {
            if (panel_pixel(panel, x, y) == static_cast<long>(colour))
                return true;
        }
    }
    return false;
}

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
    return panel_shows_text(shared.status_message_panel, text, colour_error, colour_status_back);
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
