// The commands of vostrel-cli. Each takes its own arguments (after the command name)
// and returns the process exit status.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int info_command(const Arguments& args);
int convert_command(const Arguments& args);
int render_command(const Arguments& args);
int terrain_command(const Arguments& args);

// Prints "vostrel-cli: <message>" and the usage hint on standard error; returns 1.
int usage_error(const std::string& message);
