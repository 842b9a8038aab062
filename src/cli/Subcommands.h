#pragma once
// Each subcommand of the command line registers itself on the program's CLI11 application and
// stores its exit status in `exitStatus` when it runs. Those that write files stop, removing
// what they wrote, once `cancel` is cancelled.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <string>
#include <system_error>

#include "support/CancelToken.h"
#include "support/Platform.h"

namespace hoardwright::cli {

// CLI::ExistingPath, with the name read as the program's UTF-8 text (CLI11 itself would read it
// in Windows' ANSI code page).
inline CLI::Validator ExistingPath() {
#ifdef _WIN32
  return CLI::Validator(
      [](std::string& name) -> std::string {
        std::error_code error;
        if (std::filesystem::exists(support::ToPath(name), error)) return {};
        return "Path does not exist: " + name;
      },
      "PATH(existing)");
#else
  return CLI::ExistingPath;
#endif
}

// CLI::ExistingDirectory, read the same way.
inline CLI::Validator ExistingDirectory() {
#ifdef _WIN32
  return CLI::Validator(
      [](std::string& name) -> std::string {
        std::error_code error;
        const auto status = std::filesystem::status(support::ToPath(name), error);
        if (!std::filesystem::exists(status)) return "Directory does not exist: " + name;
        if (!std::filesystem::is_directory(status)) return "Directory is actually a file: " + name;
        return {};
      },
      "DIR");
#else
  return CLI::ExistingDirectory;
#endif
}

void RegisterLzssCommand(CLI::App& app, int& exitStatus, const support::CancelToken* cancel);
void RegisterBuildCommand(CLI::App& app, int& exitStatus, const support::CancelToken* cancel);
void RegisterInspectCommand(CLI::App& app, int& exitStatus);
void RegisterCheckCommand(CLI::App& app, int& exitStatus);

}  // namespace hoardwright::cli
