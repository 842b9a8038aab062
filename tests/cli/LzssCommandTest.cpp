// The `hoardwright lzss` subcommands, run as a separate process.
#include <gtest/gtest.h>
#ifdef _WIN32
#include "support/WindowsChild.h"
#else
#include <sys/stat.h>
#include <sys/wait.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "lzss/Lzss.h"
#include "lzss/LzssTestInputs.h"

namespace hoardwright::lzss {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

[[maybe_unused]] std::string ReadText(const fs::path& path) {
  const Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class LzssCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("hoardwright-lzss-cli-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "work");
    fs::create_directories(root_ / "logs");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Work(const std::string& name) const { return root_ / "work" / name; }

  // Bounded in time and (outside AddressSanitizer builds) in address space, so that a command
  // that waits on a pipe or reads a device without end fails the test instead of the machine.
  Outcome Run(const std::string& command, const fs::path& in, const fs::path& out) const {
    const fs::path logs = root_ / "logs";
#ifdef _WIN32
    // Bounded in time only: Windows has no per-process address-space limit.
    const hoardwright::testing::WindowsChildRun run = hoardwright::testing::RunWindowsChild(
        HOARDWRIGHT_EXECUTABLE, {"lzss", command, in.string(), out.string()}, {{}, true, 60, {}},
        logs);
    return {run.hung ? 124 : run.exitStatus, run.standardOutput, run.standardError};
#elif defined(__SANITIZE_ADDRESS__)
    const std::string limits = "exec timeout 60 ";
#else
    const std::string limits = "ulimit -v 4194304; exec timeout 60 ";
#endif
#ifndef _WIN32
    const std::string line = limits + "'" + HOARDWRIGHT_EXECUTABLE + "' lzss " + command +
                             " '" + in.string() + "' '" + out.string() + "' >'" +
                             (logs / "out").string() + "' 2>'" + (logs / "err").string() + "'";
    const int raw = std::system(line.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(logs / "out"), ReadText(logs / "err")};
#endif
  }

  std::set<std::string> WorkFiles() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_ / "work")) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  fs::path root_;
};

TEST_F(LzssCommand, CompressThenDecompressGivesTheInputBack) {
  const Bytes inputs[] = {{}, testing::TextLike(20000, 1), testing::RandomBytes(70000, 2)};
  for (const Bytes& data : inputs) {
    WriteFile(Work("in"), data);
    ASSERT_EQ(Run("compress", Work("in"), Work("in.z")).status, 0) << data.size();
    EXPECT_EQ(ReadFile(Work("in.z")), CompressUnit(data, nullptr)) << data.size();
    const Outcome decoded = Run("decompress", Work("in.z"), Work("back"));
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_TRUE(decoded.err.empty()) << decoded.err;
    EXPECT_TRUE(ReadFile(Work("back")) == data) << data.size();
  }
  EXPECT_EQ(WorkFiles(), (std::set<std::string>{"in", "in.z", "back"}));
}

TEST_F(LzssCommand, CompressingTwiceGivesIdenticalFiles) {
  WriteFile(Work("in"), testing::NodeZeroInput(3, 500));
  ASSERT_EQ(Run("compress", Work("in"), Work("first")).status, 0);
  ASSERT_EQ(Run("compress", Work("in"), Work("second")).status, 0);
  EXPECT_EQ(ReadFile(Work("first")), ReadFile(Work("second")));
}

TEST_F(LzssCommand, BadPathsFailWithOneLineAndLeaveNoOutput) {
  WriteFile(Work("in"), testing::TextLike(3000, 4));
  WriteFile(Work("kept"), {'o', 'l', 'd'});
  fs::create_directories(Work("dir"));
  const struct {
    const char* command;
    fs::path in;
    fs::path out;
    fs::path named;
  } cases[] = {
      {"compress", Work("missing"), Work("out"), Work("missing")},
      {"decompress", Work("missing"), Work("out"), Work("missing")},
      {"compress", Work("dir"), Work("out"), Work("dir")},
      {"compress", Work("in"), Work("no-such-dir") / "out", Work("no-such-dir") / "out"},
      {"decompress", Work("in"), Work("no-such-dir") / "out", Work("no-such-dir") / "out"},
      {"compress", Work("in"), Work("dir"), Work("dir")},
      {"compress", Work("missing"), Work("kept"), Work("missing")},
  };
  const auto before = WorkFiles();
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.command, c.in, c.out);
    EXPECT_NE(outcome.status, 0) << c.command << ' ' << c.in << ' ' << c.out;
    EXPECT_NE(outcome.err.find(c.named.string()), std::string::npos) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_EQ(WorkFiles(), before) << c.command << ' ' << c.in << ' ' << c.out;
  }
  EXPECT_EQ(ReadFile(Work("kept")), (Bytes{'o', 'l', 'd'}));
}

