#include "app/main_loop.h"

#include "analysis/analysis_view.h"
#include "analysis/results_view.h"
#include "app/layout.h"
#include "database/database_area.h"
#include "database/description_page.h"
#include "database/sampling_control.h"
#include "formats/frames.h"
#include "formats/traffic_log_format.h"
#include "link/commands.h"
#include "link/program_end.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "shell/connection.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/shell_rules.h"
#include "shell/status_line.h"
#include "traffic/message_reader.h"
#include "traffic/stored_sample_requests.h"
#include "traffic/upload_control.h"
#include "ui/drawing_kit.h"
#include "ui/event_loop.h"
#include "ui/watched_lists.h"
#include "ui/window.h"
#include "varden_version.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

// A termination signal ends the program like closing the window: the handler only writes its
// number into a pipe, and the loop, woken by it, runs the normal exit sequence. The traffic
// log's last line names it.
int signal_pipe[2] = {-1, -1};
std::unique_ptr<QSocketNotifier> signal_notifier;
int ending_signal = 0;

void on_termination_signal(int signal_number) {
    const char byte = static_cast<char>(signal_number);
    [[maybe_unused]] const ssize_t written = ::write(signal_pipe[1], &byte, 1);
}

void route_key(int key_code) {
    run_page_key(current_mode, key_code);
}

void show_traffic_log_failure(const std::string& path) {
    show_status_error(TextString(std::string_view("Can't write traffic log " + path)));
}

bool close_requested() {
    return !main_window || main_window->close_requested;
}

} // namespace

void dispatch_message() {
    switch (classify_message(read_message())) {
    case MessageKind::end_connected:
        on_disconnected();
        stop_sampling_local();
        break;
    // Kept as the next sample file of the SAMPLING page (only while sampling is on).
    case MessageKind::sample_buffer: on_sample_buffer(receive_buffer.data(), receive_length); break;
    // Handled by the upload of the device database.
    case MessageKind::upload_image:
        on_upload_image_received(receive_buffer.data(), receive_length);
        break;
    case MessageKind::upload_table:
        on_upload_table_received(receive_buffer.data(), receive_length);
        break;
    // Stored as the next dump file and analysed.
    case MessageKind::memory_dump: on_memory_dump(receive_buffer.data(), receive_length); break;
    // Added to the session results.
    case MessageKind::session_result:
        add_session_result(receive_buffer.data(), receive_length);
        break;
    // Answered with the next stored sample file.
    case MessageKind::sample_request: on_sample_request(); break;
    case MessageKind::ignored: break;
    }
}

int start_program() {
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, client_width, client_height);
    const WindowOrigin origin = window_origin(screen.width(), screen.height());
    select_port(first_port_number);
    create_fonts();
    if (!create_main_window(window_class_name, window_title, origin.x, origin.y, client_width,
                            client_height, colour_background)) {
        QMessageBox::critical(nullptr, "ERROR", "ERROR START PROGRAM");
        return 0;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    main_window->key_hook = route_key;
    build_layout();
    watch_list(watched_database_table, db_area.db_table_list, on_database_row_selected);
    watch_list(watched_database_files, db_area.db_file_list, on_db_file_selected);
    main_window->window->show();
    main_window->window->repaint();

    start_watching_lists();
    return 1;
}

int start_logging_traffic(const std::string& path) {
    std::string refusal;
    if (!start_traffic_log(path, "ornivex_control", varden_version, is_control_program_file,
                           &refusal)) {
        show_traffic_log_failure(path + " (" + refusal + ")");
        return 0;
    }
    set_traffic_log_failure_report(show_traffic_log_failure);
    log_current_port();
    return traffic_log_on() ? 1 : 0;
}

int close_on_termination_signals() {
    if (signal_pipe[0] < 0 && ::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 0;
    signal_notifier = std::make_unique<QSocketNotifier>(signal_pipe[0], QSocketNotifier::Read);
    QObject::connect(signal_notifier.get(), &QSocketNotifier::activated, [] {
        char bytes[16];
        for (ssize_t got; (got = ::read(signal_pipe[0], bytes, sizeof bytes)) > 0;)
            ending_signal = static_cast<unsigned char>(bytes[got - 1]);
        if (main_window)
            main_window->close_requested = true;
    });
    struct sigaction action {};
    action.sa_handler = on_termination_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP})
        if (!signal_ignored_at_start(signal_number)) // nohup's SIGHUP stays ignored
            ::sigaction(signal_number, &action, nullptr);
    return 1;
}

int main_loop_pass(bool may_sleep) {
    last_byte = read_byte_now();
    const bool message_arrived = last_byte != -1;
    if (message_arrived)
        dispatch_message();
    follow_port_changes();
    run_page_pass(current_mode);
    if (close_requested())
        return 0;
    // After a message, input that waited meanwhile is served without sleeping, and the next
    // pass looks at the port again at once.
    const bool sleep = may_sleep && !message_arrived;
    // What crossed the port is in the log before the program waits for more.
    if (sleep && traffic_log_on())
        traffic_log_end_burst();
    serve_window(sleep);
    watch_lists();
    return close_requested() ? 0 : 1;
}

int main_loop() {
    while (main_loop_pass(true)) {
    }
    const int status = exit_sequence();
    stop_traffic_log(traffic_log_end_note(ending_signal, status));
    return status;
}

int exit_sequence() {
    stop_watching_port();
    send_command(command_disconnect);
    on_disconnected();
    stop_sampling_local();
    send_command(command_stop_sampling);
    destroy_main_window();
    forget_layout();
    return 0;
}
