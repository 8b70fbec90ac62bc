#include "files/file_texts.h"

std::string cant_find_text(std::string_view file_name) {
    return "Can't find " + std::string(file_name);
}

std::string cant_write_text(std::string_view file_name) {
    return "Can't write " + std::string(file_name);
}

std::string overwrite_question_text(std::string_view name) {
    return std::string(name) + " is already exist. Ovewrite? Press <Enter> for ovewrite.";
}
