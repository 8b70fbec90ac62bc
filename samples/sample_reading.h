// Reading one sample file into a bounded buffer, whatever lies in the folder: a file may be
// short, too long, carry a wrong sum, or not open at all. What it has is still drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class SampleFileState {
    complete, // 1566 bytes whose sum matches
    short_file,
    long_file, // more than 1566 bytes: not a sample buffer
    wrong_sum,
    unreadable,
};

struct SampleFile {
    SampleFileState state = SampleFileState::unreadable;
    std::size_t size = 0;           // bytes read: at most 1566 + 1
    std::vector<std::uint8_t> data; // the sample data the file has: at most 1562 bytes
};

// Reads at most 1567 bytes of `path`: enough to tell a sample buffer from a longer file.
SampleFile read_sample_file(const std::string& path);

// Judges the bytes read from the start of a file (at most 1567 are looked at).
SampleFile sample_file_of(const std::vector<std::uint8_t>& bytes);

// The note shown beside a file that is not a complete sample buffer; "" for a complete one.
std::string sample_file_note(const SampleFile& file);
