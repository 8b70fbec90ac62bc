// The lines of a ".UPL" file, the text form of an uploaded device database. It has the line
// format of a made description file, so a database that lives only in a device can be
// inspected or rebuilt. Every line ends with CR LF.
#pragma once

#include <cstdint>
#include <string>

// "COR=" + the MC percentage.
std::string upl_cor_line(int mc_percent);

// ";" + row name + "_" + nominal + "_" + side + "_" + image count of the side.
std::string upl_side_header(const std::string& row_name, std::uint32_t nominal, int side,
                            int image_count);

// The last line of a side: ".PWORD 0x" + t0 t1 t2 + ",0x" + t3 + "FFFF".
std::string upl_trailer_line(const std::uint8_t* trailer);
