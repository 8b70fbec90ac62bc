#include "sim/modules.h"

void register_all_modules(Simulator& sim) {
    register_line_commands(sim);
    register_control_commands(sim);
    register_upgrade_module(sim);
}
