#include "analysis/sampling_marks.h"

#include "database/row_text.h"

namespace {

constexpr int mc_step = 2;
constexpr int mc_highest = 20;
// The mark is the third character of a side column.
constexpr int mark_offset = 2;

} // namespace

std::string clear_side_marks(const std::string& row) {
    std::string result = row;
    for (int side = 0; side < side_count; ++side) {
        const auto at = static_cast<std::size_t>(side_columns_position + side * side_column_width +
                                                 mark_offset);
        if (at < result.size())
            result[at] = ' ';
    }
    return result;
}

int next_mc_percent(int percent) {
    if (percent < 0 || percent > mc_highest || percent % mc_step != 0)
        return -1;
    return percent == mc_highest ? 0 : percent + mc_step;
}

std::string mc_label(int percent) {
    return "MC=" + std::to_string(percent);
}
