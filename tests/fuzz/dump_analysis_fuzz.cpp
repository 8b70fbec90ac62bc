// The analysis line of memory dumps of any length and content (any flags and kinds, cut
// short or longer than a dump) under any dump number: the line keeps its columns.
//
// Input: the dump number (4 bytes), a mode byte, then the dump: with bit 0 of the mode the
// rest of the input at its own length, else the rest zero-filled or cut to 16048 bytes.
#include "analysis/dump_analysis.h"
#include "formats/device_messages.h"
#include "tests/fuzz/fuzz_input.h"

#include <climits>
#include <string>

namespace {

// The widths of the three forms of the line: UVL only, unrecognised, recognised.
constexpr std::size_t uvl_only_line_size = 64;
constexpr std::size_t unrecognised_line_size = 59;
constexpr std::size_t recognised_line_size = 97;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size};
    const int number = static_cast<int>(input.take_u32() & INT_MAX);
    const bool own_length = (input.take_byte() & 1) != 0;
    const std::vector<std::uint8_t> dump =
        input.take_bytes(own_length ? input.remaining() : memory_dump_size);

    const std::string line = analyse_dump(number, dump.data(), dump.size());
    FUZZ_CHECK(is_printable(line));
    FUZZ_CHECK(line.size() == uvl_only_line_size || line.size() == unrecognised_line_size ||
               line.size() == recognised_line_size);

    const DumpFields fields = read_dump_fields(dump.data(), dump.size());
    FUZZ_CHECK(fields.name.size() == 3 && fields.extension.size() == 3);
    FUZZ_CHECK(fields.denomination < (1u << 20));
    for (std::size_t index = 0; index <= dump_distance_group_capacity; ++index) {
        DistanceGroup group;
        const bool inside = read_distance_group(dump.data(), dump.size(), index, group);
        // The table ends where a dump ends: an input longer than a dump holds no more groups.
        const std::size_t end = dump_distance_table_offset + (index + 1) * dump_distance_group_size;
        FUZZ_CHECK(inside == (index < dump_distance_group_capacity && end <= dump.size()));
    }
    return 0;
}
