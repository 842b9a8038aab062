#pragma once
// Runs the program as a child process with a chosen environment and collects what it printed.
#ifdef _WIN32
#include "support/WindowsChild.h"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/Files.h"

namespace hoardwright::testing {

struct ProgramRun {
  int exitStatus = -1;  // -1 when it did not exit normally
  std::string standardOutput;
  std::string standardError;
};

// `environment` replaces the child's environment entirely (PATH is not needed: the program is
// started by its full path). `scratch` holds the captured output files.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const std::map<std::string, std::string>& environment,
                             const std::filesystem::path& scratch) {
#ifdef _WIN32
  // Windows cannot start a program without a few of its own variables; they go along.
  const WindowsChildRun child =
      RunWindowsChild(program, arguments, {environment, /*inherit=*/false, 0, {}}, scratch);
  return ProgramRun{child.exitStatus, child.standardOutput, child.standardError};
#else
  const auto outPath = scratch / "child.stdout";
  const auto errPath = scratch / "child.stderr";
  std::vector<std::string> argvText{program};
  argvText.insert(argvText.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& text : argvText) argv.push_back(text.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText;
  for (const auto& [name, value] : environment) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ProgramRun run;
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.exitStatus = WEXITSTATUS(status);
  }
  run.standardOutput = ReadText(outPath);
  run.standardError = ReadText(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return run;
#endif
}

}  // namespace hoardwright::testing
