// Everything a database download sends, worked out from the made description file before the
// first frame goes out: every limit and the shape of every token are checked first, so a
// download that would fail on its data sends nothing.
#pragma once

#include "formats/image_compression.h"
#include "formats/name_table.h"

#include <string>
#include <string_view>
#include <vector>

// The errors of a made file that cannot be downloaded, exactly as the device's users know them.
inline constexpr std::string_view too_many_names_text =
    "There are more than 109 name's of banknote's";
inline constexpr std::string_view too_many_sides_text =
    "There are more than 120 image's of banknote's";
inline constexpr std::string_view too_many_blocks_text = "There are more than 158 block's in DB";

// "Size of one side is too big:" + side number + "," + size in bytes.
std::string side_too_big_text(int side, std::uint32_t size);

// A made file that cannot be read as image data: "Wrong format of " + name + ", see line " + n.
std::string wrong_made_file_text(std::string_view file_name, int line);

// The database name a download of description file `file_name` ("EURO.dnl") sends: its name
// without ".dnl" as the device's display shows it.
std::string display_db_name_of_file(std::string_view file_name);

struct DownloadPlan {
    std::vector<std::uint8_t> image_data; // block_count × 1536 bytes; block b at 1536·b
    int block_count = 0;
    FirstNameFrame first_names{};
    SecondNameFrame second_names{};
};

// The number of 1536-byte blocks sent for image data ending at `data_end`. Data ending on a
// block boundary still sends the block after it (all zero), as downloads always have.
int image_block_count(std::uint32_t data_end);

// The banknotes of a made file in file order, from the side header tokens. Returns 1, or 0
// with the line of the first header that is malformed or out of order (a banknote has Side1
// alone or Side1 to Side4 in order).
int collect_banknotes(std::string_view made_text, std::vector<BanknoteEntry>& banknotes,
                      int& fault_line);

// Builds the plan from the made file text `made_text` of the file `file_name` and the database
// name as the display shows it. Returns 1, or 0 with the error text for the status line:
// a malformed made file, more than 109 banknotes, more than 120 sides, a side larger than
// 2560 bytes, more than 158 blocks.
int plan_download(std::string_view made_text, std::string_view file_name,
                  std::string_view display_db_name, DownloadPlan& plan, std::string& error_text);
