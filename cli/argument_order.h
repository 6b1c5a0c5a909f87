// The command line's arguments as CLI11 is to take them.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

// The arguments in the order CLI11 takes them (the last first). CLI11 reads
// "--name=" (nothing after the '=') as "--name" with the next argument as
// its value, which would make "--name= --keep-order KIT" a drum map named
// "--keep-order"; here it is the empty value it says it is.
std::vector<std::string> ArgumentsForParser(const CLI::App& app, int argc, const char* const* argv);
