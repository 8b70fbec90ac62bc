#include "cli/commands.h"

#include "analysis/dump_analysis.h"
#include "analysis/session_results.h"
#include "cli/console_output.h"
#include "cli/csv_records.h"
#include "cli/port_report.h"
#include "database/description_file.h"
#include "database/transfer_steps.h"
#include "files/file_texts.h"
#include "files/folder_files.h"
#include "formats/device_messages.h"
#include "formats/dump_file.h"
#include "formats/frames.h"
#include "formats/results_file.h"
#include "link/commands.h"
#include "link/port_names.h"
#include "link/program_end.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "shell/program_files.h"
#include "traffic/message_burst.h"
#include "traffic/upload_flow.h"
#include "varden_version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How long an upload waits for the device's next message.
constexpr int upload_message_wait_ms = 10000;

void show_result_error(int result) {
    if (const char* text = command_result_text(result))
        print_error(text);
    else
        print_error("VARDEN answered " + std::to_string(result));
}

const DeviceExchange& console_exchange() {
    static const DeviceExchange exchange = [] {
        DeviceExchange made = link_exchange([] {}, show_result_error, print_error, print_info);
        made.show_progress = show_bar;
        return made;
    }();
    return exchange;
}

void write_out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void report_log_failure(const std::string& path) {
    print_error("Can't write traffic log " + path);
}

// Disconnects as the Disconnect button does and lets the port go. 1 when the device agreed.
int disconnect_port() {
    const int result = send_command_with_retries(command_disconnect);
    if (result == result_accepted)
        print_info("VARDEN disconnected");
    else
        show_result_error(result);
    close_current_port();
    return result == result_accepted ? 1 : 0;
}

// Takes the port and connects as the Connect button does. 1 when connected; 0 after the error.
int connect_port(int port) {
    if (!open_port(port)) {
        print_error(port_refusal_text(inspect_port(port)));
        return 0;
    }
    const int result = send_command_with_retries(command_connect);
    if (result != result_accepted) {
        show_result_error(result);
        close_current_port();
        return 0;
    }
    print_info("VARDEN connected");
    // The device is told the COLLECT page, where the transfers are, as the window does there.
    const int page = send_mode(page_collect);
    if (page != result_accepted) {
        show_result_error(page);
        disconnect_port();
        return 0;
    }
    return 1;
}

int make_file(const std::string& file_name) {
    const std::vector<std::string> names = list_folder(working_folder);
    MakeInput input;
    std::vector<std::string> kept_tokens;
    std::string message;
    if (!load_description(path_in(working_folder, file_name), file_name, LoadedColumns::none, names,
                          input.rows, kept_tokens, message)) {
        print_error(message);
        return 1;
    }
    if (!message.empty()) // tokens that make no row, named as the window names them on loading
        print_error(message);
    input.db_file_name = file_name;
    input.names = names;
    const DownloadOutcome outcome =
        make_and_download_file(download_check_only, input, console_exchange());
    end_bar();
    return outcome.result == 1 ? 0 : 1;
}

int download_into(const std::string& file_name, int port) {
    if (!connect_port(port))
        return 1;
    MakeInput input;
    input.db_file_name = file_name;
    const DownloadOutcome outcome =
        make_and_download_file(download_only, input, console_exchange());
    end_bar();
    disconnect_port();
    return outcome.result == 1 ? 0 : 1;
}

// The end of a child: the log's last line, the port released.
[[noreturn]] void end_child(int status) {
    ::_exit(end_program("varden", status));
}

struct PortChild {
    int port = 0;
    pid_t pid = -1;
    int errors = -1; // read end of the pipe that carries the child's first error
};

std::string read_all(int fd) {
    std::string text;
    char block[512];
    for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;)
        text.append(block, static_cast<std::size_t>(n));
    return text;
}

// Every port in a child process of its own, all at once; then the summary.
int download_into_all(const std::string& file_name, const std::vector<int>& ports,
                      const std::string& traffic_log) {
    std::fflush(stdout);
    std::vector<PortChild> children;
    for (const int port : ports) {
        PortChild child{port};
        int pipe_ends[2];
        if (::pipe2(pipe_ends, O_CLOEXEC) != 0) {
            print_error("Can't start the download into " + port_entry_name(port));
            children.push_back(child);
            continue;
        }
        child.pid = ::fork();
        if (child.pid == 0) {
            ::close(pipe_ends[0]);
            ConsoleOutput output = console_output();
            output.prefix = port_entry_name(port) + ": ";
            output.bar = false;
            set_console_output(output);
            if (!traffic_log.empty())
                start_console_traffic_log(traffic_log + "." + port_entry_name(port));
            const int status = download_into(file_name, port);
            const std::string& error = first_error();
            if (status != 0 && !error.empty()) {
                [[maybe_unused]] const ssize_t written =
                    ::write(pipe_ends[1], error.data(), error.size());
            }
            end_child(status);
        }
        ::close(pipe_ends[1]);
        if (child.pid < 0)
            ::close(pipe_ends[0]);
        else
            child.errors = pipe_ends[0];
        children.push_back(child);
    }
    int failed = 0;
    std::vector<std::string> summary;
    for (PortChild& child : children) {
        std::string error;
        int status = 1;
        if (child.pid > 0) {
            error = read_all(child.errors);
            ::close(child.errors);
            int wait_status = 0;
            while (::waitpid(child.pid, &wait_status, 0) < 0 && errno == EINTR) {
            }
            status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 1;
        }
        const std::string port = port_entry_name(child.port) + ": ";
        if (status == 0) {
            print_info(port + "done");
            continue;
        }
        ++failed;
        print_error(port + (error.empty() ? std::string("failed") : error));
    }
    return failed == 0 ? 0 : 1;
}

