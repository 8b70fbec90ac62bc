// The file operations every subsystem uses, over an explicit folder so that tests run in a
// folder of their own. The program passes "." (the working folder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Every text file the program writes ends its lines with CR LF, so that files move between
// platforms unchanged; the readers take CR LF and LF alike.
inline constexpr const char* line_end = "\r\n";

// What a file's name takes while it is written, before it is renamed to its own name.
inline constexpr const char* temporary_suffix = ".tmp";

// `folder` + "/" + `name`.
std::string path_in(const std::string& folder, const std::string& name);

// The names of the regular files in `folder` (no order); empty when it cannot be read.
std::vector<std::string> list_folder(const std::string& folder);

// The names in `names` that end in `extension` (".dnl"), sorted by the byte order of their
// upper-cased forms, so that listings do not depend on the file system.
std::vector<std::string> names_with_extension(const std::vector<std::string>& names,
                                              const std::string& extension);

// A listed file's name as the lists show it: up to its first ".", at most 30 characters.
std::string listing_name(const std::string& file_name);

// The number a file's name begins with: its leading decimal digits (0 when there are none),
// saturating at `ceiling`.
int leading_number(std::string_view name, int ceiling);

// 1 when `path` names an existing file.
int file_exists(const std::string& path);

// Reads at most `limit` bytes from the start of `path` into `bytes`. 1 when the file could be
// opened and read, 0 otherwise (`bytes` is then empty).
int read_file_bytes(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes);

// Reads a whole text file. 1 when it could be read, 0 otherwise.
int read_text_file(const std::string& path, std::string& text);

// Writes `bytes` completely to `temporary_path`, flushes it to disk and renames it over
// `path` in one step. 1 when `path` now holds exactly `bytes`; 0 when the temporary file could
// not be written completely, -1 when it could not be renamed. On failure `path` is left as it
// was and the temporary file is removed.
int write_file_atomically(const std::string& path, const std::string& temporary_path,
                          const void* bytes, std::size_t size);

// The same with the temporary name `path` + ".tmp"; 1 on success, 0 or -1 on failure.
int write_file_atomically(const std::string& path, const std::string& contents);
