#include "formats/sample_file.h"

#include "files/folder_files.h"
#include "formats/sample_names.h"

#include <algorithm>

void reset_envelope(Envelope& envelope) {
    envelope.minimum.fill(0xFF);
    envelope.maximum.fill(0x00);
}

void add_to_envelope(Envelope& envelope, std::span<const std::uint8_t> bytes) {
    const std::size_t count = std::min(bytes.size(), envelope_size);
    for (std::size_t i = 0; i < count; ++i) {
        envelope.minimum[i] = std::min(envelope.minimum[i], bytes[i]);
        envelope.maximum[i] = std::max(envelope.maximum[i], bytes[i]);
    }
}

int add_sample_files_to_envelope(Envelope& envelope, const std::string& folder,
                                 const std::string& prefix, const std::vector<int>& numbers) {
    int used = 0;
    std::vector<std::uint8_t> bytes;
    for (const int number : numbers) {
        if (!read_file_bytes(path_in(folder, sample_file_name(prefix, number)), envelope_size,
                             bytes))
            continue;
        add_to_envelope(envelope, bytes);
        ++used;
    }
    return used;
}

int side_envelope(Envelope& envelope, const std::string& prefix, const std::string& folder,
                  const std::vector<std::string>& names) {
    reset_envelope(envelope);
    std::vector<int> numbers = existing_sample_numbers(prefix, names, 1, envelope_highest_number);
    if (numbers.size() < static_cast<std::size_t>(envelope_file_count))
        return 0;
    numbers.resize(envelope_file_count);
    add_sample_files_to_envelope(envelope, folder, prefix, numbers);
    return 1;
}

std::int32_t distance_from_envelope(std::span<const std::uint8_t> sample,
                                    const Envelope& envelope) {
    std::int32_t distance = 0; // at most 1562 * 255 * 255, well inside 32 bits
    const std::size_t count = std::min(sample.size(), sample_data_size);
    for (std::size_t i = 0; i < count; ++i) {
        const int value = sample[i];
        // Both excursions count on their own: where no envelope file reaches (minimum still
        // 0xFF, maximum 0x00) a byte lies above the one and below the other.
        if (value > envelope.maximum[i])
            distance += (value - envelope.maximum[i]) * (value - envelope.maximum[i]);
        if (value < envelope.minimum[i])
            distance += (envelope.minimum[i] - value) * (envelope.minimum[i] - value);
    }
    return distance;
}

std::int32_t envelope_distance(std::span<const std::uint8_t> sample, const std::string& prefix,
                               const std::string& folder, const std::vector<std::string>& names) {
    Envelope envelope;
    if (!side_envelope(envelope, prefix, folder, names))
        return 0;
    return distance_from_envelope(sample, envelope);
}

std::uint32_t sample_sum(std::span<const std::uint8_t> buffer) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < std::min(buffer.size(), sample_data_size); ++i)
        sum += buffer[i];
    return sum;
}

bool sample_checksum_ok(std::span<const std::uint8_t> buffer) {
    if (buffer.size() != sample_buffer_size)
        return false;
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < 4; ++i)
        stored |= static_cast<std::uint32_t>(buffer[sample_data_size + i]) << (8 * i);
    return stored == sample_sum(buffer);
}

int write_sample_file(const std::string& path, std::span<const std::uint8_t> buffer) {
    if (buffer.size() < sample_buffer_size)
        return 0;
    return write_file_atomically(path, path + temporary_suffix, buffer.data(),
                                 sample_buffer_size) == 1
               ? 1
               : 0;
}

int load_stored_sample(const std::string& path,
                       std::array<std::uint8_t, sample_buffer_size>& reply) {
    reply.fill(0);
    std::vector<std::uint8_t> bytes;
    if (!read_file_bytes(path, sample_buffer_size, bytes))
        return 0;
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    return 1;
}
