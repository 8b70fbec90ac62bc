#include "analysis/session_results.h"

#include "formats/device_messages.h"
#include "formats/text_fields.h"

#include <vector>

namespace {

const std::string unused_code = "   ";
// A denomination is listed only below this value.
constexpr std::int32_t denomination_limit = 1000000000;

// The last two decimal digits, with a leading zero.
std::string two_digits(int value) {
    const int digits = (value % 100 + 100) % 100;
    return {static_cast<char>('0' + digits / 10), static_cast<char>('0' + digits % 10)};
}

std::string code_text(std::string_view code) {
    return printable_text(reinterpret_cast<const std::uint8_t*>(code.data()), code.size());
}

// The value column (a currency code or a denomination, ending at 39), then pieces and total.
std::string amounts_tail(std::int64_t pieces, std::int64_t total) {
    return "  " + number_field(pieces, 8, FieldAlign::right) + "     " +
           number_field(total, 8, FieldAlign::right);
}

// The denomination lines of the entries `members` of one currency, ascending, equal
// denominations merged.
void add_denomination_lines(const std::vector<SessionEntry>& entries,
                            std::vector<std::size_t> members, std::vector<std::string>& lines) {
    std::erase_if(members, [&](std::size_t i) { return entries[i].pieces == 0; });
    auto denomination = [&](std::size_t i) { return entries[i].total / entries[i].pieces; };
    for (;;) {
        std::int32_t smallest = denomination_limit;
        for (std::size_t i : members) {
            if (denomination(i) != 0 && denomination(i) < smallest)
                smallest = denomination(i);
        }
        if (smallest == denomination_limit)
            return;
        std::uint32_t pieces = 0;
        std::uint32_t total = 0;
        std::erase_if(members, [&](std::size_t i) {
            if (denomination(i) != smallest)
                return false;
            pieces += entries[i].pieces;
            total += static_cast<std::uint32_t>(entries[i].total);
            return true;
        });
        lines.push_back(denomination_line(smallest, pieces, static_cast<std::int32_t>(total)));
    }
}

} // namespace

std::string session_line(std::uint16_t count, const LocalDateTime& when, std::string_view code,
                         std::int64_t pieces, std::int64_t total) {
    const std::string date =
        two_digits(when.day) + "." + two_digits(when.month) + "." + two_digits(when.year);
    const std::string time =
        two_digits(when.hour) + ":" + two_digits(when.minute) + ":" + two_digits(when.second);
    return number_field(count, 6, FieldAlign::right) + "    " + date + "     " + time + "      " +
           code_text(code) + amounts_tail(pieces, total);
}

std::string currency_line(std::string_view code, std::int64_t pieces, std::int64_t total) {
    return std::string(37, ' ') + code_text(code) + amounts_tail(pieces, total);
}

std::string denomination_line(std::int64_t denomination, std::int64_t pieces, std::int64_t total) {
    return std::string(32, ' ') + number_field(denomination, 8, FieldAlign::right) +
           amounts_tail(pieces, total);
}

bool line_starts_session(std::string_view line) {
    return line.size() > 5 && line[5] != ' ';
}

std::vector<std::string> session_result_lines(const std::uint8_t* message, std::size_t length,
                                              const LocalDateTime& when) {
    SessionResult result = read_session_result(message, length);
    std::vector<SessionEntry>& entries = result.entries;
    std::vector<std::string> lines;
    bool session_started = false;
    for (std::size_t first = 0; first < entries.size(); ++first) {
        if (entries[first].code == unused_code)
            continue;
        const std::string code = entries[first].code;
        std::vector<std::size_t> members;
        // The sums wrap in 32 bits, as the results table has always shown them.
        std::uint32_t pieces = 0;
        std::uint32_t total = 0;
        for (std::size_t i = first; i < entries.size(); ++i) {
            if (entries[i].code != code)
                continue;
            members.push_back(i);
            pieces += entries[i].pieces;
            total += static_cast<std::uint32_t>(entries[i].total);
            entries[i].code = unused_code;
        }
        if (pieces == 0)
            continue;
        const auto signed_total = static_cast<std::int32_t>(total);
        lines.push_back(session_started
                            ? currency_line(code, pieces, signed_total)
                            : session_line(result.count, when, code, pieces, signed_total));
        session_started = true;
        add_denomination_lines(entries, members, lines);
    }
    return lines;
}
