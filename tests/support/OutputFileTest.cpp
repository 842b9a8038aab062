#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "support/OutputFile.h"
#include "support/TemporaryDirectory.h"
#include "support/TestEnvironment.h"

namespace hoardwright {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t EntriesIn(const std::filesystem::path& directory) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(directory),
                                                std::filesystem::directory_iterator()));
}

TEST(AtomicOutputFile, TargetAppearsOnlyOnCommit) {
  auto dir = support::TemporaryDirectory::Create();
  ASSERT_TRUE(dir);
  const auto target = *dir / "OMK01PER.CMP";
  std::string error;
  auto file = support::AtomicOutputFile::Create(target, &error);
  ASSERT_TRUE(file) << error;
  ASSERT_TRUE(file->File().Write(std::string_view("cache")));
  EXPECT_FALSE(std::filesystem::exists(target));
  ASSERT_TRUE(file->Commit(&error)) << error;
  EXPECT_EQ(ReadAll(target), "cache");
  EXPECT_EQ(EntriesIn(dir->Path()), 1u);
}

TEST(AtomicOutputFile, WritesOverEarlierBytesAndGoesOnAtTheEnd) {
  auto dir = support::TemporaryDirectory::Create();
  ASSERT_TRUE(dir);
  const auto target = *dir / "OMK01PER.CMP";
  std::string error;
  auto file = support::AtomicOutputFile::Create(target, &error);
  ASSERT_TRUE(file) << error;
  ASSERT_TRUE(file->Seekable());
  const auto bytes = [](std::string_view text) {
    return std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  };
  ASSERT_TRUE(file->Write(bytes("abcdef")));
  ASSERT_TRUE(file->File().WriteAt(2, bytes("XY")));
  ASSERT_TRUE(file->Write(bytes("gh")));
  ASSERT_TRUE(file->File().WriteAt(0, bytes("A")));
  EXPECT_EQ(file->File().BytesWritten(), 8u);
  ASSERT_TRUE(file->Commit(&error)) << error;
  EXPECT_EQ(ReadAll(target), "AbXYefgh");

  // A write over counts as a write point, and failing it fails the file.
  support::WriteFaults faults = support::WriteFaults::FailAtWrite(2);
  auto failing = support::AtomicOutputFile::Create(target, &error, &faults);
  ASSERT_TRUE(failing);
  EXPECT_TRUE(failing->Write(bytes("abc")));
  EXPECT_FALSE(failing->File().WriteAt(0, bytes("X")));
  EXPECT_FALSE(failing->Commit(&error));
  EXPECT_EQ(ReadAll(target), "AbXYefgh");
}

// Each way a write can fail leaves an earlier cache as it was and no temporary file behind.
TEST(AtomicOutputFile, FailuresKeepTheEarlierFileAndLeaveNothingBehind) {
  struct Case {
    const char* name;
    support::WriteFaults faults;
  };
  const Case cases[] = {{"second write", support::WriteFaults::FailAtWrite(2)},
                        {"close", support::WriteFaults::FailOnClose(1)},
                        {"rename", support::WriteFaults::FailOnRename()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto dir = support::TemporaryDirectory::Create();
    ASSERT_TRUE(dir);
    const auto target = *dir / "OMK01PER.CMP";
    { std::ofstream(target) << "earlier"; }
    support::WriteFaults faults = c.faults;
    std::string error;
    {
      auto file = support::AtomicOutputFile::Create(target, &error, &faults);
      ASSERT_TRUE(file);
      file->Write(std::span<const std::uint8_t>());
      file->File().Write(std::string_view("new"));
      EXPECT_FALSE(file->Commit(&error));
      EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(ReadAll(target), "earlier");
    EXPECT_EQ(EntriesIn(dir->Path()), 1u);
  }
}

// The working file beside the target must not make a long name fail that the file system takes:
// names up to 255 bytes.
TEST(AtomicOutputFile, AnyNameTheFileSystemTakesCanBeWritten) {
  auto dir = support::TemporaryDirectory::Create();
  ASSERT_TRUE(dir);
  for (const std::size_t length : {12U, 247U, 248U, 255U}) {
    SCOPED_TRACE(::testing::Message() << "name of " << length << " bytes");
    const auto target = *dir / (std::string(length - 4, 'C') + ".CMP");
    std::string error;
    auto file = support::AtomicOutputFile::Create(target, &error);
    ASSERT_TRUE(file) << error;
    ASSERT_TRUE(file->File().Write(std::string_view("cache")));
    ASSERT_TRUE(file->Commit(&error)) << error;
    EXPECT_EQ(ReadAll(target), "cache");
    EXPECT_EQ(EntriesIn(dir->Path()), 1u) << "nothing beside it";
    std::filesystem::remove(target);
  }
}

TEST(OutputFile, DiskFullIsReportedAsAFailure) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::string error;
  auto file = support::OutputFile::Create("/dev/full", &error);
  ASSERT_TRUE(file) << error;
  const std::string block(1 << 16, 'x');
  file->Write(std::string_view(block));
  EXPECT_FALSE(file->Close());
  EXPECT_FALSE(file->Error().empty());
}

TEST(TemporaryDirectory, IsRemovedWithItsFilesAndHonoursTmpdir) {
  std::filesystem::path kept;
  {
    auto dir = support::TemporaryDirectory::Create();
    ASSERT_TRUE(dir);
    kept = dir->Path();
    std::ofstream(*dir / "QPFCOMP.DAT") << "x";
    // Compared as texts that both end with a separator (Windows' temporary path has one).
    EXPECT_EQ((kept.parent_path() / "").lexically_normal(),
              (std::filesystem::temp_directory_path() / "").lexically_normal());
  }
  EXPECT_FALSE(std::filesystem::exists(kept));
}

// TMPDIR as the C library reads it: used when set, not empty and usable; otherwise /tmp.
TEST(TemporaryDirectory, AnEmptyOrUnusableTmpdirFallsBackToTmp) {
#ifdef _WIN32
  GTEST_SKIP() << "TMPDIR is a POSIX convention: on Windows the working files go into %TEMP%";
#endif
  auto scratch = support::TemporaryDirectory::Create();
  ASSERT_TRUE(scratch);
  const std::filesystem::path usable = *scratch / "tmp";
  const std::filesystem::path file = *scratch / "a-file";
  std::filesystem::create_directory(usable);
  std::ofstream(file) << "x";
  const std::optional<std::string> saved =
      std::getenv("TMPDIR") ? std::optional<std::string>(std::getenv("TMPDIR")) : std::nullopt;

  const struct {
    std::optional<std::string> tmpdir;
    std::filesystem::path expectedBase;
  } cases[] = {
      {std::nullopt, "/tmp"},
      {"", "/tmp"},
      {(*scratch / "missing").string(), "/tmp"},
      {file.string(), "/tmp"},
      {usable.string(), usable},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("TMPDIR=" + c.tmpdir.value_or("(unset)"));
    testing::SetVariable("TMPDIR", c.tmpdir);
    std::string error;
    const auto dir = support::TemporaryDirectory::Create(&error);
    ASSERT_TRUE(dir) << error;
    EXPECT_EQ(dir->Path().parent_path(), c.expectedBase);
    EXPECT_TRUE(dir->Path().filename().string().starts_with("hoardwright-"));
  }
  testing::SetVariable("TMPDIR", saved);
}

}  // namespace
}  // namespace hoardwright
