#pragma once
#include <string>
#include <vector>

#include "core/CancelToken.h"

namespace hoardwright::app {

// True when the arguments name a subcommand or an option of the modern command line
// (`hoardwright lzss ...`, `hoardwright --help`), as opposed to the legacy "-d"/"-o" switches
// or no arguments at all (the desktop application).
bool IsModernCommandLine(const std::vector<std::string>& arguments);

// True for the subcommands that write files (build, lzss): they stop cleanly on SIGINT, SIGTERM
// and SIGHUP through a cancel token.
bool WritesFiles(const std::vector<std::string>& arguments);

// Runs the modern command line; returns the process exit status. The commands that write files
// stop, writing nothing, once `cancel` is cancelled.
int RunModernCommandLine(const std::vector<std::string>& arguments,
                         const CancelToken* cancel = nullptr);

}  // namespace hoardwright::app
