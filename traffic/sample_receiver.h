// The dispatcher's handling of the two sample messages: a sample buffer received while
// sampling is on becomes the next numbered sample file of the selected row and side, and a
// request for a stored sample is answered with the next file of the "*.bin" listing.
#pragma once

#include "traffic/sample_receipt.h"

class ClassSimpleGraphics;

// The panel (120, 90) that names the sample file sent on a request; hidden until the first.
extern ClassSimpleGraphics* sample_file_panel;
// The stored sample files the requests walk through, taken at start-up.
extern SampleListing sample_listing;

// A 1566-byte message in the receive buffer.
void on_sample_buffer();
// A 20-byte message: the device asks for the next stored sample.
void on_sample_request();

// Start-up: takes the "*.bin" listing and creates the sample-file panel, hidden.
void build_sample_request_area();
