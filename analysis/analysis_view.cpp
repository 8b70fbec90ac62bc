#include "analysis/analysis_view.h"

#include "analysis/dump_analysis.h"
#include "files/file_texts.h"
#include "files/folder_files.h"
#include "formats/dump_file.h"
#include "formats/results_file.h"
#include "shell/pages.h"
#include "shell/program_files.h"
#include "shell/program_state.h"
#include "shell/status_line.h"
#include "ui/drawing_kit.h"
#include "ui/window.h"

#include <array>

int memory_dump_counter = 0;
std::vector<std::string> dump_lines;
ClassListBox* analysis_list = nullptr;
ClassSimpleGraphics* max_number_panel = nullptr;

namespace {

struct ColumnHeader {
    const char* text;
    int x;
    int width;
};

constexpr std::array<ColumnHeader, 14> analysis_headers{{
    {"  Num  ", 15, 74},
    {" Currency", 88, 101},
    {"  Value", 188, 81},
    {" Side ", 268, 61},
    {"   R", 328, 71},
    {"   G", 398, 71},
    {"   B", 468, 71},
    {"  IR", 538, 71},
    {" UVL", 608, 51},
    {"  CMP", 658, 71},
    {"  UV", 728, 71},
    {"  MAG", 798, 71},
    {" PQL", 868, 51},
    {"  PQS", 918, 71},
}};

constexpr std::array<int, 13> grid_columns{88,  188, 268, 328, 398, 468, 538,
                                           608, 658, 728, 798, 868, 918};
constexpr int table_top = 130;
constexpr int grid_height = 578;
constexpr int first_row_line = 148;
constexpr int row_lines = 31;

void add_to_analysis(ClassControl* control) {
    add_to_page(page_analysis, control);
}

void show_max_number(int number) {
    if (max_number_panel)
        max_number_panel->draw_text_filled(std::to_string(number).c_str(), colour_info,
                                           colour_background, text_format_single_line);
}

void build_analysis_grid() {
    for (int x : grid_columns)
        add_to_analysis(add_line(x, table_top, 1, grid_height, colour_grid, 1));
    for (int row = 0; row < row_lines; ++row)
        add_to_analysis(
            add_line(15, first_row_line + row * list_row_height, 973, 1, colour_grid, 1));
}

} // namespace

void build_analysis_page() {
    for (const ColumnHeader& header : analysis_headers)
        add_to_analysis(add_text_panel(header.x, 111, header.width, 20, true, header.text,
                                       colour_text, colour_header, &font_normal));
    build_analysis_grid();

    const DumpScan scan = scan_dump_files(list_folder(working_folder));
    add_to_analysis(add_text_panel(400, 90, 230, 20, false, "Max bin file number :", colour_text,
                                   colour_background, &font_normal));
    // The panel shows the highest number found, also above the counter's limit.
    max_number_panel =
        add_text_panel(630, 90, 350, 20, false, std::to_string(scan.highest_found).c_str(),
                       colour_info, colour_background, &font_bold);
    add_to_analysis(max_number_panel);
    shared.progress_panel =
        add_text_panel(20, 90, 50, 20, false, "", colour_blue, colour_background, &font_bold);
    add_to_analysis(shared.progress_panel);

    memory_dump_counter = scan.counter;
    dump_lines = analyse_dump_files(working_folder, scan.numbers_to_analyse);
    std::vector<TextString> items;
    items.reserve(dump_lines.size());
    for (const std::string& line : dump_lines)
        items.emplace_back(std::string_view(line));
    analysis_list = main_window->add_filled_list_box(15, 130, 990, 600, items, 0, nullptr,
                                                     &font_oem, list_style_scroll_always);
    add_to_analysis(analysis_list);
}

void on_memory_dump(const std::uint8_t* dump, std::size_t length) {
    show_progress_count("");
    // A dump that is not on disk uses no number and is not listed as if it were.
    if (write_dump_file(working_folder, memory_dump_counter + 1, dump, length) != 1) {
        show_status_error(cant_write_text(dump_file_name(memory_dump_counter + 1)).c_str());
        return;
    }
    ++memory_dump_counter;

    const std::string line = analyse_dump(memory_dump_counter, dump, length);
    if (dump_lines.size() < dump_lines_capacity) {
        dump_lines.push_back(line);
        if (analysis_list) {
            analysis_list->add_item(TextString(std::string_view(line)));
            analysis_list->select_prefix(TextString(std::string_view(line)));
        }
    } else {
        show_status_error(dump_lines_full_text);
    }
    show_max_number(memory_dump_counter);
}
