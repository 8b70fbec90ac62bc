// Sample files: the 1566 bytes of a sample buffer exactly as the device sent them (1562 data
// bytes, then their unsigned 32-bit little-endian sum), and the envelope (per-position
// minimum and maximum) over a set of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr std::size_t sample_buffer_size = 1566;
inline constexpr std::size_t sample_data_size = 1562;
inline constexpr std::size_t envelope_size = 2048;
// The envelope a new sample is compared with: the ten lowest existing numbers up to 999.
inline constexpr int envelope_file_count = 10;
inline constexpr int envelope_highest_number = 999;
// Above this distance a new sample is a "Wrong image of banknote" and the technician decides.
inline constexpr std::int32_t wrong_image_distance = 150000;

struct Envelope {
    std::array<std::uint8_t, envelope_size> minimum;
    std::array<std::uint8_t, envelope_size> maximum;
};

// Minimum 0xFF and maximum 0x00 everywhere: the envelope of no file.
void reset_envelope(Envelope& envelope);

// Lowers the minimum and raises the maximum at every position of `bytes` (at most the first
// 2048 count).
void add_to_envelope(Envelope& envelope, std::span<const std::uint8_t> bytes);

// Adds the files `sample_file_name(prefix, k)` of `folder` for every k of `numbers`. Returns
// how many could be read; a file that cannot be opened is skipped.
int add_sample_files_to_envelope(Envelope& envelope, const std::string& folder,
                                 const std::string& prefix, const std::vector<int>& numbers);

// The envelope an arriving sample of `prefix` is compared with: that of the ten lowest-numbered
// existing files `prefix` + 1..999 + ".bin" of `folder` (`names` is its listing). 1 when ten
// exist; 0 otherwise (`envelope` is then the envelope of no file).
int side_envelope(Envelope& envelope, const std::string& prefix, const std::string& folder,
                  const std::vector<std::string>& names);

// The squared distance of `sample` (its first 1562 bytes) from `envelope`: the sum of the
// squares of its excursions above the maximum and below the minimum of each position.
std::int32_t distance_from_envelope(std::span<const std::uint8_t> sample, const Envelope& envelope);

// `envelope_distance`: the squared distance of `sample` (its first 1562 bytes) from the
// envelope of the ten lowest-numbered existing files `prefix` + 1..999 + ".bin" of `folder`
// (`names` is its listing). 0 when fewer than ten exist.
std::int32_t envelope_distance(std::span<const std::uint8_t> sample, const std::string& prefix,
                               const std::string& folder, const std::vector<std::string>& names);

// The sum of bytes 0..1561 of a sample buffer.
std::uint32_t sample_sum(std::span<const std::uint8_t> buffer);

// True when `buffer` is 1566 bytes long and its last four bytes hold the little-endian sum of
// the 1562 before them.
bool sample_checksum_ok(std::span<const std::uint8_t> buffer);

// `write_sample_file`: writes the 1566 bytes of `buffer` (checksum included) as `path`,
// complete or not at all. 1 on success; 0 when `buffer` is shorter than 1566 bytes or the file
// cannot be written (nothing is then left under `path`).
int write_sample_file(const std::string& path, std::span<const std::uint8_t> buffer);

// The 1566 bytes sent back when the device asks for a stored sample: the start of the file,
// zeros after its end (or everywhere when it cannot be read). Longer files are cut. 1 when
// the file was read.
int load_stored_sample(const std::string& path,
                       std::array<std::uint8_t, sample_buffer_size>& reply);
