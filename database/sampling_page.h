// The database area shared by the SAMPLING and COLLECT pages: the list of DB files, the
// banknote table with its headers, row edit fields and side radio buttons, and the sampling
// controls of the SAMPLING page.
#pragma once

// Creates the area's controls in their start-up state, loads the first description file, adds
// the controls to the SAMPLING and COLLECT sets and shows the first DB name. Start-up state:
// not sampling, MC 0.
void build_database_area();
