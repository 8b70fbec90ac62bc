#include "formats/name_table.h"

#include <algorithm>

namespace {

constexpr int extension_table_offset = 756;
constexpr int block_table_offset = 1116;
constexpr int db_name_code_offset = 1484;
constexpr std::uint32_t nominal_marker = 0x500000;

// `text` left-aligned and blank-padded in three bytes.
void put_padded_3(const std::string& text, std::uint8_t* bytes) {
    for (std::size_t i = 0; i < 3; ++i)
        bytes[i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

void put_u24(std::uint32_t value, std::uint8_t* bytes) {
    for (int i = 0; i < 3; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

void pack_12_bit_numbers(const std::array<int, 4>& numbers, std::uint8_t* bytes) {
    std::uint64_t packed = 0;
    for (int s = 0; s < 4; ++s)
        packed |= static_cast<std::uint64_t>(numbers[s] & 0xFFF) << (12 * s);
    for (int i = 0; i < 6; ++i)
        bytes[i] = static_cast<std::uint8_t>(packed >> (8 * i));
}

NameRecord name_record(const BanknoteEntry& banknote) {
    NameRecord record{};
    put_padded_3(banknote.name, record.data());
    pack_12_bit_numbers(banknote.sample_counts, record.data() + 3);
    pack_12_bit_numbers(banknote.main_part_words, record.data() + 9);
    record[15] = 0x55;
    record[16] = 0x05;
    record[17] = 0x00;
    put_u24(banknote.nominal + nominal_marker, record.data() + 18);
    return record;
}

void build_name_frames(const std::vector<BanknoteEntry>& banknotes,
                       const std::vector<std::uint32_t>& side_ends, const DbNameCode& db_name_code,
                       FirstNameFrame& first, SecondNameFrame& second) {
    first.fill(0);
    second.fill(0);
    const BanknoteEntry unused;
    for (int r = 0; r < max_banknotes; ++r) {
        const BanknoteEntry& banknote =
            r < static_cast<int>(banknotes.size()) ? banknotes[r] : unused;
        const NameRecord record = name_record(banknote);
        std::uint8_t* at = r < records_in_first_frame
                               ? first.data() + r * name_record_size
                               : second.data() + (r - records_in_first_frame) * name_record_size;
        std::copy(record.begin(), record.end(), at);
        put_padded_3(banknote.extension, first.data() + extension_table_offset + 3 * r);
    }
    const int sides = std::min<int>(static_cast<int>(side_ends.size()), block_table_entries);
    for (int t = 0; t < sides; ++t)
        put_u24(side_ends[t] * 2 / 3, first.data() + block_table_offset + 3 * t);
    std::copy(db_name_code.begin(), db_name_code.end(), first.data() + db_name_code_offset);
}
