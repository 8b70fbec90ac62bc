#include "tests/app/window_fixture.h"

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
