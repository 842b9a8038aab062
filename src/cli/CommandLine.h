#pragma once
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/CancelToken.h"

namespace hoardwright::cli {

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
                         const support::CancelToken* cancel = nullptr);

// For arguments that open the desktop application: the usage error to show, naming the first
// argument that is neither a Qt option (-platform NAME, -style NAME, ...) nor the legacy "-o"
// switch with its value, and the known command nearest to it. nullopt when all are known.
std::optional<std::string> DesktopUsageError(const std::vector<std::string>& arguments);

// Runs `run` and returns its status; an exception that escapes it becomes a message on `errors`
// and status 2, so that none ends the program with an abort.
int RunGuarded(const std::function<int()>& run, std::ostream& errors);

}  // namespace hoardwright::cli
