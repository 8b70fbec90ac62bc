#include "formats/result_codes.h"

const char* command_result_text(int result) {
    switch (result) {
    case result_wrong_header: return "Wrong header of command";
    case result_wrong_checksum: return "Wrong CRC of command";
    case result_buffer_full: return "COM-bufer of ZELK is full";
    case result_wrong_size: return "Wrong size of command";
    case result_download_error: return "Error of DOWNLOAD command";
    case result_wrong_command: return "Wrong number of command";
    case result_no_acknowledgement: return "Error connection";
    default: return nullptr;
    }
}
