// The command-line executable `hoardwright`: the modern command line when a subcommand or option
// is given, otherwise the legacy unattended switches or the desktop application. It links no Qt,
// so that scripts calling it in loops do not pay for the desktop: for the window it starts the
// desktop executable installed beside it (where the desktop is not built as an executable of its
// own, it runs the desktop in this process).
#include "cli/ProgramMain.h"
#if defined(HOARDWRIGHT_DESKTOP_IN_PROCESS)
#include "desktop/DesktopApplication.h"
#elif defined(HOARDWRIGHT_DESKTOP_RELATIVE_PATH)
#include "cli/DesktopLauncher.h"
#elif defined(_WIN32)
#include <iostream>
#endif

int main(int argc, char** argv) {
  using namespace hoardwright::cli;
  EndTerminateWithMessage();
#if defined(HOARDWRIGHT_DESKTOP_IN_PROCESS)
  return RunProgram(argc, argv, hoardwright::desktop::RunDesktopApplication);
#elif defined(HOARDWRIGHT_DESKTOP_RELATIVE_PATH)
  return RunProgram(argc, argv, [](int& count, char** values) {
    return StartDesktopExecutable(count, values, HOARDWRIGHT_DESKTOP_RELATIVE_PATH);
  });
#elif defined(_WIN32)
  // The Windows build without the desktop is the command line alone: asking it for the window
  // says so and fails, as a desktop that cannot be started fails elsewhere.
  return RunProgram(argc, argv, [](int&, char**) {
    std::cerr << "hoardwright: this build has no desktop application, only the command line.\n"
                 "Run \"hoardwright --help\" for the commands and options.\n";
    return 2;
  });
#else
  return RunProgram(argc, argv, nullptr);
#endif
}
