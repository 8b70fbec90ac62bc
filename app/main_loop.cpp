#include "app/main_loop.h"

#include "analysis/sampling_control.h"
#include "app/connection.h"
#include "app/layout.h"
#include "app/pages.h"
#include "app/program_state.h"
#include "app/shell_rules.h"
#include "database/database_area.h"
#include "database/description_page.h"
#include "link/commands.h"
#include "link/frames.h"
#include "link/serial_port.h"
#include "traffic/dispatcher.h"
#include "ui/window.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

struct Watch {
    ClassListBox* list = nullptr;
    ClickCallback handler = nullptr;
    int remembered_top = 0;
};

std::array<Watch, watched_list_count> watches;

// Wakes the idle loop when the current port has a byte (or hangs up: the next read then
// closes the port). It follows the current port: choosing another port, or a port that went
// away, changes the descriptor.
std::unique_ptr<QSocketNotifier> port_notifier;

void follow_current_port() {
    const int descriptor = current_port_descriptor();
    if (port_notifier && port_notifier->socket() == descriptor)
        return;
    port_notifier.reset();
    if (descriptor >= 0)
        port_notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
}

void watch_scrolling(Watch& watch) {
    const int top = watch.list->top_index();
    if (top == watch.remembered_top)
        return;
    if (watch.list->item_count() > results_visible_rows)
        watch.handler();
    watch.remembered_top = top;
}

void watch_selection(Watch& watch) {
    // Nothing selected counts as no change.
    const int selected = watch.list->highest_selected_index();
    if (selected < 0 || selected == watch.list->last_selection)
        return;
    watch.list->last_selection = selected;
    watch.handler();
}

// A termination signal ends the program like closing the window: the handler only writes a
// byte into a pipe, and the loop, woken by it, runs the normal exit sequence.
int signal_pipe[2] = {-1, -1};
std::unique_ptr<QSocketNotifier> signal_notifier;

void on_termination_signal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signal_pipe[1], &byte, 1);
}

void route_key(int key_code) {
    run_page_key(current_mode, key_code);
}

bool close_requested() {
    return !main_window || main_window->close_requested;
}

} // namespace

void watch_list(WatchedList slot, ClassListBox* list, ClickCallback handler) {
    if (slot >= 0 && slot < watched_list_count && list && handler)
        watches[slot] = {list, handler, list->top_index()};
}

void clear_watched_lists() {
    watches = {};
}

void watch_lists() {
    for (int slot = 0; slot < watched_list_count; ++slot) {
        Watch& watch = watches[slot];
        if (!watch.list)
            continue;
        if (slot == watched_results_scrolling)
            watch_scrolling(watch);
        else
            watch_selection(watch);
    }
}

int start_program() {
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, window_width, window_height);
    const WindowOrigin origin = window_origin(screen.width(), screen.height());
    open_all_ports();
    create_fonts();
    std::srand(0);
    if (!create_main_window(window_class_name, window_title, origin.x, origin.y, window_width,
                            window_height, colour_background)) {
        QMessageBox::critical(nullptr, "ERROR", "ERROR START PROGRAM");
        return 0;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    main_window->key_hook = route_key;
    build_layout();
    watch_list(watched_database_table, db_table_list, on_database_row_selected);
    watch_list(watched_database_files, db_file_list, on_db_file_selected);
    main_window->window->show();
    main_window->window->repaint();

    // The lists start from their initial selection: only a change runs a handler.
    for (WatchedList slot : {watched_res_files, watched_mode_list}) {
        if (watches[slot].list)
            watches[slot].list->last_selection = 0;
    }
    if (watches[watched_results_scrolling].list)
        watches[watched_results_scrolling].remembered_top =
            watches[watched_results_scrolling].list->top_index();
    return 1;
}

int close_on_termination_signals() {
    if (signal_pipe[0] < 0 && ::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 0;
    signal_notifier = std::make_unique<QSocketNotifier>(signal_pipe[0], QSocketNotifier::Read);
    QObject::connect(signal_notifier.get(), &QSocketNotifier::activated, [] {
        char bytes[16];
        while (::read(signal_pipe[0], bytes, sizeof bytes) > 0) {
        }
        if (main_window)
            main_window->close_requested = true;
    });
    struct sigaction action {};
    action.sa_handler = on_termination_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal_number, &action, nullptr);
    return 1;
}

int main_loop_pass(bool may_sleep) {
    last_byte = read_byte_now();
    const bool message_arrived = last_byte != -1;
    if (message_arrived)
        dispatch_message();
    run_page_pass(current_mode);
    if (close_requested())
        return 0;
    // After a message, input that waited meanwhile is served without sleeping, and the next
    // pass looks at the port again at once.
    const bool sleep = may_sleep && !message_arrived;
    if (sleep)
        follow_current_port();
    QCoreApplication::processEvents(sleep ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
    watch_lists();
    return close_requested() ? 0 : 1;
}

int main_loop() {
    while (main_loop_pass(true)) {
    }
    return exit_sequence();
}

int exit_sequence() {
    port_notifier.reset();
    send_command(command_disconnect);
    on_disconnected();
    stop_sampling_local();
    send_command(command_stop_sampling);
    destroy_main_window();
    forget_layout();
    return 0;
}

void wait_for_user_answer(bool (*answered)()) {
    if (!main_window)
        return;
    if (port_notifier)
        port_notifier->setEnabled(false);
    const KeyHook key_hook = main_window->key_hook;
    main_window->key_hook = nullptr;
    while (!answered())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    main_window->key_hook = key_hook;
    if (port_notifier)
        port_notifier->setEnabled(true);
}

void keep_window_drawn() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}
