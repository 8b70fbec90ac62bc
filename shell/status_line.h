// The status line at the bottom of the window and the panels that carry messages. Every
// writer replaces the panel's whole text; the empty text blanks it.
#pragma once

#include "shell/shared_controls.h"
#include "ui/colour.h"
#include "ui/text_string.h"

// Red text on the status line; the empty text clears the line.
void show_status_error(const TextString& text);
// Green text on the status line: progress and success.
void show_status_info(const TextString& text);
// The text of a failed command result, in red; results without a text change nothing.
void show_command_error(int result);
// What the status line shows now: its last text and that text's colour (colour_info before
// anything was shown).
const TextString& status_text();
Colour status_colour();

void show_res_file_name(const TextString& text);
void show_progress_count(const TextString& text);
void show_last_sample(const TextString& text);
// Converts the first twelve characters of `name` to the display alphabet and shows it.
void show_db_name(const TextString& name);
// The database name the panel shows.
const TextString& shown_db_name();
