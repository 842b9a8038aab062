// Entry point: the modern command line when a subcommand or option is given, otherwise the
// legacy unattended switches or the desktop application. Whatever happens below, the program
// ends with a message and a status, never with an abort.
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/LegacyRun.h"
#include "cli/SignalWatch.h"
#ifdef HOARDWRIGHT_HAS_GUI
#include "desktop/DesktopApplication.h"
#endif

namespace {

using namespace hoardwright::cli;

constexpr int kUsageError = 1;
constexpr int kFailed = 2;

// The last resort for an exception that reached std::terminate (thrown through a noexcept
// function, say): a message and status 2 instead of an abort.
[[noreturn]] void TerminateWithMessage() {
  constexpr char kText[] = "hoardwright: stopped by an unexpected internal error\n";
  [[maybe_unused]] const auto written = ::write(STDERR_FILENO, kText, sizeof kText - 1);
  std::_Exit(kFailed);
}

int Run(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (IsModernCommandLine(arguments)) {
    // Made before any thread starts, so that every thread has the signals blocked.
    std::optional<SignalWatch> watch;
    if (WritesFiles(arguments)) watch.emplace();
    const int status = RunModernCommandLine(arguments, watch ? &watch->Token() : nullptr);
    if (watch) watch->EndIfSignalled();
    return status;
  }
  // "-d" anywhere in the argument text: the unattended build, without a window.
  if (IsLegacyCommandLine(arguments)) {
    SignalWatch watch;
    const int status = RunLegacyCommandLine(JoinArguments(arguments), std::cerr, &watch.Token());
    watch.EndIfSignalled();
    return status;
  }
  // A mistyped switch or command must not open a window instead.
  if (const auto error = DesktopUsageError(arguments)) {
    std::cerr << *error;
    return kUsageError;
  }
#ifdef HOARDWRIGHT_HAS_GUI
  return hoardwright::desktop::RunDesktopApplication(argc, argv);
#else
  return RunModernCommandLine({"--help"});
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::set_terminate(TerminateWithMessage);
  return RunGuarded([&] { return Run(argc, argv); }, std::cerr);
}
