#include "database/sampling_marks.h"

#include <string>

namespace {

constexpr int mc_step = 2;
constexpr int mc_highest = 20;

} // namespace

int next_mc_percent(int percent) {
    if (percent < 0 || percent > mc_highest || percent % mc_step != 0)
        return -1;
    return percent == mc_highest ? 0 : percent + mc_step;
}

std::string mc_label(int percent) {
    return "MC=" + std::to_string(percent);
}
