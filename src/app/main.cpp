// Entry point: the modern command line when a subcommand or option is given, otherwise the
// legacy unattended switches or the desktop application.
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/LegacyRun.h"
#ifdef HOARDWRIGHT_HAS_GUI
#include "ui/qt/DesktopApplication.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (hoardwright::app::IsModernCommandLine(arguments)) {
    return hoardwright::app::RunModernCommandLine(arguments);
  }
  // "-d" anywhere in the argument text: the unattended build, without a window.
  if (hoardwright::app::IsLegacyCommandLine(arguments)) {
    return hoardwright::app::RunLegacyCommandLine(hoardwright::app::JoinArguments(arguments),
                                                  std::cerr);
  }
#ifdef HOARDWRIGHT_HAS_GUI
  return hoardwright::desktop::RunDesktopApplication(argc, argv);
#else
  return hoardwright::app::RunModernCommandLine({"--help"});
#endif
}
