#include "cli/ProgramMain.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/LegacyRun.h"
#include "cli/SignalWatch.h"
#include "support/Platform.h"

namespace hoardwright::cli {
namespace {

constexpr int kUsageError = 1;
constexpr int kFailed = 2;

// The last resort for an exception that reached std::terminate (thrown through a noexcept
// function, say): a message and status 2 instead of an abort.
[[noreturn]] void TerminateWithMessage() {
  support::WriteToStandardError("hoardwright: stopped by an unexpected internal error\n");
  std::_Exit(kFailed);
}

int Run(int argc, char** argv, const DesktopStart& startDesktop) {
  const std::vector<std::string> arguments = support::CommandLineArguments(argc, argv);
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
  if (!startDesktop) return RunModernCommandLine({"--help"});
  return startDesktop(argc, argv);
}

}  // namespace

void EndTerminateWithMessage() { std::set_terminate(TerminateWithMessage); }

int RunProgram(int argc, char** argv, const DesktopStart& startDesktop) {
  support::UseBinaryStandardStreams();
  return RunGuarded([&] { return Run(argc, argv, startDesktop); }, std::cerr);
}

}  // namespace hoardwright::cli
