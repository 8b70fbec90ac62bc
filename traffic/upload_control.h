// The window side of the upload of the device database: "Upload DB from VARDEN" on the COLLECT
// page, the device's messages that answer it, and the ".UPL" file they fill.
#pragma once

#include <cstddef>
#include <cstdint>

// "Upload DB from VARDEN" (COLLECT page, shown while connected).
void upload_button();

// Creates "Upload DB from VARDEN" in the COLLECT page's set.
void build_upload_button();

// The upload's messages as the dispatcher hands them over: the name table (2666 bytes) and
// one side image (2563 bytes).
void on_upload_table_received(const std::uint8_t* message, std::size_t length);
void on_upload_image_received(const std::uint8_t* message, std::size_t length);
