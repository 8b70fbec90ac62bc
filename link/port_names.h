// The names of the ports' entries in the working folder: "COM1" .. "COM30". Pure functions.
#pragma once

#include <string>
#include <string_view>

// "COM" + `number`, for a number of 1..30 or any other.
std::string port_entry_name(int number);

// Whether `name` is the entry of a port: "COM" and a number of 1..30 without leading zeros.
bool is_port_entry_name(std::string_view name);
