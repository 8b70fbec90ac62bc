// The steps of "Make DB file", "Make and Download DB" and "Download DB to VARDEN" over a
// description file of a folder, with the texts of a device exchange's status writers: the
// window program and the console tool run the same steps.
#pragma once

#include "database/download_sender.h"
#include "database/make_database.h"

#include <string>

// Reads the description file `file_name` of `folder` into `text`. 1, or 0 after showing
// "Can't find " + its name.
int read_description_file(const std::string& folder, const std::string& file_name,
                          std::string& text, const DeviceExchange& exchange);

// The check of "Download DB to VARDEN" before anything is sent: the file can be read and is
// made. 1, or 0 after showing "Can't find <file>" or "DB is empty".
int check_made_file(const std::string& folder, const std::string& file_name,
                    const DeviceExchange& exchange);

// Modes 1 and 3 make `input.db_file_name` of `input.folder` from `input.rows` first (progress
// and the outcome of the make through the exchange); then the made file is read, checked and,
// in modes 2 and 3, sent (database/download_sender.h) under the name of the file without
// ".dnl", as the device's display shows it.
DownloadOutcome make_and_download_file(int mode, MakeInput input, const DeviceExchange& exchange);
