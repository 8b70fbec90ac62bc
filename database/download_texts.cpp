#include "database/download_texts.h"

std::string cant_find_text(std::string_view file_name) {
    return "Can't find " + std::string(file_name);
}

std::string downloading_block_text(int block) {
    return std::string(downloading_images_text) + std::to_string(block);
}

std::string side_too_big_text(int side, std::uint32_t size) {
    return "Size of one side is too big:" + std::to_string(side) + "," + std::to_string(size);
}

std::string wrong_made_file_text(std::string_view file_name, int line) {
    return "Wrong format of " + std::string(file_name) + ", see line " + std::to_string(line);
}
