#include "shell/program_files.h"

#include "analysis/results_file.h"
#include "database/description_file.h"
#include "database/make_database.h"
#include "database/sample_names.h"
#include "files/folder_files.h"
#include "link/port_names.h"
#include "traffic/dump_files.h"
#include "traffic/upload_table.h"

bool is_control_program_file(std::string_view name) {
    for (const std::string_view extension : {sample_extension, description_extension, res_extension,
                                             dump_extension, upl_extension, temporary_suffix})
        if (name.ends_with(extension))
            return true;
    return name == make_temporary_name || name == startup_results_file_name ||
           is_port_entry_name(name);
}
