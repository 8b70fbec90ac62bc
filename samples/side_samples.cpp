#include "samples/side_samples.h"

#include "database/sample_names.h"
#include "files/folder_files.h"
#include "samples/sample_sides.h"

#include <dirent.h>

SideSamples load_side(const std::string& folder, const std::string& prefix,
                      const std::vector<std::string>& folder_names) {
    SideSamples side;
    side.prefix = prefix;
    // The envelope of the side once: the control program's own, so that both always agree.
    side.has_envelope = side_envelope(side.envelope, prefix, folder, folder_names) == 1;
    for (const std::string& name : side_file_names(prefix, folder_names)) {
        SideSample sample;
        sample.file_name = name;
        sample.number = sample_number_of(name);
        sample.file = read_sample_file(path_in(folder, name));
        sample.distance =
            side.has_envelope ? distance_from_envelope(sample.file.data, side.envelope) : 0;
        side.samples.push_back(std::move(sample));
    }
    return side;
}

bool beyond_limit(std::int32_t distance) {
    return distance > wrong_image_distance;
}

std::string list_line(const SideSample& sample) {
    return sample.file_name + " " + std::to_string(sample.distance) + "\n";
}

std::vector<PositionRange> envelope_ranges(const Envelope& envelope,
                                           const std::vector<std::size_t>& bytes) {
    std::vector<PositionRange> ranges;
    for (std::size_t position = 0; position < bytes.size(); ++position) {
        const std::size_t byte = bytes[position];
        if (byte >= sample_data_size || envelope.minimum[byte] > envelope.maximum[byte])
            continue;
        if (ranges.empty() || ranges.back().end != position)
            ranges.push_back({position, position});
        ranges.back().end = position + 1;
    }
    return ranges;
}

int write_side_list(const std::string& folder, const std::string& prefix, std::ostream& out,
                    std::ostream& errors) {
    if (!folder_readable(folder)) {
        errors << "varden_samples: cannot read the folder " << folder << "\n";
        return 1;
    }
    const SideSamples side = load_side(folder, prefix, list_folder(folder));
    if (side.samples.empty()) {
        errors << "varden_samples: no sample files " << prefix << "N.bin in " << folder << "\n";
        return 1;
    }
    int result = 0;
    for (const SideSample& sample : side.samples) {
        const std::string note = sample_file_note(sample.file);
        if (!note.empty())
            errors << "varden_samples: " << sample.file_name << ": " << note << "\n";
        if (sample.file.state == SampleFileState::unreadable)
            result = 1;
        else
            out << list_line(sample);
    }
    return result;
}

int folder_readable(const std::string& folder) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr)
        return 0;
    ::closedir(directory);
    return 1;
}
