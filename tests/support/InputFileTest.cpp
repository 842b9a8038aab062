// The gate every personality file passes before it is read: regular files (and links to them)
// are read whole up to the limit; anything else is refused, with its kind, without being read.
#include "support/InputFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>

#include "support/TemporaryDirectory.h"
#include "personality/LineStream.h"

namespace hoardwright {
namespace {

namespace fs = std::filesystem;

class InputFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(directory_); }
  fs::path Path(const std::string& name) const { return directory_->Path() / name; }
  fs::path Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }

  std::optional<support::TemporaryDirectory> directory_ = support::TemporaryDirectory::Create();
};

TEST_F(InputFileTest, ReadsRegularFilesAndLinksToThem) {
#ifdef _WIN32
  GTEST_SKIP() << "std::filesystem makes no symbolic links in the MinGW build (and Windows needs a "
                  "privilege for them)";
#else
  const fs::path file = Write("AB.QPF", std::string("DEVICE x\r\n\0tail", 16));
  fs::create_symlink(file, Path("LINK.QPF"));
  for (const fs::path& path : {file, Path("LINK.QPF")}) {
    const support::InputFile input = support::ReadInputFile(path, 1024);
    EXPECT_TRUE(input.Read()) << input.refusal;
    EXPECT_EQ(input.bytes, std::string("DEVICE x\r\n\0tail", 16));
    EXPECT_EQ(support::InputFileRefusal(path), "");
  }
  EXPECT_TRUE(support::ReadInputFile(Write("EMPTY.QPF", ""), 0).Read());
#endif
}

TEST_F(InputFileTest, RefusesWhatIsNotARegularFileWithoutReadingIt) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no FIFOs or /dev/zero, and std::filesystem makes no symbolic links "
                  "in the MinGW build";
#else
  fs::create_directory(Path("DIR.QPF"));
  ASSERT_EQ(::mkfifo(Path("FIFO.QPF").c_str(), 0600), 0);
  fs::create_symlink(Path("FIFO.QPF"), Path("TOFIFO.QPF"));
  fs::create_symlink("/dev/zero", Path("ZERO.QPF"));
  fs::create_symlink(Path("MISSING.QPF"), Path("DANGLING.QPF"));
  fs::create_symlink(Path("LOOP.QPF"), Path("LOOP.QPF"));
  const struct {
    const char* name;
    const char* refusal;
  } cases[] = {
      {"DIR.QPF", "not a regular file (a directory)"},
      {"FIFO.QPF", "not a regular file (a FIFO or pipe)"},
      {"TOFIFO.QPF", "not a regular file (a FIFO or pipe)"},
      {"ZERO.QPF", "not a regular file (a character device)"},
      {"DANGLING.QPF", "cannot be opened: No such file or directory"},
      {"LOOP.QPF", "cannot be opened: Too many levels of symbolic links"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const support::InputFile input =
        support::ReadInputFile(Path(c.name), support::kMaxPersonalityFileSize);
    EXPECT_FALSE(input.Read());
    EXPECT_EQ(input.refusal, c.refusal);
    EXPECT_TRUE(input.bytes.empty());
    EXPECT_EQ(support::InputFileRefusal(Path(c.name)), c.refusal);
  }
#endif
}

TEST_F(InputFileTest, ReadsUpToTheLimitAndRefusesOneByteMore) {
  const fs::path atLimit = Write("LIMIT.QPF", std::string(1024 * 1024, 'x'));
  EXPECT_EQ(support::ReadInputFile(atLimit, 1024 * 1024).bytes.size(), 1024u * 1024u);
  const support::InputFile over = support::ReadInputFile(atLimit, 1024 * 1024 - 1);
  EXPECT_EQ(over.refusal, "larger than 1,048,575 bytes, the most read from one file");
  EXPECT_TRUE(over.bytes.empty());
  EXPECT_EQ(support::ReadInputFile(atLimit, 0).refusal,
            "larger than 0 bytes, the most read from one file");
}

// What every reader of personalities goes through: 16 MB at most.
TEST_F(InputFileTest, APersonalityFileOverSixteenMegabytesIsRefused) {
  std::string text = "DEVICE  Big\r\n";
  text.resize(support::kMaxPersonalityFileSize, ';');
  const fs::path atLimit = Write("ATLIMIT.QPF", text);
  EXPECT_TRUE(personality::LineStream::Open(atLimit, personality::LineMode::Text));
  const fs::path over = Write("OVER.QPF", text + ";");
  std::string error;
  EXPECT_FALSE(personality::LineStream::Open(over, personality::LineMode::Binary, &error));
  EXPECT_EQ(error, "larger than 16 MB (16,777,216 bytes), the most read from one file");
}

}  // namespace
}  // namespace hoardwright
