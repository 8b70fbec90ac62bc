// The files of the control program's working folder: what it reads and writes there, so that
// nothing else (a traffic log) takes one of them. Pure.
#pragma once

#include <string_view>

// The folder the control program reads and writes its files in: the one it was started in.
inline constexpr const char* working_folder = ".";

// Whether `name` is one the program reads or writes in its working folder: sample files
// (*.bin), description files (*.dnl), result files (*.res), dumps (*.ram), uploads (*.UPL),
// the temporaries of all of them (*.tmp, ZELK.TMP, ZELK_CON.TMP) and the ports' entries COMk.
bool is_control_program_file(std::string_view name);
