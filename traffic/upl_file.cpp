#include "traffic/upl_file.h"

#include "files/folder_files.h"

#include <cstdio>

std::string upl_cor_line(int mc_percent) {
    return "COR=" + std::to_string(mc_percent) + line_end;
}

std::string upl_side_header(const std::string& row_name, std::uint32_t nominal, int side,
                            int image_count) {
    return ";" + row_name + "_" + std::to_string(nominal) + "_" + std::to_string(side) + "_" +
           std::to_string(image_count) + line_end;
}

std::string upl_trailer_line(const std::uint8_t* trailer) {
    char line[32];
    std::snprintf(line, sizeof line, ".PWORD 0x%02X%02X%02X,0x%02XFFFF", trailer[0], trailer[1],
                  trailer[2], trailer[3]);
    return line + std::string(line_end);
}
