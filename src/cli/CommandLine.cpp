#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <iostream>
#include <new>
#include <string_view>

#include "cli/Subcommands.h"

namespace hoardwright::cli {
namespace {

constexpr const char* kSubcommands[] = {"lzss", "build", "inspect", "check"};
constexpr const char* kFileWritingSubcommands[] = {"lzss", "build"};

// The options the desktop's Qt application takes itself, with a value in the next argument or
// after "=" ...
constexpr std::string_view kQtOptionsWithValue[] = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-geometry", "-qwindowtitle",       "-title",         "-qwindowicon", "-icon",
    "-style",    "-stylesheet",         "-session",       "-display",  "-name",
    "-visual",   "-qmljsdebugger"};
// ... and without one.
constexpr std::string_view kQtFlags[] = {"-reverse", "-widgetcount", "-sync",
                                         "-nograb",  "-dograb",      "-testability"};
// The switches a user may have meant, beside the Qt options.
constexpr std::string_view kKnownSwitches[] = {"-d", "-o", "--help", "--version"};

constexpr int kUsageError = 1;
constexpr int kFailed = 2;

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Edits (insert, delete, change, swap of two neighbours) between two words, letter case aside.
std::size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
          Lower(a[i - 2]) == Lower(b[j - 1])) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// The known command or switch nearest to `argument`; the first of equals.
std::string Nearest(std::string_view argument) {
  // The part before "=" is the option's name.
  const std::string_view name = argument.substr(0, argument.find('='));
  std::string_view nearest;
  std::size_t best = 0;
  const auto consider = [&](std::string_view candidate) {
    const std::size_t distance = Distance(name, candidate);
    if (nearest.empty() || distance < best) {
      best = distance;
      nearest = candidate;
    }
  };
  if (argument.starts_with('-')) {
    for (const std::string_view option : kKnownSwitches) consider(option);
    for (const std::string_view option : kQtOptionsWithValue) consider(option);
    for (const std::string_view option : kQtFlags) consider(option);
  } else {
    for (const std::string_view command : kSubcommands) consider(command);
  }
  return std::string(nearest);
}

bool IsQtOptionWithValue(std::string_view argument) {
  return std::ranges::any_of(kQtOptionsWithValue, [&](std::string_view option) {
    return argument == option ||
           (argument.starts_with(option) && argument.substr(option.size()).starts_with('='));
  });
}

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

std::optional<std::string> DesktopUsageError(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (std::ranges::find(kQtFlags, argument) != std::end(kQtFlags)) continue;
    if (IsQtOptionWithValue(argument)) {
      // "-style fusion": the value is the next argument.
      if (argument.find('=') == std::string::npos) ++i;
      continue;
    }
    if (argument.starts_with("-o")) {
      // The legacy output switch alone has no effect; its value runs to the next switch.
      while (i + 1 < arguments.size() && !arguments[i + 1].starts_with('-')) ++i;
      continue;
    }
    const bool isSwitch = argument.starts_with('-');
    return "hoardwright: unknown " + std::string(isSwitch ? "option" : "command") + " \"" +
           argument + "\"; did you mean \"" + Nearest(argument) +
           "\"?\nRun \"hoardwright --help\" for the commands and options; without arguments "
           "hoardwright opens the desktop application.\n";
  }
  return std::nullopt;
}

int RunModernCommandLine(const std::vector<std::string>& arguments,
                         const support::CancelToken* cancel) {
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
  RegisterInspectCommand(app, exitStatus);
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

int RunGuarded(const std::function<int()>& run, std::ostream& errors) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    errors << "hoardwright: not enough memory to go on; stopped" << std::endl;
  } catch (const std::exception& error) {
    errors << "hoardwright: stopped by an unexpected error: " << error.what() << std::endl;
  } catch (...) {
    errors << "hoardwright: stopped by an unexpected error" << std::endl;
  }
  return kFailed;
}

}  // namespace hoardwright::cli
