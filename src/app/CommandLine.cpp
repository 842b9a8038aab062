#include "app/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

#include "app/Subcommands.h"

namespace hoardwright::app {
namespace {

constexpr const char* kSubcommands[] = {"lzss", "build", "inspect", "check"};
constexpr const char* kFileWritingSubcommands[] = {"lzss", "build"};

constexpr int kUsageError = 1;

}  // namespace

bool IsModernCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  const std::string& first = arguments.front();
  if (first.starts_with("--") || first == "-h") return true;
  return std::ranges::find(kSubcommands, first) != std::end(kSubcommands);
}

bool WritesFiles(const std::vector<std::string>& arguments) {
  return !arguments.empty() &&
         std::ranges::find(kFileWritingSubcommands, arguments.front()) !=
             std::end(kFileWritingSubcommands);
}

int RunModernCommandLine(const std::vector<std::string>& arguments, const CancelToken* cancel) {
  CLI::App app{"Hoardwright builds personality cache files for lighting consoles.", "hoardwright"};
  app.set_version_flag("--version", std::string("hoardwright ") + HOARDWRIGHT_VERSION);
  app.require_subcommand(0, 1);
  app.footer(
      "Without a subcommand:\n"
      "  hoardwright                      opens the desktop application\n"
      "  hoardwright -d DIR [-o OUTDIR]   unattended extended build of every personality in DIR\n"
      "                                   into OUTDIR/OMK01PER.CMP (OUTDIR defaults to DIR);\n"
      "                                   exit status 0 written, 1 invalid directories,\n"
      "                                   2 no cache written\n"
      "SIGINT, SIGTERM or SIGHUP during build, lzss or -d removes the working files and any\n"
      "partial output, keeps an earlier cache and ends with status 128 + the signal's number.");
  int exitStatus = 0;
  RegisterLzssCommand(app, exitStatus, cancel);
  RegisterBuildCommand(app, exitStatus, cancel);
  RegisterExamineCommand(app, exitStatus);
  RegisterCheckCommand(app, exitStatus);

  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    // CLI11 reports --help and --version as "errors" with status 0.
    return status == 0 ? 0 : kUsageError;
  }
  if (app.get_subcommands().empty()) {
    std::cout << app.help();
    return 0;
  }
  return exitStatus;
}

}  // namespace hoardwright::app
