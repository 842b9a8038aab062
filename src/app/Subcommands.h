#pragma once
// Each subcommand of the command line registers itself on the program's CLI11 application and
// stores its exit status in `exitStatus` when it runs.
#include <CLI/CLI.hpp>

namespace hoardwright::app {

void RegisterLzssCommand(CLI::App& app, int& exitStatus);
void RegisterBuildCommand(CLI::App& app, int& exitStatus);
void RegisterExamineCommand(CLI::App& app, int& exitStatus);
void RegisterCheckCommand(CLI::App& app, int& exitStatus);

}  // namespace hoardwright::app
