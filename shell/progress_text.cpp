#include "shell/progress_text.h"

#include <algorithm>
#include <cstdio>

std::string progress_text(int done, int total, std::int64_t elapsed_ms) {
    total = std::max(total, 1);
    done = std::clamp(done, 0, total);
    char text[48];
    const int percent = static_cast<int>(100LL * done / total);
    if (done == 0) {
        std::snprintf(text, sizeof text, "%d%%", percent);
        return text;
    }
    const std::int64_t left_s =
        (std::max<std::int64_t>(elapsed_ms, 0) * (total - done) / done + 999) / 1000;
    std::snprintf(text, sizeof text, "%d%%  %lld:%02lld left", percent,
                  static_cast<long long>(left_s / 60), static_cast<long long>(left_s % 60));
    return text;
}

int progress_fill_width(int done, int total, int width) {
    total = std::max(total, 1);
    done = std::clamp(done, 0, total);
    return static_cast<int>(static_cast<std::int64_t>(width) * done / total);
}
