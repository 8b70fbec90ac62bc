#include "formats/device_messages.h"

#include <algorithm>

namespace {

// Offsets of the dump fields.
constexpr std::size_t flags_at = 4;
constexpr std::size_t kind_index_at = 22;
constexpr std::size_t side_index_at = 24;
constexpr std::size_t uvl_at = 32;
constexpr std::size_t pql_at = 44;
constexpr std::size_t uv_at = 92;
constexpr std::size_t cmp_at = 94;
constexpr std::size_t mag_at = 96;
constexpr std::size_t pqs_at = 98;
constexpr std::size_t name_at = 127;
constexpr std::size_t extension_at = 130;
constexpr std::size_t denomination_at = 133;
constexpr std::size_t text_field_size = 3;

// Offsets of the session result tables.
constexpr std::size_t session_count_at = 0;
constexpr std::size_t session_codes_at = 2;
constexpr std::size_t session_code_stride = 6;
constexpr std::size_t session_pieces_at = 722;
constexpr std::size_t session_totals_at = 962;

// Little-endian number of `size` bytes at `offset`; bytes at or beyond `length` count as 0.
std::uint32_t read_number(const std::uint8_t* bytes, std::size_t length, std::size_t offset,
                          std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (offset + i < length)
            value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    }
    return value;
}

std::string read_text(const std::uint8_t* bytes, std::size_t length, std::size_t offset) {
    std::string text(text_field_size, ' ');
    for (std::size_t i = 0; i < text_field_size && offset + i < length; ++i)
        text[i] = static_cast<char>(bytes[offset + i]);
    return text;
}

void write_number(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t size,
                  std::uint32_t value) {
    for (std::size_t i = 0; i < size; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void write_text(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& text) {
    for (std::size_t i = 0; i < text_field_size; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

} // namespace

DumpFields read_dump_fields(const std::uint8_t* dump, std::size_t length) {
    DumpFields fields;
    fields.flags = static_cast<std::uint16_t>(read_number(dump, length, flags_at, 2));
    fields.kind_index = static_cast<std::uint8_t>(read_number(dump, length, kind_index_at, 1));
    fields.side_index = static_cast<std::uint8_t>(read_number(dump, length, side_index_at, 1));
    fields.uvl = static_cast<std::uint8_t>(read_number(dump, length, uvl_at, 1));
    fields.pql = static_cast<std::uint8_t>(read_number(dump, length, pql_at, 1));
    fields.uv = static_cast<std::uint16_t>(read_number(dump, length, uv_at, 2));
    fields.cmp = static_cast<std::uint16_t>(read_number(dump, length, cmp_at, 2));
    fields.mag = static_cast<std::uint16_t>(read_number(dump, length, mag_at, 2));
    fields.pqs = static_cast<std::uint16_t>(read_number(dump, length, pqs_at, 2));
    fields.name = read_text(dump, length, name_at);
    fields.extension = read_text(dump, length, extension_at);
    // 20 bits: the low nibble of the first byte is the high part, then the low and middle bytes.
    fields.denomination = ((read_number(dump, length, denomination_at, 1) & 0x0F) << 16) |
                          read_number(dump, length, denomination_at + 1, 2);
    return fields;
}

bool read_distance_group(const std::uint8_t* dump, std::size_t length, std::size_t index,
                         DistanceGroup& group) {
    if (index >= dump_distance_group_capacity)
        return false;
    const std::size_t at = dump_distance_table_offset + index * dump_distance_group_size;
    if (at + dump_distance_group_size > length)
        return false;
    group.r = static_cast<std::uint16_t>(read_number(dump, length, at, 2));
    group.g = static_cast<std::uint16_t>(read_number(dump, length, at + 2, 2));
    group.b = static_cast<std::uint16_t>(read_number(dump, length, at + 4, 2));
    group.ir = static_cast<std::uint16_t>(read_number(dump, length, at + 6, 2));
    return true;
}

std::vector<std::uint8_t> build_memory_dump(const DumpFields& fields,
                                            const std::vector<DistanceGroup>& groups) {
    std::vector<std::uint8_t> dump(memory_dump_size, 0);
    write_number(dump, flags_at, 2, fields.flags);
    write_number(dump, kind_index_at, 1, fields.kind_index);
    write_number(dump, side_index_at, 1, fields.side_index);
    write_number(dump, uvl_at, 1, fields.uvl);
    write_number(dump, pql_at, 1, fields.pql);
    write_number(dump, uv_at, 2, fields.uv);
    write_number(dump, cmp_at, 2, fields.cmp);
    write_number(dump, mag_at, 2, fields.mag);
    write_number(dump, pqs_at, 2, fields.pqs);
    write_text(dump, name_at, fields.name);
    write_text(dump, extension_at, fields.extension);
    write_number(dump, denomination_at, 1, (fields.denomination >> 16) & 0x0F);
    write_number(dump, denomination_at + 1, 2, fields.denomination & 0xFFFF);
    const std::size_t count = std::min(groups.size(), dump_distance_group_capacity);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = dump_distance_table_offset + i * dump_distance_group_size;
        write_number(dump, at, 2, groups[i].r);
        write_number(dump, at + 2, 2, groups[i].g);
        write_number(dump, at + 4, 2, groups[i].b);
        write_number(dump, at + 6, 2, groups[i].ir);
    }
    return dump;
}

SessionResult read_session_result(const std::uint8_t* message, std::size_t length) {
    SessionResult result;
    result.count = static_cast<std::uint16_t>(read_number(message, length, session_count_at, 2));
    result.entries.resize(session_entry_count);
    for (std::size_t i = 0; i < session_entry_count; ++i) {
        SessionEntry& entry = result.entries[i];
        entry.code = read_text(message, length, session_codes_at + session_code_stride * i);
        entry.pieces =
            static_cast<std::uint16_t>(read_number(message, length, session_pieces_at + 2 * i, 2));
        entry.total =
            static_cast<std::int32_t>(read_number(message, length, session_totals_at + 4 * i, 4));
    }
    return result;
}

std::vector<std::uint8_t> build_session_result(std::uint16_t count,
                                               const std::vector<SessionEntry>& entries) {
    std::vector<std::uint8_t> message(session_result_size, 0);
    write_number(message, session_count_at, 2, count);
    for (std::size_t i = 0; i < session_entry_count; ++i) {
        const SessionEntry unused;
        const SessionEntry& entry = i < entries.size() ? entries[i] : unused;
        write_text(message, session_codes_at + session_code_stride * i, entry.code);
        write_number(message, session_pieces_at + 2 * i, 2, entry.pieces);
        write_number(message, session_totals_at + 4 * i, 4,
                     static_cast<std::uint32_t>(entry.total));
    }
    return message;
}
