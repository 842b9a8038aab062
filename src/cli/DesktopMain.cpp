// The desktop executable `hoardwright-desktop`: the whole program with the desktop linked in.
// `hoardwright` starts it for the window; run directly, it behaves as `hoardwright` does.
#include "cli/ProgramMain.h"
#include "desktop/DesktopApplication.h"

int main(int argc, char** argv) {
  using namespace hoardwright::cli;
  EndTerminateWithMessage();
  return RunProgram(argc, argv, hoardwright::desktop::RunDesktopApplication);
}