TEST_F(LzssCommand, AFullDiskFailsTheCompression) {
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (const std::size_t size : {10u, 200000u}) {
    WriteFile(Work("in"), testing::RandomBytes(size, 5));
    const Outcome outcome = Run("compress", Work("in"), "/dev/full");
    EXPECT_NE(outcome.status, 0) << size;
    EXPECT_NE(outcome.err.find("/dev/full"), std::string::npos) << outcome.err;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
  }
}

TEST_F(LzssCommand, DecompressReportsACutOffStreamAndKeepsWhatItDecoded) {
  const Bytes data = testing::TextLike(5000, 6);
  Bytes unit = CompressUnit(data, nullptr);
  unit.resize(unit.size() / 2);
  WriteFile(Work("cut.z"), unit);
  const Outcome outcome = Run("decompress", Work("cut.z"), Work("out"));
  EXPECT_NE(outcome.status, 0);
  EXPECT_NE(outcome.err.find("end-of-stream"), std::string::npos) << outcome.err;
  const Bytes decoded = ReadFile(Work("out"));
  EXPECT_GT(decoded.size(), 0u);
  EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), data.begin()));
}

TEST_F(LzssCommand, DecompressReportsASumMismatch) {
  const Bytes data = testing::TextLike(5000, 7);
  Bytes unit = CompressUnit(data, nullptr);
  unit[0] ^= 1;
  WriteFile(Work("bad.z"), unit);
  const Outcome outcome = Run("decompress", Work("bad.z"), Work("out"));
  EXPECT_NE(outcome.status, 0);
  EXPECT_NE(outcome.err.find("sum mismatch"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.err.find("end-of-stream"), std::string::npos) << outcome.err;
  EXPECT_EQ(ReadFile(Work("out")), data);

  WriteFile(Work("short.z"), {1, 2});
  const Outcome tooShort = Run("decompress", Work("short.z"), Work("out2"));
  EXPECT_NE(tooShort.status, 0);
  EXPECT_NE(tooShort.err.find("4-byte sum"), std::string::npos) << tooShort.err;
}

// Only a regular file of at most 512 MiB is read: a device or a pipe would never end.
TEST_F(LzssCommand, InputsThatAreNotRegularFilesFailWithoutOutput) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no FIFOs or /dev/zero";
#else
  ASSERT_EQ(::mkfifo(Work("pipe").c_str(), 0600), 0);
  std::ofstream(Work("huge")).close();
  fs::resize_file(Work("huge"), (std::uint64_t{512} << 20) + 1);
  std::vector<std::pair<fs::path, std::string>> cases = {
      {Work("pipe"), "not a regular file"},
      {Work("huge"), "larger than 536870912 bytes"},
  };
  if (fs::is_character_file("/dev/zero")) cases.emplace_back("/dev/zero", "not a regular file");
  const auto before = WorkFiles();
  for (const auto& [in, reason] : cases) {
    for (const char* command : {"compress", "decompress"}) {
      const Outcome outcome = Run(command, in, Work("out"));
      EXPECT_EQ(outcome.status, 1) << command << ' ' << in;
      EXPECT_EQ(outcome.err,
                "hoardwright lzss: cannot read \"" + in.string() + "\": " + reason + "\n");
      EXPECT_EQ(WorkFiles(), before) << command << ' ' << in;
    }
  }
#endif
}

}  // namespace
}  // namespace hoardwright::lzss
