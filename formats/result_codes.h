// The result byte the device answers a frame with, after AA 55, and the texts the programs show
// for the failed ones. Other values are device codes without a text.
#pragma once

enum DeviceResult : int {
    result_no_acknowledgement = -1, // no valid acknowledgement arrived
    result_accepted = 1,
    result_wrong_header = 2,
    result_wrong_checksum = 3,
    result_buffer_full = 4,
    result_wrong_size = 5, // also a frame the device cannot take
    result_download_error = 6,
    result_wrong_command = 7,
};

// The text shown for a failed result, or nullptr for results that show nothing.
const char* command_result_text(int result);
