// A sample file of any name and content as varden_samples reads it: the name split into its
// prefix and banknote fields, the content judged and kept within its bounds, the envelope
// band of it as the only file.
//
// Input: the name's length (1 byte), the name, then the file's content.
#include "samples/sample_reading.h"
#include "samples/sample_sides.h"
#include "samples/sample_views.h"
#include "samples/side_samples.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size};
    const std::vector<std::uint8_t> name_bytes = input.take_bytes(input.take_byte());
    const std::string name(name_bytes.begin(), name_bytes.end());
    const std::vector<std::uint8_t> content = input.take_bytes(input.remaining());

    std::string prefix;
    int number = -1;
    if (split_sample_file_name(name, prefix, number)) {
        FUZZ_CHECK(name.compare(0, prefix.size(), prefix) == 0 && prefix.back() == '_');
        FUZZ_CHECK(number >= 0);
        const PrefixFields fields = prefix_fields(prefix);
        const std::string side_end = fields.side + "_";
        FUZZ_CHECK(fields.side.empty() || (prefix.size() > side_end.size() &&
                                           prefix.compare(prefix.size() - side_end.size(),
                                                          side_end.size(), side_end) == 0));
        FUZZ_CHECK(fields.name.size() + fields.ext.size() + fields.nominal.size() +
                       fields.side.size() <=
                   prefix.size());
    }

    const SampleFile file = sample_file_of(content);
    FUZZ_CHECK(file.data.size() == std::min(content.size(), sample_data_size));
    FUZZ_CHECK(file.size == std::min(content.size(), sample_buffer_size + 1));
    FUZZ_CHECK(sample_file_note(file).empty() == (file.state == SampleFileState::complete));

    Envelope envelope;
    reset_envelope(envelope);
    add_to_envelope(envelope, file.data);
    std::size_t covered = 0;
    std::size_t previous_end = 0;
    const std::vector<std::size_t> file_order = view_panels(SampleView::file_order)[0].bytes;
    for (const PositionRange& range : envelope_ranges(envelope, file_order)) {
        FUZZ_CHECK(range.first >= previous_end && range.first < range.end &&
                   range.end <= sample_data_size);
        covered += range.end - range.first;
        previous_end = range.end;
    }
    FUZZ_CHECK(covered == file.data.size());
    return 0;
}
