// The results-file loader on any text: long lines, no line ends, NUL and other control bytes.
// Every line of the file becomes one table line of printable characters, nothing is lost or
// added: the lines, joined with LF ends again, give the file back with CR LF as LF and every
// unprintable byte a blank.
#include "analysis/session_results.h"
#include "files/typed_names.h"
#include "formats/results_file.h"
#include "tests/fuzz/fuzz_input.h"

#include <string>

namespace {

std::string expected_text(std::string_view contents) {
    std::string text;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        const char c = contents[i];
        // The CR of a CR LF is part of the line end; a CR that ends the file ends its last line.
        if (c == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n')
            continue;
        if (c == '\r' && i + 1 == contents.size()) {
            text += '\n';
            continue;
        }
        text += c == '\n' || (c >= 0x20 && c <= 0x7E) ? c : ' ';
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view contents(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = parse_results_file(contents);

    std::string joined;
    for (const std::string& line : lines) {
        FUZZ_CHECK(is_printable(line));
        line_starts_session(line);
        joined += line + "\n";
    }
    std::string expected = expected_text(contents);
    if (!expected.empty() && expected.back() != '\n')
        expected += '\n';
    FUZZ_CHECK(joined == expected);

    // The same lines read as a folder listing give the RES file list.
    const std::vector<std::string> names = listed_names(lines, res_extension);
    FUZZ_CHECK(names.size() <= listed_names_capacity);
    for (const std::string& name : names)
        FUZZ_CHECK(name.size() <= 30 && name.find('.') == std::string::npos);
    return 0;
}