// The file an upload under way writes (its temporary name), for drop_partial_upload.
char partial_upload[4096] = "";

// An upload is under way: its file is being written.
bool shows_upload_file(const UploadState& state) {
    return state.upload_row > 0;
}

void note_partial_upload(const UploadState& state) {
    const std::string path =
        shows_upload_file(state)
            ? path_in(working_folder, state.upload_file_name) + temporary_suffix
            : std::string();
    partial_upload[0] = '\0';
    if (path.size() < sizeof partial_upload)
        std::memcpy(partial_upload, path.c_str(), path.size() + 1);
}

} // namespace

void drop_partial_upload() {
    if (partial_upload[0] != '\0')
        ::unlink(partial_upload);
}

void start_console_traffic_log(const std::string& path) {
    if (path.empty())
        return;
    std::string reason;
    if (start_traffic_log(path, "varden", varden_version, is_control_program_file, &reason))
        set_traffic_log_failure_report(report_log_failure);
    else
        report_log_failure(path + " (" + reason + ")");
}

int run_ports() {
    for (int number = first_port_number; number <= last_port_number; ++number)
        write_out(port_report_line(inspect_port(number)) + "\n");
    return 0;
}

int run_check(int port) {
    if (!connect_port(port))
        return 1;
    return disconnect_port() ? 0 : 1;
}

int run_make(const std::string& file_name) {
    return make_file(file_name);
}

int run_download(const std::string& file_name, const std::vector<int>& ports, bool make,
                 const std::string& traffic_log) {
    if (make && make_file(file_name) != 0)
        return 1;
    if (!check_made_file(working_folder, file_name, console_exchange()))
        return 1;
    if (ports.size() == 1) {
        start_console_traffic_log(traffic_log);
        return download_into(file_name, ports.front());
    }
    return download_into_all(file_name, ports, traffic_log);
}

int run_upload(int port) {
    if (!connect_port(port))
        return 1;
    const DeviceExchange& exchange = console_exchange();
    UploadState state;
    bool completed = false;
    const TextFileWriter write_text = upl_file_writer(working_folder);
    const UplFileEnder end_upl = upl_file_ender(working_folder);
    const UplFileEnder end_file = [&](const std::string& name, bool complete) {
        const int result = end_upl(name, complete);
        completed = complete && result == 1;
        return result;
    };
    int status = request_upload(exchange) ? -1 : 1;
    std::vector<std::uint8_t> message(receive_buffer_size);
    while (status < 0) {
        int next_byte = read_byte_within(upload_message_wait_ms);
        if (next_byte == -1) {
            print_error("No answer from VARDEN");
            exchange.send_command(command_end_transfer);
            if (shows_upload_file(state))
                end_file(state.upload_file_name, false);
            status = 1;
            break;
        }
        const std::size_t length = read_message_into(next_byte, message.data(), {});
        const MessageKind kind = classify_message(length);
        if (kind == MessageKind::upload_table) {
            // A table with a wrong sum is not answered: the device waits, so the upload is ended.
            if (!upload_sum_matches(message.data(), upload_table_data_size))
                exchange.send_command(command_end_transfer);
            on_table_message(state, message.data(), length, exchange, write_text, end_file);
        } else if (kind == MessageKind::upload_image) {
            on_image_message(state, message.data(), length, exchange, write_text, end_file);
        } else {
            continue; // what else the device sends meanwhile is not the upload's
        }
        note_partial_upload(state);
        if (completed)
            status = 0;
        else if (!shows_upload_file(state))
            status = 1; // refused, not written, or a side image outside the upload
    }
    end_bar();
    disconnect_port();
    return status;
}

int run_dumps(bool csv) {
    if (csv)
        write_out(csv_record(dump_csv_header()));
    int status = 0;
    for (const int number : scan_dump_files(list_folder(working_folder)).numbers_to_analyse) {
        const std::string name = dump_file_name(number);
        std::vector<std::uint8_t> bytes;
        if (!read_file_bytes(path_in(working_folder, name), memory_dump_size, bytes)) {
            print_error(cant_find_text(name));
            status = 1;
            continue;
        }
        if (bytes.size() != memory_dump_size) {
            print_error(name + " holds " + std::to_string(bytes.size()) + " bytes, not " +
                        std::to_string(memory_dump_size));
            status = 1;
            continue;
        }
        if (csv)
            write_out(csv_record(dump_csv_fields(number, dump_values(bytes.data(), bytes.size()))));
        else
            write_out(analyse_dump(number, bytes.data(), bytes.size()) + "\n");
    }
    return status;
}

int run_results(const std::string& file_name, bool csv) {
    std::vector<std::string> lines;
    if (!read_results_file(working_folder, file_name, lines)) {
        print_error(cant_find_text(file_name));
        return 1;
    }
    if (!csv) {
        for (const std::string& line : lines)
            write_out(line + "\n");
        return 0;
    }
    write_out(csv_record(results_csv_header()));
    int status = 0;
    ResultsLine session;
    bool in_session = false;
    std::string currency;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find_first_not_of(' ') == std::string::npos)
            continue;
        ResultsLine line;
        const bool readable = read_results_line(lines[i], line) == 1 &&
                              (in_session || line.kind == ResultsLine::Kind::session);
        if (!readable) {
            print_error(file_name + " line " + std::to_string(i + 1) +
                        " cannot be read: " + lines[i]);
            status = 1;
            continue;
        }
        switch (line.kind) {
        case ResultsLine::Kind::session:
            session = line;
            in_session = true;
            currency = line.currency;
            break;
        case ResultsLine::Kind::currency: currency = line.currency; break;
        case ResultsLine::Kind::denomination:
            write_out(csv_record(results_csv_fields(session, currency, line)));
            break;
        }
    }
    return status;
}
