// The commands of varden. Each returns the exit status: 0 done, 1 failed; the status texts
// and errors go to the console as they come (cli/console_output.h). Files are those of the
// working folder.
#pragma once

#include <string>
#include <vector>

// Starts the traffic log into `path` (nothing when empty); a log that cannot be written is
// named on standard error and the command goes on without it.
void start_console_traffic_log(const std::string& path);

// COM1..COM30: the path each opens, a link's target, whether the device is there, who holds it.
int run_ports();

// Connects to the device on `port` as the Connect button does (the COLLECT page told), then
// disconnects.
int run_check(int port);

// "Make DB file" of the description file `file_name`: the make and the checks of the made file.
int run_make(const std::string& file_name);

// "Download DB to VARDEN" of `file_name` into every port of `ports` at once (with `make`:
// "Make and Download DB", made once before). With several ports each works in a child process
// of its own, its lines prefixed "COMk: ", and a summary of one line per port ends the output;
// the traffic log of each is `traffic_log` + "." + "COMk". 0 only when every port took it.
int run_download(const std::string& file_name, const std::vector<int>& ports, bool make,
                 const std::string& traffic_log);

// "Upload DB from VARDEN" on `port` into the ".UPL" file the device names.
int run_upload(int port);

// Removes the part of an upload under way; async-signal-safe, so that a signal that ends the
// program leaves no part of a ".UPL" behind.
void drop_partial_upload();

// The analysis line of every dump file of the folder, or its CSV record.
int run_dumps(bool csv);

// The lines of the results file `file_name`, or a CSV record for every denomination line.
int run_results(const std::string& file_name, bool csv);
