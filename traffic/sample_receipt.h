// What the window does with the two sample messages of the device, as plain functions: the
// texts of a sample buffer the selected row cannot take, and the listing of the stored sample
// files ("*.bin") that the device's requests walk through, one file a request.
#pragma once

#include "formats/sample_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The error shown for a sample buffer whose row lacks a name or a nominal
// (`sampling_target_state` 1, 2 or 3); nullptr for state 0, which stores the sample.
const char* wrong_target_text(int sampling_target_state);

// The sample files in the order the requests send them, and the one the next request sends.
// The listing is taken once, at start-up; once exhausted it stays so until the program ends.
struct SampleListing {
    std::vector<std::string> names;
    std::size_t current = 0;
    // The name the panel shows: the current file, or the last one sent once exhausted ("" when
    // there was none).
    std::string shown_name;
};

// The "*.bin" files of a folder listing, sorted.
SampleListing sample_listing_of(const std::vector<std::string>& folder_names);

// 1 while a file is left for the next request (`has_current_file`).
int has_current_file(const SampleListing& listing);

struct StoredSampleReply {
    std::array<std::uint8_t, sample_buffer_size> bytes{};
    std::string name;   // shown in the sample-file panel before the bytes are sent
    bool ended = false; // no file follows: the panel then shows name + " END"
};

// Answers one request: the current file of `folder` (its first 1566 bytes, zeros after a
// shorter file's end; all zeros when there is no file left or it cannot be read), and moves the
// listing on.
StoredSampleReply next_stored_sample(SampleListing& listing, const std::string& folder);
