// Result files: the ".res" files of the results table (one table line per text line, CR LF
// on disk, nothing else), the start-up file "ZELK_CON.TMP", and the status texts of "New RES
// file" (its names follow files/typed_names.h). Files live in an explicit folder; the program
// passes "." (the working folder).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The results file made (empty) at start-up, so results arriving before a RES file is chosen
// are kept.
inline constexpr const char* startup_results_file_name = "ZELK_CON.TMP";
inline constexpr const char* res_extension = ".res";

// Status texts. The red ones (show_status_error) are those of refusals and failures.
inline constexpr const char* refused_res_name_text = "Wrong RES file name";
inline constexpr const char* res_names_full_text = "Too many RES files";

// `name` + ".res".
std::string res_file_name(std::string_view name);

// The table lines of a results file's contents. Lines end with LF or CR LF; a last line
// without a line end is a line too; a line of any length stays whole; NUL and other control
// bytes show as blanks.
std::vector<std::string> parse_results_file(std::string_view contents);

// Reads the results file `file_name` of `folder` into `lines`. 1 when it could be read, 0
// when not (`lines` is then empty: show cant_find_text(file_name) of files/file_texts.h,
// "Can't find <name>.res").
int read_results_file(const std::string& folder, const std::string& file_name,
                      std::vector<std::string>& lines);

// Opens the results file `file_name` of `folder` for appending: `create` true makes it empty
// (a new RES file, "ZELK_CON.TMP"), false opens an existing one without creating it. nullptr
// when it cannot be opened (an existing one: show cant_find_text(file_name)). The caller
// closes it with std::fclose.
std::FILE* open_results_file(const std::string& folder, const std::string& file_name, bool create);

// Appends `line` and CR LF at the end of `file` and flushes it, so what the table shows is on
// disk. After a last line without a line end, CR LF goes first. 1 written; 0 the write failed (show
// cant_write_text); -1 no file is open (nothing is stored).
int append_results_line(std::FILE* file, std::string_view line);
