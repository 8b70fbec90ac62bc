// The buttons that make the database and download it into the device.
#pragma once

// "Make DB file" (SAMPLING page).
void make_db_button();
// "Make and Download DB" (SAMPLING page, shown while connected).
void make_and_download_button();
// "Download DB to VARDEN" (COLLECT page, shown while connected).
void download_button();

// Creates "Download DB to VARDEN" in the COLLECT page's set.
void build_download_button();
