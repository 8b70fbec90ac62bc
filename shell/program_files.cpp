#include "shell/program_files.h"

#include "files/folder_files.h"
#include "formats/dump_file.h"
#include "formats/made_file.h"
#include "formats/results_file.h"
#include "formats/sample_names.h"
#include "formats/upload_table.h"
#include "link/port_names.h"

bool is_control_program_file(std::string_view name) {
    for (const std::string_view extension : {sample_extension, description_extension, res_extension,
                                             dump_extension, upl_extension, temporary_suffix})
        if (name.ends_with(extension))
            return true;
    return name == make_temporary_name || name == startup_results_file_name ||
           is_port_entry_name(name);
}
