#pragma once
#include <string>
#include <vector>

namespace hoardwright::app {

// True when the arguments name a subcommand or an option of the modern command line
// (`hoardwright lzss ...`, `hoardwright --help`), as opposed to the legacy "-d"/"-o" switches
// or no arguments at all (the desktop application).
bool IsModernCommandLine(const std::vector<std::string>& arguments);

// Runs the modern command line; returns the process exit status.
int RunModernCommandLine(const std::vector<std::string>& arguments);

}  // namespace hoardwright::app
