#include "cli/DesktopLauncher.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace hoardwright::cli {
namespace {

constexpr int kCannotStart = 2;

// This executable's own path; argv[0] when the system does not tell (no /proc), if it names
// a path at all.
std::filesystem::path SelfPath(const char* argv0) {
  std::error_code failure;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failure);
  if (!failure) return self;
  const std::string_view name = argv0 != nullptr ? argv0 : "";
  if (name.find('/') != std::string_view::npos) return std::filesystem::path(name);
  return {};
}

}  // namespace

std::vector<std::filesystem::path> DesktopExecutableCandidates(
    const char* fromVariable, const std::filesystem::path& self,
    std::string_view installedRelative) {
  if (fromVariable != nullptr && *fromVariable != '\0') return {fromVariable};
  if (self.empty()) return {};
  const std::filesystem::path directory = self.parent_path();
  std::vector<std::filesystem::path> candidates{directory / kDesktopExecutableName};
  if (!installedRelative.empty()) {
    candidates.push_back((directory / installedRelative).lexically_normal());
  }
  return candidates;
}

int StartDesktopExecutable(int argc, char** argv, std::string_view installedRelative) {
  const auto candidates = DesktopExecutableCandidates(std::getenv(kDesktopExecutableVariable),
                                                      SelfPath(argc > 0 ? argv[0] : nullptr),
                                                      installedRelative);
  std::string tried;
#ifndef _WIN32
  for (const std::filesystem::path& candidate : candidates) {
    std::string program = candidate.string();
    std::vector<char*> arguments{program.data()};
    for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execv(program.c_str(), arguments.data());
    // Still here: that one could not be started; say why if none can.
    tried += "\n  " + program + ": " + std::strerror(errno);
  }
#endif
  std::cerr << "hoardwright: cannot start the desktop application (" << kDesktopExecutableName
            << ")" << (tried.empty() ? std::string(": not found") : ":" + tried) << '\n';
  return kCannotStart;
}

}  // namespace hoardwright::cli
