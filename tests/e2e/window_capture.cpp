#include "tests/e2e/window_capture.h"

#include "files/folder_files.h"
#include "tests/e2e/e2e_support.h"

#include <QImage>
#include <filesystem>

namespace {

std::uint32_t big_endian_word(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) << 24 |
           static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

} // namespace

std::uint32_t WindowCapture::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0xFFFFFFFF;
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
}

bool WindowCapture::shows(int x, int y, int area_width, int area_height,
                          std::uint32_t colour) const {
    for (int row = y; row < y + area_height; ++row) {
        for (int column = x; column < x + area_width; ++column) {
            if (at(column, row) == colour)
                return true;
        }
    }
    return false;
}

WindowCapture read_xwd_capture(const std::vector<std::uint8_t>& bytes) {
    WindowCapture capture;
    constexpr std::size_t header_words = 25, colour_entry_size = 12;
    if (bytes.size() < header_words * 4)
        return capture;
    const auto field = [&](std::size_t index) { return big_endian_word(bytes, index * 4); };
    const std::uint32_t header_size = field(0), width = field(4), height = field(5);
    const std::uint32_t byte_order = field(7), bits_per_pixel = field(11);
    const std::uint32_t bytes_per_line = field(12), colours = field(19);
    const std::size_t start = std::size_t{header_size} + std::size_t{colours} * colour_entry_size;
    if (bits_per_pixel != 32 || width == 0 || height == 0 || bytes_per_line < width * 4 ||
        start + std::size_t{bytes_per_line} * height > bytes.size())
        return capture;
    capture.width = static_cast<int>(width);
    capture.height = static_cast<int>(height);
    capture.pixels.reserve(std::size_t{width} * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t at = start + std::size_t{y} * bytes_per_line + std::size_t{x} * 4;
            const std::uint32_t value =
                byte_order == 0 ? (bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16)
                                : (bytes[at + 3] | bytes[at + 2] << 8 | bytes[at + 1] << 16);
            capture.pixels.push_back(value & 0xFFFFFF);
        }
    }
    return capture;
}

WindowCapture capture_window(const std::string& xwd, const std::string& display,
                             const std::string& window, const std::string& scratch) {
    std::filesystem::remove(scratch);
    run_for_output({xwd, "-id", window, "-silent", "-out", scratch}, display);
    std::vector<std::uint8_t> bytes;
    if (read_file_bytes(scratch, 16 << 20, bytes) != 1)
        return {};
    return read_xwd_capture(bytes);
}

int save_capture_png(const WindowCapture& capture, const std::string& path) {
    if (capture.width == 0)
        return 0;
    QImage image(capture.width, capture.height, QImage::Format_RGB32);
    for (int y = 0; y < capture.height; ++y) {
        for (int x = 0; x < capture.width; ++x)
            image.setPixel(x, y, capture.at(x, y));
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return image.save(QString::fromStdString(path), "PNG") ? 1 : 0;
}
