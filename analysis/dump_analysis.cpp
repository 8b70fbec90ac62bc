#include "analysis/dump_analysis.h"

#include "files/folder_files.h"
#include "formats/device_messages.h"
#include "formats/dump_file.h"
#include "formats/text_fields.h"

namespace {

// A group is taken as the smallest only when its sum lies below this start value.
constexpr std::uint32_t smallest_sum_start = 0x40000;
constexpr std::size_t sides_per_kind = 4;

std::string number_column(int number) {
    return number_field(number, 7, FieldAlign::centre, 5);
}

std::string distance_columns(const DumpValues& values) {
    return number_field(values.r, 7, FieldAlign::centre) +
           number_field(values.g, 7, FieldAlign::centre) +
           number_field(values.b, 7, FieldAlign::centre) +
           number_field(values.ir, 7, FieldAlign::centre);
}

// A channel value that failed its check is marked with "*" in front.
std::string marked_column(std::uint16_t value, bool failed) {
    return std::string(1, failed ? '*' : ' ') + number_field(value, 5, FieldAlign::centre) + " ";
}

void take_group(const DistanceGroup& group, DumpValues& values) {
    values.r = group.r;
    values.g = group.g;
    values.b = group.b;
    values.ir = group.ir;
}

std::string text_of(const std::string& stored) {
    return printable_text(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size());
}

// The group with the smallest R + G + B + IR among the first `group_count`; the earliest wins a
// tie. Groups cut off by the end of the dump take no part; with none, all distances are 0.
DistanceGroup smallest_group(const std::uint8_t* dump, std::size_t length,
                             std::size_t group_count) {
    DistanceGroup smallest;
    std::uint32_t smallest_sum = smallest_sum_start;
    for (std::size_t i = 0; i < group_count; ++i) {
        DistanceGroup group;
        if (!read_distance_group(dump, length, i, group))
            break;
        const std::uint32_t sum = std::uint32_t{group.r} + group.g + group.b + group.ir;
        if (sum < smallest_sum) {
            smallest_sum = sum;
            smallest = group;
        }
    }
    return smallest;
}

// The 7-character currency text: name, "." and extension, or name and four blanks when there
// is no extension.
std::string currency_text(const std::string& name, const std::string& extension) {
    if (extension.empty())
        return name + "    ";
    return name + "." + extension;
}

} // namespace

DumpValues dump_values(const std::uint8_t* dump, std::size_t length) {
    const DumpFields fields = read_dump_fields(dump, length);
    DumpValues values;
    values.uvl = fields.uvl;
    if ((fields.flags & dump_flag_uvl_only) != 0) {
        values.shows = DumpValues::Shows::uvl_only;
        return values;
    }
    if ((fields.flags & dump_flag_unrecognised) != 0) {
        values.shows = DumpValues::Shows::unrecognised;
        take_group(smallest_group(dump, length, sides_per_kind * fields.kind_index), values);
        return values;
    }
    DistanceGroup group; // stays 0 when the group lies beyond the end of the dump
    read_distance_group(dump, length, sides_per_kind * fields.kind_index + fields.side_index,
                        group);
    take_group(group, values);
    values.name = text_of(fields.name);
    values.extension = fields.extension == "   " ? std::string() : text_of(fields.extension);
    values.denomination = fields.denomination;
    values.side = fields.side_index + 1;
    values.cmp = fields.cmp;
    values.uv = fields.uv;
    values.mag = fields.mag;
    values.pql = fields.pql;
    values.pqs = fields.pqs;
    values.cmp_failed = (fields.flags & dump_flag_cmp_failed) != 0;
    values.uv_failed = (fields.flags & dump_flag_uv_failed) != 0;
    values.mag_failed = (fields.flags & dump_flag_mag_failed) != 0;
    values.pqs_failed = (fields.flags & dump_flag_pqs_failed) != 0;
    return values;
}

std::string analyse_dump(int number, const std::uint8_t* dump, std::size_t length) {
    const DumpValues values = dump_values(dump, length);
    switch (values.shows) {
    case DumpValues::Shows::uvl_only:
        return number_column(number) + std::string(52, ' ') +
               number_field(values.uvl, 5, FieldAlign::centre);
    case DumpValues::Shows::unrecognised:
        return number_column(number) + std::string(24, ' ') + distance_columns(values);
    case DumpValues::Shows::recognised: break;
    }
    return number_column(number) + "  " + currency_text(values.name, values.extension) + "  " +
           number_field(values.denomination, 6, FieldAlign::centre_right) + "    " +
           number_field(values.side, 1, FieldAlign::centre) + "  " + distance_columns(values) +
           number_field(values.uvl, 5, FieldAlign::centre) +
           marked_column(values.cmp, values.cmp_failed) +
           marked_column(values.uv, values.uv_failed) +
           marked_column(values.mag, values.mag_failed) +
           number_field(values.pql, 5, FieldAlign::centre) +
           marked_column(values.pqs, values.pqs_failed);
}

std::string analyse_dump_file(const std::string& folder, int number) {
    std::vector<std::uint8_t> bytes;
    read_file_bytes(path_in(folder, dump_file_name(number)), memory_dump_size, bytes);
    return analyse_dump(number, bytes.data(), bytes.size());
}

std::vector<std::string> analyse_dump_files(const std::string& folder,
                                            const std::vector<int>& numbers) {
    std::vector<std::string> lines;
    lines.reserve(numbers.size());
    for (int number : numbers)
        lines.push_back(analyse_dump_file(folder, number));
    return lines;
}
