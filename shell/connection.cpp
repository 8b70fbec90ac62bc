#include "shell/connection.h"

#include "formats/frames.h"
#include "link/commands.h"
#include "link/port_names.h"
#include "link/serial_port.h"
#include "shell/pages.h"
#include "shell/program_state.h"
#include "shell/status_line.h"
#include "ui/controls.h"
#include "ui/drawing_kit.h"
#include "ui/simple_graphics.h"

#include <string>

namespace {

// The only writer of `connected`: the flag with its indicator, state panel and button label.
void set_connected(int on) {
    set_connection_indicator(on);
    show_status_error("");
    show_state_and_button(shared.connection_state_panel, shared.connect_push_button,
                          on ? "VARDEN connected" : "VARDEN disconnected",
                          on ? "Disconnect" : "Connect");
    connected = on;
}

void on_connected() {
    set_connected(1);
    send_mode_frame();
    show_connected_controls(current_mode, true);
}

} // namespace

void set_connection_indicator(int on) {
    if (shared.connection_indicator)
        shared.connection_indicator->draw_bitmap_resource(on ? bitmap_connected
                                                             : bitmap_disconnected);
}

void connect_button() {
    close_name_edit();
    const int code = connected == 1 ? command_disconnect : command_connect;
    const int result = send_command_with_retries(code);
    if (result != result_accepted) {
        show_command_error(result);
        return;
    }
    if (code == command_disconnect)
        on_disconnected();
    else
        on_connected();
}

void on_disconnected() {
    set_connected(0);
    run_page_disconnected(current_mode);
    show_connected_controls(current_mode, false);
}

void follow_port_changes() {
    for (PortChange change; (change = take_port_change()) != PortChange::none;) {
        const std::string port = "Port " + port_entry_name(current_port_number());
        if (change == PortChange::gone) {
            show_status_error(TextString(std::string_view(port + " went away")));
            continue;
        }
        if (connected == 1) {
            const int result = send_command_with_retries(command_connect);
            if (result != result_accepted) {
                show_command_error(result);
                continue;
            }
            on_connected();
        }
        show_status_info(TextString(std::string_view(port + " is back")));
    }
}
