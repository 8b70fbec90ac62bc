#include "cli/console_output.h"

#include "shell/progress_text.h"

#include <chrono>
#include <unistd.h>

namespace {

ConsoleOutput output;
std::string first_error_text;
bool bar_shown = false;
bool bar_started = false;
std::chrono::steady_clock::time_point bar_start;

constexpr int bar_width = 30;

void write_all(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n <= 0)
            return; // a reader that went away: the exit status tells the rest
        written += static_cast<std::size_t>(n);
    }
}

void clear_bar() {
    if (bar_shown)
        write_all(STDERR_FILENO, "\r\033[K");
    bar_shown = false;
}

} // namespace

void set_console_output(const ConsoleOutput& wanted) {
    output = wanted;
}

const ConsoleOutput& console_output() {
    return output;
}

void print_info(const std::string& text) {
    if (output.quiet)
        return;
    clear_bar();
    write_all(STDOUT_FILENO, output.prefix + text + "\n");
}

void print_error(const std::string& text) {
    clear_bar();
    if (first_error_text.empty())
        first_error_text = text;
    write_all(STDERR_FILENO, output.prefix + text + "\n");
}

void show_bar(int done, int total) {
    if (!output.bar || output.quiet)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!bar_started) {
        bar_start = now;
        bar_started = true;
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - bar_start).count();
    const int filled = progress_fill_width(done, total, bar_width);
    write_all(STDERR_FILENO, "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                                 std::string(static_cast<std::size_t>(bar_width - filled), '.') +
                                 "] " + progress_text(done, total, elapsed) + "\033[K");
    bar_shown = true;
}

void end_bar() {
    clear_bar();
    bar_started = false;
}

const std::string& first_error() {
    return first_error_text;
}
