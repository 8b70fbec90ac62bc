#include "shell/window_exchange.h"

#include "shell/status_line.h"
#include "shell/transfer_progress.h"
#include "ui/drawing_kit.h"
#include "ui/event_loop.h"

namespace {

void show_info_drawn(const std::string& text) {
    show_status_info(TextString(std::string_view(text)));
    keep_window_drawn();
}

void show_error_text(const std::string& text) {
    show_status_error(TextString(std::string_view(text)));
}

} // namespace

const DeviceExchange& window_exchange() {
    static const DeviceExchange exchange = [] {
        DeviceExchange made = link_exchange(
            keep_window_drawn, [](int result) { show_command_error(result); }, show_error_text,
            show_info_drawn);
        made.show_progress = show_transfer_progress;
        return made;
    }();
    return exchange;
}
