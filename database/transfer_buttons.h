// The buttons that make the database and move it to and from the device.
#pragma once

#include <cstddef>
#include <cstdint>

// "Make DB file" (SAMPLING page).
void make_db_button();
// "Make and Download DB" (SAMPLING page, shown while connected).
void make_and_download_button();
// "Download DB to VARDEN" (COLLECT page, shown while connected).
void download_button();
// "Upload DB from VARDEN" (COLLECT page, shown while connected).
void upload_button();

// Creates "Download DB to VARDEN" and "Upload DB from VARDEN" in the COLLECT page's set.
void build_collect_transfer_buttons();

// The upload's messages as the dispatcher hands them over: the name table (2666 bytes) and
// one side image (2563 bytes).
void on_upload_table_received(const std::uint8_t* message, std::size_t length);
void on_upload_image_received(const std::uint8_t* message, std::size_t length);
