#include "analysis/results_view.h"

#include "analysis/session_results.h"
#include "files/file_texts.h"
#include "files/folder_files.h"
#include "files/typed_names.h"
#include "formats/results_file.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/status_line.h"
#include "ui/drawing_kit.h"
#include "ui/watched_lists.h"
#include "ui/window.h"

#include <ctime>

std::FILE* results_file = nullptr;
std::string results_file_name;
TextString current_res_name;
std::vector<std::string> res_names;
int res_name_edit_active = 0;
std::string overwrite_candidate;

ClassListBox* results_list = nullptr;
ClassListBox* res_file_list = nullptr;
ClassPushButton* new_res_button = nullptr;
ClassEditString* res_name_edit = nullptr;
std::array<ClassSimpleGraphics*, result_rule_count> thin_row_rules{};
std::array<ClassSimpleGraphics*, result_rule_count> block_rules{};

namespace {

constexpr int rules_x = 300;
constexpr int rules_width = 686;
constexpr int first_rule_y = 148;
constexpr int table_top = 130;
constexpr int grid_height = 578;

struct ColumnHeader {
    const char* text;
    int x;
    int width;
};

constexpr std::array<ColumnHeader, 6> results_headers{{
    {" Count", 300, 72},
    {"     Date", 371, 132},
    {"     Time", 502, 132},
    {"    Value", 633, 120},
    {"    Pcs", 752, 108},
    {"    Total", 859, 128},
}};

constexpr std::array<int, 6> grid_columns{371, 502, 633, 752, 859, 986};

TextString text_of(std::string_view text) {
    return TextString(text);
}

int rule_y(int k) {
    return first_rule_y + k * list_row_height;
}

// The rules are shown only with the page: the thin ones also rule the database table, and a
// session result may arrive while another page is shown.
bool results_page_shown() {
    return current_mode == page_session_results;
}

void show_rule(const std::array<ClassSimpleGraphics*, result_rule_count>& rules, int n, bool on) {
    if (n >= 1 && n <= result_rule_count && rules[static_cast<std::size_t>(n - 1)] &&
        results_page_shown())
        rules[static_cast<std::size_t>(n - 1)]->show(on);
}

int result_line_count() {
    return results_list ? results_list->item_count() : 0;
}

// Every rule from the table's lines: thin rules under the empty rows, block rules under the
// ends of sessions; the last line ends one.
void draw_result_rules() {
    const int lines = result_line_count();
    for (int n = 1; n <= result_rule_count; ++n)
        show_rule(thin_row_rules, n, n > lines);
    update_result_row_lines();
    show_block_rule(lines);
}

// The last line comes into view.
void show_last_result_line() {
    if (results_list)
        results_list->select_index(result_line_count() - 1);
}

void close_results_file() {
    if (results_file)
        std::fclose(results_file);
    results_file = nullptr;
    results_file_name.clear();
}

LocalDateTime local_now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

// Showing the page reloads the selected file; when none can be loaded the rules are still
// drawn for what the table holds.
void results_page_shown_handler() {
    open_selected_res();
    draw_result_rules();
}

void add_to_results(ClassControl* control, ShownWhen when = ShownWhen::always) {
    add_to_page(page_session_results, control, when);
}

void build_results_grid() {
    for (int x : grid_columns)
        add_to_results(add_line(x, table_top, 1, grid_height, colour_grid, 1));
    for (int k = 0; k < result_rule_count; ++k)
        add_to_results(add_line(633, rule_y(k), 353, 1, colour_grid, 1));
}

void build_block_rules() {
    for (int k = 0; k < result_rule_count; ++k) {
        block_rules[static_cast<std::size_t>(k)] =
            add_line(rules_x, rule_y(k), rules_width, 2, colour_text, 2);
        add_to_results(block_rules[static_cast<std::size_t>(k)], ShownWhen::never);
    }
}

// Creates the file of a new name; the name joins the RES file list.
void create_res_file(const std::string& name) {
    const std::string path = res_file_name(name);
    std::FILE* created = open_results_file(working_folder, path, true);
    if (!created) {
        show_status_error(text_of(cant_write_text(path)));
        return;
    }
    close_results_file();
    results_file = created;
    results_file_name = path;
    current_res_name = text_of(name);
    show_status_error("");
    const int added = add_listed_name(res_names, name);
    if (added == 1 && res_file_list)
        res_file_list->add_item(text_of(name));
    else if (added == -1)
        show_status_error(res_names_full_text);
    show_res_file_name(current_res_name);
    close_name_edit();
    clear_results_view();
    update_result_row_lines();
}

} // namespace

