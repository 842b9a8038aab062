// The program stopped by SIGINT, SIGTERM or SIGHUP half-way through a build or an lzss run, as a
// user's Ctrl-C, a shutdown or a closed terminal stops it: it removes its working directory and
// any partial output, keeps the earlier cache byte for byte, and ends as the signal ends a
// program (a shell shows status 128 + the signal's number).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <chrono>
#include <csignal>
#include <fstream>
#include <random>
#include <thread>

#include "PersonalityGenerator.h"
#include "RobustnessSupport.h"

#ifdef _WIN32
// Signals are POSIX's; the console events that take their place on Windows are not tested here.
TEST(SignalTest, NotOnWindows) {
  GTEST_SKIP() << "POSIX signals sent to a forked child; Windows has neither";
}
#else
namespace hoardwright::robustness {
namespace {

constexpr std::size_t kPersonalities = 2000;  // the most an extended cache takes
const std::string kEarlier = "an earlier cache\n";

// The program running as a child process, with its own TMPDIR; its output goes to files.
class Child {
 public:
  Child(const std::vector<std::string>& arguments, const fs::path& tmpDir, const fs::path& scratch,
        bool ignoreHangup = false)
      : errPath_(scratch / "child.err") {
    pid_ = fork();
    if (pid_ != 0) return;
    const int out = open((scratch / "child.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) _exit(126);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    setenv("TMPDIR", tmpDir.c_str(), 1);
    // Whatever the test runner was started with, the child starts as from a terminal.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
    if (ignoreHangup) std::signal(SIGHUP, SIG_IGN);
    std::vector<std::string> copies = arguments;
    std::string program = HOARDWRIGHT_EXECUTABLE;
    std::vector<char*> argv{program.data()};
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  ~Child() {
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t Pid() const { return pid_; }

  // True while the process has not ended (it is not reaped here).
  bool Running() const {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
  }

  // Whether the process blocks `signal`: its signal watch is running.
  bool Blocks(int signal) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.starts_with("SigBlk:")) {
        const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
        return (mask >> (signal - 1)) & 1U;
      }
    }
    return false;
  }

  // Polls until `ready` holds; false when the process ended first.
  template <typename Ready>
  bool WaitUntil(Ready ready) const {
    while (!ready()) {
      if (!Running()) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  }

  // The raw wait status.
  int Wait() {
    int raw = 0;
    waitpid(pid_, &raw, 0);
    waited_ = true;
    return raw;
  }
  std::string Errors() const { return ReadText(errPath_); }

 private:
  fs::path errPath_;
  pid_t pid_ = -1;
  bool waited_ = false;
};

// The status a shell shows for a wait status.
int ShellStatus(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  return WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
}

bool HasHiddenFile(const fs::path& directory) {
  for (const auto& entry : fs::directory_iterator(directory)) {
    if (entry.path().filename().string().starts_with('.')) return true;
  }
  return false;
}

enum class Kind { Standard, Extended, Legacy, Lzss };

std::string KindName(Kind kind) {
  switch (kind) {
    case Kind::Standard: return "standard";
    case Kind::Extended: return "extended";
    case Kind::Legacy: return "legacy";
    case Kind::Lzss: return "lzss";
  }
  return "";
}

class SignalTest : public ::testing::TestWithParam<std::tuple<Kind, int>> {
 protected:
  static void SetUpTestSuite() {
    personalities_ = new PlainDirectory;
    tools::WritePersonalities(personalities_->Path(), kPersonalities, 13);
    // Input that keeps the coder busy for a while: random bytes do not compress.
    std::mt19937 random(13);
    std::string bytes(24 << 20, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    WriteText(personalities_->Path().parent_path() /
                  (personalities_->Path().filename().string() + ".bin"),
              bytes);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove(LzssInput(), ignored);
    delete personalities_;
    personalities_ = nullptr;
  }
  static fs::path LzssInput() {
    return personalities_->Path().parent_path() /
           (personalities_->Path().filename().string() + ".bin");
  }

  void SetUp() override { ASSERT_TRUE(tmp_ && scratch_); }

  std::vector<std::string> Arguments(Kind kind, const fs::path& cache) const {
    const std::string pers = personalities_->Path().string();
    switch (kind) {
      case Kind::Standard:
        return {"build", "--jobs", "1", "--output", cache.string(), pers};
      case Kind::Extended:
        return {"build", "--type", "extended", "--jobs", "1", "--output", cache.string(), pers};
      case Kind::Legacy:
        return {"-d", pers, "-o", cache.parent_path().string()};
      case Kind::Lzss:
        return {"lzss", "compress", LzssInput().string(), cache.string()};
    }
    return {};
  }

  // Whether the run is at the point where it holds what a signal must clean up: its working
  // directory (standard build), its partial cache beside the earlier one (the extended builds),
  // or its input in the coder (lzss: the watch is up, and the coding takes a while).
  bool Midway(Kind kind) const {
    switch (kind) {
      case Kind::Standard: return !fs::is_empty(tmp_->Path());
      case Kind::Extended:
      case Kind::Legacy: return HasHiddenFile(output_.Path());
      case Kind::Lzss: return true;
    }
    return false;
  }

  static PlainDirectory* personalities_;
  std::optional<support::TemporaryDirectory> tmp_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> scratch_ = support::TemporaryDirectory::Create();
  PlainDirectory output_;  // the legacy switches cannot take a name with a hyphen
};

PlainDirectory* SignalTest::personalities_ = nullptr;

TEST_P(SignalTest, StopsCleanlyAndKeepsTheEarlierCache) {
  const auto [kind, signal] = GetParam();
  const fs::path cache = output_.Path() / "OMK01PER.CMP";
  WriteText(cache, kEarlier);

  Child child(Arguments(kind, cache), tmp_->Path(), scratch_->Path());
  ASSERT_GT(child.Pid(), 0);
  ASSERT_TRUE(child.WaitUntil([&] { return child.Blocks(signal) && Midway(kind); }))
      << "the run ended before it could be stopped: " << child.Errors();
  ASSERT_EQ(kill(child.Pid(), signal), 0);
  const int raw = child.Wait();

  // Ended by the signal itself, after the clean-up that its message announces.
  EXPECT_TRUE(WIFSIGNALED(raw)) << raw;
  EXPECT_EQ(ShellStatus(raw), 128 + signal);
  EXPECT_NE(child.Errors().find("hoardwright: stopped by SIG"), std::string::npos)
      << child.Errors();
  EXPECT_TRUE(TreeOf(tmp_->Path()).empty()) << "the working directory is removed";
  EXPECT_EQ(TreeOf(output_.Path()), std::vector<std::string>{"OMK01PER.CMP"})
      << "no partial cache is left beside it";
  EXPECT_EQ(ReadText(cache), kEarlier);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, SignalTest,
    ::testing::Combine(::testing::Values(Kind::Standard, Kind::Extended, Kind::Legacy,
                                         Kind::Lzss),
                       ::testing::Values(SIGINT, SIGTERM, SIGHUP)),
    [](const auto& info) {
      const int signal = std::get<1>(info.param);
      return KindName(std::get<0>(info.param)) +
             (signal == SIGINT ? "_SIGINT" : signal == SIGTERM ? "_SIGTERM" : "_SIGHUP");
    });

// A hang-up that was ignored when the program started (nohup) stays ignored: the build goes on
// and writes its cache.
TEST_F(SignalTest, AnIgnoredHangupStaysIgnored) {
  const fs::path cache = output_.Path() / "OMK01PER.CMP";
  WriteText(cache, kEarlier);
  Child child(Arguments(Kind::Standard, cache), tmp_->Path(), scratch_->Path(), true);
  ASSERT_GT(child.Pid(), 0);
  ASSERT_TRUE(child.WaitUntil([&] { return child.Blocks(SIGTERM) && Midway(Kind::Standard); }))
      << child.Errors();
  EXPECT_FALSE(child.Blocks(SIGHUP));
  ASSERT_EQ(kill(child.Pid(), SIGHUP), 0);
  const int raw = child.Wait();
  EXPECT_EQ(ShellStatus(raw), 0) << child.Errors();
  EXPECT_NE(ReadText(cache), kEarlier);
  EXPECT_TRUE(TreeOf(tmp_->Path()).empty());
}

}  // namespace
}  // namespace hoardwright::robustness
#endif
