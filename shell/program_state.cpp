#include "shell/program_state.h"

int current_mode = page_analysis;
int last_byte = -1;
int connected = 0;
int sampling_on = 0;
int mc_percent = 0;
