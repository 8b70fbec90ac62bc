#include "sim/modules.h"

void register_all_modules(Simulator& sim) {
    register_line_commands(sim);
    register_control_commands(sim);
    register_upgrade_module(sim);
    register_messages_module(sim);
    register_database_module(sim);
    register_sampling_module(sim);
}
