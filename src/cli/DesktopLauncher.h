#pragma once
// The command line loads no Qt: for the window, `hoardwright` replaces itself with the desktop
// executable, which runs the same program with the desktop linked in.
#include <filesystem>
#include <string_view>
#include <vector>

namespace hoardwright::cli {

// The desktop executable's file name.
inline constexpr std::string_view kDesktopExecutableName = "hoardwright-desktop";
// When set and not empty, the executable started instead of the installed one. Tests point it
// at a stub that records its arguments.
inline constexpr const char* kDesktopExecutableVariable = "HOARDWRIGHT_DESKTOP_EXECUTABLE";

// Where the desktop executable may be, in the order tried: `fromVariable` alone when it is not
// empty; otherwise beside `self` (the build tree, or an install into one directory), then at
// `installedRelative` from the directory of `self` (an install's libexec directory).
std::vector<std::filesystem::path> DesktopExecutableCandidates(
    const char* fromVariable, const std::filesystem::path& self,
    std::string_view installedRelative);

// Replaces the process with the desktop executable, passing the arguments through. Returns only
// when none could be started: the message is on standard error and the status is 2.
int StartDesktopExecutable(int argc, char** argv, std::string_view installedRelative);

}  // namespace hoardwright::cli
