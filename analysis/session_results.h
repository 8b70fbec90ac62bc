// The lines of the results table that a session result (the report of one counting run) adds.
// Every line is 63 characters with fixed columns; numbers are right-aligned and a number too
// long for its field leaves the field blank.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The PC's local date and time when the result arrived (year in full or in two digits).
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// First line of a session: count (6), date DD.MM.YY at 10, time HH:MM:SS at 23, currency code
// at 37, pieces (8) at 42, total (8) at 55.
std::string session_line(std::uint16_t count, const LocalDateTime& when, std::string_view code,
                         std::int64_t pieces, std::int64_t total);

// A further currency of the same session: 37 blanks, code, pieces, total.
std::string currency_line(std::string_view code, std::int64_t pieces, std::int64_t total);

// One denomination of the currency above: denomination (8) ending at 39, pieces, total.
std::string denomination_line(std::int64_t denomination, std::int64_t pieces, std::int64_t total);

// A line of the results table read back by its columns; the fields as written, blanks
// around them taken off (a number too long for its field was written as blanks: empty here).
struct ResultsLine {
    enum class Kind { session, currency, denomination } kind = Kind::session;
    std::string count, date, time; // session lines only
    std::string currency;          // session and currency lines
    std::string denomination;      // denomination lines only
    std::string pieces, total;
};

// 1 when `line` has the 63 columns of a session, currency or denomination line (an all-digit
// value column is a denomination); 0 for any other line.
int read_results_line(std::string_view line, ResultsLine& fields);

// Whether a table line begins a session (its count column is filled).
bool line_starts_session(std::string_view line);

// The lines the session result in the first `length` bytes of `message` (normally 1442) adds,
// in order: for every currency with pieces, in table order of its first entry, a session line
// (the first such currency) or a currency line with the sums of all its entries, then its
// denominations (total ÷ pieces of each entry) in ascending order, entries of equal
// denomination merged. A message with nothing to show gives no lines.
std::vector<std::string> session_result_lines(const std::uint8_t* message, std::size_t length,
                                              const LocalDateTime& when);
