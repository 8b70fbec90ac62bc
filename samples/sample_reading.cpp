#include "samples/sample_reading.h"

#include "files/folder_files.h"
#include "formats/sample_file.h"

#include <algorithm>
#include <span>

namespace {

// One byte beyond a sample buffer is enough to know that a file is longer.
constexpr std::size_t read_limit = sample_buffer_size + 1;

} // namespace

SampleFile sample_file_of(const std::vector<std::uint8_t>& bytes) {
    SampleFile file;
    file.size = std::min(bytes.size(), read_limit);
    file.data.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                        std::min(file.size, sample_data_size)));
    if (file.size < sample_buffer_size)
        file.state = SampleFileState::short_file;
    else if (file.size > sample_buffer_size)
        file.state = SampleFileState::long_file;
    else if (!sample_checksum_ok(std::span(bytes.data(), sample_buffer_size)))
        file.state = SampleFileState::wrong_sum;
    else
        file.state = SampleFileState::complete;
    return file;
}

SampleFile read_sample_file(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!read_file_bytes(path, read_limit, bytes))
        return {};
    return sample_file_of(bytes);
}

std::string sample_file_note(const SampleFile& file) {
    switch (file.state) {
    case SampleFileState::complete: return "";
    case SampleFileState::short_file:
        return "short: " + std::to_string(file.size) + " of " + std::to_string(sample_buffer_size) +
               " bytes";
    case SampleFileState::long_file:
        return "not a sample: longer than " + std::to_string(sample_buffer_size) + " bytes";
    case SampleFileState::wrong_sum: return "sum does not match the data";
    case SampleFileState::unreadable: return "cannot be read";
    }
    return "";
}
