#pragma once
// Each subcommand of the command line registers itself on the program's CLI11 application and
// stores its exit status in `exitStatus` when it runs. Those that write files stop, removing
// what they wrote, once `cancel` is cancelled.
#include <CLI/CLI.hpp>

#include "support/CancelToken.h"

namespace hoardwright::cli {

void RegisterLzssCommand(CLI::App& app, int& exitStatus, const support::CancelToken* cancel);
void RegisterBuildCommand(CLI::App& app, int& exitStatus, const support::CancelToken* cancel);
void RegisterInspectCommand(CLI::App& app, int& exitStatus);
void RegisterCheckCommand(CLI::App& app, int& exitStatus);

}  // namespace hoardwright::cli
