// The ANALYSIS page: one analysis line per memory dump under the columns Num, Currency, Value,
// Side, R, G, B, IR, UVL, CMP, UV, MAG, PQL and PQS, the number of the last dump file, and the
// byte count of a long message being received.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ClassListBox;
class ClassSimpleGraphics;

// The highest dump number in use: the next dump is written as counter + 1.
extern int memory_dump_counter;
// The lines the analysis list shows, at most dump_lines_capacity (formats/dump_file.h).
extern std::vector<std::string> dump_lines;

extern ClassListBox* analysis_list;
// "Max bin file number :" panel: the number of the last dump file.
extern ClassSimpleGraphics* max_number_panel;

// Creates the page's controls, analyses the dump files of the working folder and adds the
// controls to the ANALYSIS set.
void build_analysis_page();

// A memory dump received from the device: kept as the next numbered dump file, and its line
// added to the list and selected.
void on_memory_dump(const std::uint8_t* dump, std::size_t length);
