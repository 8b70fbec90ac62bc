#include "database/side_columns.h"

std::string count_sample_files(const std::string& nominal, const std::string& name_and_ext,
                               const std::string& sample_prefix,
                               const std::vector<std::string>& names, SampleCount& count) {
    count = {};
    if (nominal.empty() || name_and_ext.empty())
        return side_column_text(0);
    count = count_sample_names(sample_prefix, names);
    return side_column_text(count.found_count);
}

SideColumns build_side_columns(const RowFields& fields, const std::vector<std::string>& names) {
    SideColumns columns;
    std::string name_and_ext = fields.name;
    if (!fields.ext.empty())
        name_and_ext += "." + fields.ext;
    for (int side = 1; side <= side_count; ++side) {
        columns.text +=
            count_sample_files(fields.nominal, name_and_ext, sample_prefix_for(fields, side), names,
                               columns.counts[static_cast<std::size_t>(side - 1)]);
    }
    return columns;
}

std::string refreshed_row_text(const std::string& row, int index, const SideFlags& checked,
                               const std::vector<std::string>& names) {
    const std::string full = full_row_text(row, index);
    const SideColumns columns = build_side_columns(read_row_fields(full), names);
    return put_side_marks(put_side_columns(full, columns.text), checked);
}
