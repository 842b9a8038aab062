// Entry point: the modern command line when a subcommand or option is given, otherwise the
// legacy unattended switches or the desktop application.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/LegacyRun.h"
#include "app/SignalWatch.h"
#ifdef HOARDWRIGHT_HAS_GUI
#include "ui/qt/DesktopApplication.h"
#endif

namespace {

using namespace hoardwright::app;

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
#ifdef HOARDWRIGHT_HAS_GUI
  return hoardwright::desktop::RunDesktopApplication(argc, argv);
#else
  return RunModernCommandLine({"--help"});
#endif
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
