#pragma once
// The program's entry, shared by the command-line executable and the desktop executable: the
// modern command line, the legacy unattended switches or, for no arguments (or only Qt's), the
// desktop application, which each executable starts its own way.
#include <functional>

namespace hoardwright::cli {

// Starts the desktop application with the program's arguments and returns its exit status.
using DesktopStart = std::function<int(int& argc, char** argv)>;

// Makes std::terminate end the program with a message and status 2 instead of an abort.
void EndTerminateWithMessage();

// Runs the program and returns its exit status; no exception leaves it. Without a
// `startDesktop` (a build without the desktop), the arguments that would open the window print
// the help instead.
int RunProgram(int argc, char** argv, const DesktopStart& startDesktop);

}  // namespace hoardwright::cli
