// The device's requests for stored samples: each is answered with the next file of the "*.bin"
// listing, named in a panel of the ANALYSIS page. (Sample buffers go to the SAMPLING page's
// sampling control.)
#pragma once

#include "traffic/sample_receipt.h"

class ClassSimpleGraphics;

// The panel (120, 90) that names the sample file sent on a request; hidden until the first.
extern ClassSimpleGraphics* sample_file_panel;
// The stored sample files the requests walk through, taken at start-up.
extern SampleListing sample_listing;

// A 20-byte message: the device asks for the next stored sample.
void on_sample_request();

// Start-up: takes the "*.bin" listing and creates the sample-file panel, hidden.
void build_sample_request_area();
