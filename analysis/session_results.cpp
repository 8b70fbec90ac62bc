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

namespace {

constexpr std::size_t results_line_length = 63;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool blank(std::string_view text) {
    return trimmed(text).empty();
}

// A number field: blanks, then an optional "-" and digits right-aligned, or all blanks.
bool number_column(std::string_view field, std::string& value) {
    const std::string_view text = trimmed(field);
    if (!text.empty() && text.data() + text.size() != field.data() + field.size())
        return false;
    const std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
    if (!text.empty() && digits.empty())
        return false;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return false;
    }
    value = std::string(text);
    return true;
}

// "DD.MM.YY" or "HH:MM:SS".
bool pairs_column(std::string_view field, char separator) {
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool digit = field[i] >= '0' && field[i] <= '9';
        if ((i % 3 == 2) ? field[i] != separator : !digit)
            return false;
    }
    return true;
}

} // namespace

int read_results_line(std::string_view line, ResultsLine& fields) {
    if (line.size() != results_line_length || !blank(line.substr(40, 2)) ||
        !blank(line.substr(50, 5)) || !number_column(line.substr(42, 8), fields.pieces) ||
        !number_column(line.substr(55, 8), fields.total))
        return 0;
    if (line_starts_session(line)) {
        fields.kind = ResultsLine::Kind::session;
        fields.date = std::string(line.substr(10, 8));
        fields.time = std::string(line.substr(23, 8));
        fields.currency = std::string(trimmed(line.substr(37, 3)));
        return number_column(line.substr(0, 6), fields.count) && !fields.count.empty() &&
               blank(line.substr(6, 4)) && pairs_column(fields.date, '.') &&
               blank(line.substr(18, 5)) && pairs_column(fields.time, ':') &&
               blank(line.substr(31, 6));
    }
    if (!blank(line.substr(0, 32)))
        return 0;
    std::string value;
    if (number_column(line.substr(32, 8), value) && !value.empty() && value[0] != '-') {
        fields.kind = ResultsLine::Kind::denomination;
        fields.denomination = value;
        return 1;
    }
    fields.kind = ResultsLine::Kind::currency;
    fields.currency = std::string(trimmed(line.substr(37, 3)));
    return blank(line.substr(32, 5)) ? 1 : 0;
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
