#include "samples/side_samples.h"

#include "files/folder_files.h"
#include "formats/sample_names.h"
#include "samples/sample_moves.h"
#include "samples/sample_sides.h"

#include <dirent.h>

namespace {

// The files `file_names` of `files_folder` with their distances from the side's envelope.
void read_samples(SideSamples& side, const std::string& files_folder,
                  const std::vector<std::string>& file_names) {
    for (const std::string& name : file_names) {
        SideSample sample;
        sample.file_name = name;
        sample.number = sample_number_of(name);
        sample.file = read_sample_file(path_in(files_folder, name));
        sample.distance =
            side.has_envelope ? distance_from_envelope(sample.file.data, side.envelope) : 0;
        side.samples.push_back(std::move(sample));
    }
}

SideSamples side_with_envelope(const std::string& folder, const std::string& prefix,
                               const std::vector<std::string>& folder_names) {
    SideSamples side;
    side.prefix = prefix;
    // The envelope of the side once: the control program's own, so that both always agree.
    side.has_envelope = side_envelope(side.envelope, prefix, folder, folder_names) == 1;
    return side;
}

} // namespace

SideSamples load_side(const std::string& folder, const std::string& prefix,
                      const std::vector<std::string>& folder_names) {
    SideSamples side = side_with_envelope(folder, prefix, folder_names);
    read_samples(side, folder, side_file_names(prefix, folder_names));
    return side;
}

SideSamples load_set_aside(const std::string& folder, const std::string& prefix,
                           const std::vector<std::string>& folder_names) {
    SideSamples side = side_with_envelope(folder, prefix, folder_names);
    read_samples(side, set_aside_folder(folder), set_aside_names(folder, prefix));
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

int write_side_list(const std::string& folder, const std::string& prefix, bool set_aside,
                    std::ostream& out, std::ostream& errors) {
    if (!folder_readable(folder)) {
        errors << "varden_samples: cannot read the folder " << folder << "\n";
        return 1;
    }
    const std::vector<std::string> names = list_folder(folder);
    const SideSamples side =
        set_aside ? load_set_aside(folder, prefix, names) : load_side(folder, prefix, names);
    if (side.samples.empty()) {
        errors << "varden_samples: no sample files " << prefix << "N.bin in "
               << (set_aside ? set_aside_folder(folder) : folder) << "\n";
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