void build_results_page() {
    close_results_file();
    current_res_name = TextString();
    res_name_edit_active = 0;
    overwrite_candidate.clear();

    for (const ColumnHeader& header : results_headers)
        add_to_results(add_text_panel(header.x, 111, header.width, 20, true, header.text,
                                      colour_text, colour_header, &font_normal));
    build_results_grid();
    build_block_rules();
    create_row_rules(colour_grid, rules_width);
    results_list = main_window->add_list_box(300, 130, 703, 600, nullptr, &font_oem,
                                             list_style_no_selection | list_style_scroll_always);
    add_to_results(results_list);

    res_names = listed_names(list_folder(working_folder), res_extension);
    add_to_results(add_text_panel(15, 111, 250, 20, true, "    List of RES files", colour_text,
                                  colour_header, &font_normal));
    std::vector<TextString> items;
    items.reserve(res_names.size());
    for (const std::string& name : res_names)
        items.push_back(text_of(name));
    res_file_list = main_window->add_filled_list_box(15, 130, 265, 600, items, 0, nullptr,
                                                     &font_oem, list_style_scroll_always);
    add_to_results(res_file_list);
    new_res_button = main_window->add_push_button("New RES file", begin_new_res_name, 15, 80, 150,
                                                  22, &font_bold);
    add_to_results(new_res_button);
    add_to_results(add_text_panel(400, 90, 230, 20, false, "Current RES file name :", colour_text,
                                  colour_background, &font_normal));
    shared.res_file_name_panel =
        main_window->add_simple_graphics(630, 90, 350, 20, panel_style_owner_draw, &font_bold);
    show_res_file_name("");
    add_to_results(shared.res_file_name_panel);
    res_name_edit = main_window->add_edit_string(15, 80, 250, 22, "", &font_normal);
    if (res_name_edit)
        res_name_edit->show(false);
    add_to_results(res_name_edit, ShownWhen::never);

    set_name_entry(page_session_results, new_res_button, res_name_edit, &res_name_edit_active);
    set_page_key_handler(page_session_results, res_name_key);
    add_page_shown_handler(page_session_results, results_page_shown_handler);
    watch_list(watched_results_scrolling, results_list, update_result_row_lines);
    watch_list(watched_res_files, res_file_list, open_selected_res);
}

void open_startup_results_file() {
    close_results_file();
    results_file = open_results_file(working_folder, startup_results_file_name, true);
    results_file_name = startup_results_file_name;
    if (!results_file)
        show_status_error(text_of(cant_write_text(startup_results_file_name)));
}

void add_session_result(const std::uint8_t* message, std::size_t length) {
    const std::vector<std::string> lines = session_result_lines(message, length, local_now());
    if (lines.empty())
        return;
    for (const std::string& line : lines)
        append_result_line(text_of(line));
    show_last_result_line();
    draw_result_rules();
}

void append_result_line(const TextString& text) {
    // Without an open file (the start-up file could not be made) the line is only shown, and
    // the status line says so each time.
    if (append_results_line(results_file, text.view()) != 1)
        show_status_error(text_of(cant_write_text(results_file_name)));
    if (!results_list)
        return;
    results_list->add_item(text);
    hide_thin_rule(result_line_count());
}

void open_selected_res() {
    close_name_edit();
    std::string name;
    if (res_file_list)
        name = res_file_list->item_text(res_file_list->highest_selected_index()).str();
    if (name.empty() && !res_names.empty())
        name = res_names.front();
    if (name.empty())
        return;
    // The file that was open stays open (and named) until another one opens, so results that
    // arrive after a failed choice are stored, not only shown.
    const std::string path = res_file_name(name);
    std::FILE* opened = open_results_file(working_folder, path, false);
    if (!opened) {
        show_status_error(text_of(cant_find_text(path)));
        return;
    }
    close_results_file();
    results_file = opened;
    results_file_name = path;
    current_res_name = text_of(name);
    show_res_file_name(current_res_name);
    std::vector<std::string> lines;
    read_results_file(working_folder, path, lines);
    clear_results_view();
    for (const std::string& line : lines) {
        if (results_list)
            results_list->add_item(text_of(line));
    }
    show_last_result_line();
    draw_result_rules();
}

void begin_new_res_name() {
    if (new_res_button)
        new_res_button->show(false);
    if (res_name_edit) {
        res_name_edit->show(true);
        res_name_edit->take_focus();
    }
    res_name_edit_active = 1;
    overwrite_candidate.clear();
}

bool res_name_key(int key_code) {
    if (key_code == key_escape) {
        close_name_edit();
        return true;
    }
    if (key_code != key_enter)
        return false;
    if (res_name_edit_active != 1)
        return true;
    const std::string name = res_name_edit ? res_name_edit->get_text().str() : std::string();
    const std::string path = res_file_name(name);
    switch (
        new_name_step(name, file_exists(path_in(working_folder, path)) == 1, overwrite_candidate)) {
    case NewNameStep::nothing: break;
    case NewNameStep::refuse: show_status_error(refused_res_name_text); break;
    case NewNameStep::ask_overwrite:
        overwrite_candidate = name;
        show_status_error(text_of(overwrite_question_text(path)));
        break;
    case NewNameStep::create: create_res_file(name); break;
    }
    return true;
}

void clear_results_view() {
    if (results_list)
        results_list->clear_items();
    show_thin_rules();
}

void create_row_rules(Colour colour, int width) {
    for (int k = 0; k < result_rule_count; ++k) {
        ClassSimpleGraphics* rule = add_line(rules_x, rule_y(k), width, 1, colour, 1);
        thin_row_rules[static_cast<std::size_t>(k)] = rule;
        add_to_results(rule, ShownWhen::never);
        add_to_page(page_sampling, rule);
        add_to_page(page_collect, rule);
    }
}

void show_thin_rules() {
    for (int n = 1; n <= result_rule_count; ++n)
        show_rule(thin_row_rules, n, true);
}

void hide_thin_rule(int n) {
    show_rule(thin_row_rules, n, false);
}

void show_block_rule(int n) {
    show_rule(block_rules, n, true);
}

void update_result_row_lines() {
    if (!results_list || !results_page_shown())
        return;
    const int top = results_list->top_index();
    for (int k = 1; k <= result_rule_count; ++k)
        show_rule(block_rules, k, line_starts_session(results_list->item_text(top + k).view()));
    // Taking the focus from an open name entry would lose what is being typed.
    if (!res_name_edit_active)
        results_list->take_focus();
}
