#pragma once
// What the robustness tests share: a private TMPDIR per test, directory listings, and the program
// run as a child process with its own environment and, optionally, a file size limit (a disk
// that fills up at a chosen byte).
#include <gtest/gtest.h>
#ifdef _WIN32
#include <cstdint>

#include "support/WindowsChild.h"
#else
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/TemporaryDirectory.h"
#include "support/TestEnvironment.h"

namespace hoardwright::robustness {

using hoardwright::testing::ExamplesDir;
using hoardwright::testing::ReadText;
using hoardwright::testing::WriteText;

namespace fs = std::filesystem;



// Every entry below `directory`, as paths relative to it, sorted.
inline std::vector<std::string> TreeOf(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(directory)) {
    names.push_back(fs::relative(entry.path(), directory).string());
  }
  std::ranges::sort(names);
  return names;
}

// Points TMPDIR (TMP on Windows) at a fresh directory for the lifetime of the object, so a test
// can see every working file a build leaves behind.
class PrivateTmpDir {
 public:
  PrivateTmpDir() : directory_(support::TemporaryDirectory::Create()) {
    if (const char* old = std::getenv(testing::kTemporaryDirectoryVariable)) previous_ = old;
    if (directory_)
      testing::SetVariable(testing::kTemporaryDirectoryVariable, directory_->Path().string());
  }
  ~PrivateTmpDir() { testing::SetVariable(testing::kTemporaryDirectoryVariable, previous_); }
  PrivateTmpDir(const PrivateTmpDir&) = delete;
  PrivateTmpDir& operator=(const PrivateTmpDir&) = delete;

  bool Ok() const { return directory_.has_value(); }
  const fs::path& Path() const { return directory_->Path(); }

 private:
  std::optional<support::TemporaryDirectory> directory_;
  std::optional<std::string> previous_;
};

// A scratch directory whose path has no hyphen: the legacy switches end a value at the next "-".
class PlainDirectory {
 public:
  PlainDirectory() {
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            ("hwrobust_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~PlainDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  PlainDirectory(const PlainDirectory&) = delete;
  PlainDirectory& operator=(const PlainDirectory&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

struct ProcessRun {
  int status = -1;  // the exit status; -1 when the process did not exit normally (a signal)
  std::string out;
  std::string err;
};

#ifdef _WIN32
using rlim_t = std::uint64_t;  // a file size limit has no Windows counterpart: never set there
#endif

struct RunOptions {
  // Every file the program writes fails past this many bytes (SIGXFSZ ignored, so a write
  // returns EFBIG just as it would return ENOSPC on a full disk).
  std::optional<rlim_t> fileSizeLimit;
  // The program is killed after this many seconds and the run's status is kHung; 0 waits.
  int timeoutSeconds = 0;
  // Run as the unprivileged user "nobody" when the tests run as root, so that file permissions
  // hold for the program as they do for a user.
  bool unprivileged = false;
};

inline constexpr int kHung = -2;
#ifndef _WIN32
inline constexpr uid_t kNobody = 65534;
#endif

// Runs the program with `arguments`. Its TMPDIR is `tmpDir` and SOURCE_DATE_EPOCH is fixed.
inline ProcessRun RunProgram(const std::vector<std::string>& arguments, const fs::path& tmpDir,
                             const fs::path& scratch, const RunOptions& options) {
#ifdef _WIN32
  // Neither a file size limit nor another user: tests that need them are skipped on Windows.
  if (options.fileSizeLimit) ADD_FAILURE() << "no file size limit on Windows";
  const std::string tmp = tmpDir.string();
  const testing::WindowsChildRun child =
      testing::RunWindowsChild(HOARDWRIGHT_EXECUTABLE, arguments,
                               {{{"TMP", tmp}, {"TEMP", tmp}, {"SOURCE_DATE_EPOCH", "1796478358"}},
                                true,
                                options.timeoutSeconds,
                                {}},
                               scratch);
  return {child.hung ? kHung : child.exitStatus, child.standardOutput, child.standardError};
#else
  const fs::path outPath = scratch / "run.out";
  const fs::path errPath = scratch / "run.err";
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) _exit(126);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    setenv("TMPDIR", tmpDir.c_str(), 1);
    setenv("SOURCE_DATE_EPOCH", "1796478358", 1);
    if (options.fileSizeLimit) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    if (options.unprivileged && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      _exit(126);
    }
    std::vector<char*> argv;
    std::string program = HOARDWRIGHT_EXECUTABLE;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (child < 0) return {};
  int raw = 0;
  bool hung = false;
  pid_t waited = 0;
  for (int slept = 0; (waited = waitpid(child, &raw, options.timeoutSeconds > 0 ? WNOHANG : 0)) == 0;
       slept += 50) {
    if (slept >= options.timeoutSeconds * 1000) {
      kill(child, SIGKILL);
      waited = waitpid(child, &raw, 0);
      hung = true;
      break;
    }
    usleep(50'000);
  }
  if (waited != child) return {};
  ProcessRun run{hung ? kHung : (WIFEXITED(raw) ? WEXITSTATUS(raw) : -1), ReadText(outPath),
                 ReadText(errPath)};
  fs::remove(outPath);
  fs::remove(errPath);
  return run;
#endif
}

// As above; with `fileSizeLimit` every file the program writes fails past that many bytes.
inline ProcessRun RunProgram(const std::vector<std::string>& arguments, const fs::path& tmpDir,
                             const fs::path& scratch,
                             std::optional<rlim_t> fileSizeLimit = std::nullopt) {
  return RunProgram(arguments, tmpDir, scratch, RunOptions{fileSizeLimit, 0, false});
}


}  // namespace hoardwright::robustness
