// What every fuzz target shares: a reader that takes values off the front of the fuzzer's
// input, and a check that stops the run (a crash for libFuzzer) when an invariant breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Takes bytes off the front of the input; past its end every value reads as 0.
struct FuzzInput {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;

    bool empty() const { return position >= size; }
    std::size_t remaining() const { return size - position; }

    std::uint8_t take_byte() { return empty() ? 0 : data[position++]; }

    std::uint16_t take_u16() {
        const std::uint16_t low = take_byte();
        return static_cast<std::uint16_t>(low | take_byte() << 8);
    }

    std::uint32_t take_u32() {
        const std::uint32_t low = take_u16();
        return low | static_cast<std::uint32_t>(take_u16()) << 16;
    }

    // `count` bytes in a buffer of exactly that size (so the sanitizer sees any read past
    // it): the next input bytes, zeros where the input has run out.
    std::vector<std::uint8_t> take_bytes(std::size_t count) {
        std::vector<std::uint8_t> bytes(count, 0);
        const std::size_t taken = count < remaining() ? count : remaining();
        for (std::size_t i = 0; i < taken; ++i)
            bytes[i] = data[position + i];
        position += taken;
        return bytes;
    }

    std::string_view rest_as_text() {
        const std::string_view text(reinterpret_cast<const char*>(data + position), remaining());
        position = size;
        return text;
    }
};

// Whether every character of `text` is printable ASCII (0x20..0x7E).
inline bool is_printable(std::string_view text) {
    for (const char c : text)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

// Whether `text` is lines of printable ASCII, each ended by CR LF.
inline bool is_printable_lines(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        if (end == std::string_view::npos || !is_printable(text.substr(0, end)))
            return false;
        text.remove_prefix(end + 2);
    }
    return true;
}
