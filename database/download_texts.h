// The status-line texts of the database download, exactly as the device's users know them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view db_is_empty_text = "DB is empty";
inline constexpr std::string_view too_many_names_text =
    "There are more than 109 name's of banknote's";
inline constexpr std::string_view too_many_sides_text =
    "There are more than 120 image's of banknote's";
inline constexpr std::string_view too_many_blocks_text = "There are more than 158 block's in DB";
inline constexpr std::string_view downloading_images_text = "Downloading IMAGE DATE to VARDEN ...";
inline constexpr std::string_view downloaded_images_text = "Downloaded IMAGE DATE to VARDEN";
inline constexpr std::string_view downloading_names_text =
    "Downloading NAME/NOMINAL/NUM to VARDEN ...";
inline constexpr std::string_view downloaded_names_text = "Downloaded NAME/NOMINAL/NUM to VARDEN";

// "Can't find " + the description file name.
std::string cant_find_text(std::string_view file_name);

// The progress text while image block `block` (1 and up) is sent: "...VARDEN ...7".
std::string downloading_block_text(int block);

// "Size of one side is too big:" + side number + "," + size in bytes.
std::string side_too_big_text(int side, std::uint32_t size);

// A made file that cannot be read as image data: "Wrong format of " + name + ", see line " + n.
std::string wrong_made_file_text(std::string_view file_name, int line);
