// The samples of one side as the control program judges them: each file's distance from the
// envelope that an arriving sample of that side is compared with, and the "--list" lines.
#pragma once

#include "formats/sample_file.h"
#include "samples/sample_reading.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct SideSample {
    std::string file_name;
    int number = 0;
    SampleFile file;
    std::int32_t distance = 0;
};

struct SideSamples {
    std::string prefix;
    std::vector<SideSample> samples; // ordered by number
    // Whether ten files numbered 1..999 exist: only then does the control program compare an
    // arriving sample with `envelope` (every distance is 0 before).
    bool has_envelope = false;
    Envelope envelope;
};

// Reads the sample files of `prefix` in `folder` (`folder_names` is its listing).
SideSamples load_side(const std::string& folder, const std::string& prefix,
                      const std::vector<std::string>& folder_names);

// The samples of `prefix` set aside in `folder`, with their distances from the envelope of the
// working folder: the distance each would have arriving now.
SideSamples load_set_aside(const std::string& folder, const std::string& prefix,
                           const std::vector<std::string>& folder_names);

// Whether the control program would ask the technician about a sample this far out.
bool beyond_limit(std::int32_t distance);

// One "--list" line: the file name, one blank, the distance in decimal, "\n".
std::string list_line(const SideSample& sample);

// A stretch first..end-1 of positions.
struct PositionRange {
    std::size_t first = 0;
    std::size_t end = 0;
};

// The stretches of positions of a chart drawing `bytes` (the byte index at each position) that
// at least one envelope file reaches (minimum not above maximum); positions beyond the shorter
// files form no band.
std::vector<PositionRange> envelope_ranges(const Envelope& envelope,
                                           const std::vector<std::size_t>& bytes);

// "--list PREFIX": the lines of the side to `out` (with `set_aside`: of its samples set aside),
// notes on files that are not complete sample buffers to `errors`. 0 when every file was read,
// 1 when the folder cannot be read, it has no file of `prefix`, or a file cannot be read (its
// line is left out).
int write_side_list(const std::string& folder, const std::string& prefix, bool set_aside,
                    std::ostream& out, std::ostream& errors);

// 1 when the entries of `folder` can be listed.
int folder_readable(const std::string& folder);
