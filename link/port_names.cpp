#include "link/port_names.h"

#include "link/serial_port.h"

std::string port_entry_name(int number) {
    return "COM" + std::to_string(number);
}

bool is_port_entry_name(std::string_view name) {
    for (int number = first_port_number; number <= last_port_number; ++number)
        if (name == port_entry_name(number))
            return true;
    return false;
}
