// What inspect takes in and gives out beyond the cache's own bytes: the file it is named (only
// a regular file of bounded size is read), the directory --extract writes into (never through
// a link), the paths in its JSON (UTF-8 kept, other bytes escaped) and the text fields a build
// would have written differently (warnings, not damage).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include <nlohmann/json.hpp>

#include "support/InspectTestSupport.h"
#include "inspect/CacheInspector.h"
#include "inspect/InspectExtract.h"
#include "inspect/TextFormat.h"
#include "extended/ByteOrder.h"

namespace hoardwright {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadBytes;
using testing::ReadText;
using testing::RunProgram;
using testing::WriteText;

class InspectInputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    entries_ = testing::CacheListOf({testing::ExamplesDir()});
    entries_.resize(3);
    auto directory = support::TemporaryDirectory::Create();
    ASSERT_TRUE(directory);
    standard_ = testing::BuildStandardBytes(entries_, *directory);
    extended_ = testing::BuildExtendedBytes(entries_, *directory);
  }
  void SetUp() override { ASSERT_TRUE(scratch_); }

  fs::path Write(const std::string& name, const Bytes& bytes) const {
    const fs::path path = scratch_->Path() / name;
    WriteText(path, std::string(bytes.begin(), bytes.end()));
    return path;
  }

  static inline std::vector<std::string> entries_;
  static inline Bytes standard_;
  static inline Bytes extended_;
  std::optional<support::TemporaryDirectory> scratch_ = support::TemporaryDirectory::Create();
};

// As tar extracts: a link already in the directory is replaced, never followed, and a file there
// (a hard link to one elsewhere included) is replaced as a whole, never written into.
TEST_F(InspectInputTest, ExtractNeverWritesThroughALink) {
#ifdef _WIN32
  GTEST_SKIP() << "std::filesystem makes no symbolic links in the MinGW build (and Windows needs a "
                  "privilege for them)";
#else
  const fs::path cache = Write("OMK01PER.CMP", standard_);
  const inspect::InspectReport report = inspect::InspectCache(standard_, "cache");
  const auto& personalities = report.standard->personalities;
  const fs::path parts = scratch_->Path() / "parts";
  fs::create_directories(parts);
  const fs::path outside = scratch_->Path() / "outside.bin";
  const fs::path hardOutside = scratch_->Path() / "hard-outside.bin";
  const fs::path notThere = scratch_->Path() / "made-through-a-link.bin";
  WriteText(outside, "keep");
  WriteText(hardOutside, "keep too");
  fs::create_symlink(outside, parts / "stream.bin");
  fs::create_symlink(notThere, parts / "shape-library.bin");
  fs::create_hard_link(hardOutside, parts / inspect::PersonalityFileName(personalities[2]));
  WriteText(parts / inspect::PersonalityFileName(personalities[1]), "old");

  const auto run = RunProgram({"inspect", cache.string(), "--json", "--extract", parts.string()},
                              *scratch_);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadText(outside), "keep");
  EXPECT_EQ(ReadText(hardOutside), "keep too");
  EXPECT_FALSE(fs::exists(fs::symlink_status(notThere)));
  for (const char* name : {"stream.bin", "shape-library.bin"}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(parts / name))) << name;
  }
  EXPECT_EQ(ReadBytes(parts / "stream.bin"), report.standard->stream->data);
  EXPECT_EQ(ReadBytes(parts / inspect::PersonalityFileName(personalities[1])),
            testing::CompiledRecord(entries_[0]));
  EXPECT_EQ(ReadBytes(parts / inspect::PersonalityFileName(personalities[2])),
            testing::CompiledRecord(entries_[1]));
  // Nothing but the files listed: no temporary file is left behind.
  auto listed = nlohmann::json::parse(run.out)["extracted"].get<std::vector<std::string>>();
  std::ranges::sort(listed);
  EXPECT_EQ(testing::NamesIn(parts), listed);
#endif
}

TEST_F(InspectInputTest, ExtractRefusesADirectoryThatIsALinkOrNoDirectory) {
#ifdef _WIN32
  GTEST_SKIP() << "std::filesystem makes no symbolic links in the MinGW build (and Windows needs a "
                  "privilege for them)";
#else
  const fs::path cache = Write("OMK01PER.CMP", standard_);
  const fs::path real = scratch_->Path() / "real";
  fs::create_directories(real);
  fs::create_directory_symlink(real, scratch_->Path() / "link");
  WriteText(scratch_->Path() / "file", "file");
  const std::pair<std::string, std::string> cases[] = {
      {(scratch_->Path() / "link").string(), "symbolic link"},
      {(scratch_->Path() / "link").string() + "/", "symbolic link"},
      {(scratch_->Path() / "file").string(), "not a directory"},
  };
  for (const auto& [directory, reason] : cases) {
    const auto run = RunProgram({"inspect", cache.string(), "--extract", directory}, *scratch_);
    EXPECT_EQ(run.status, 2) << directory;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
  }
  EXPECT_TRUE(fs::is_empty(real));
  EXPECT_EQ(ReadText(scratch_->Path() / "file"), "file");

  // A directory that is missing is made, its missing parents too.
  const fs::path made = scratch_->Path() / "new" / "parts";
  EXPECT_EQ(RunProgram({"inspect", cache.string(), "--extract", made.string()}, *scratch_).status,
            0);
  EXPECT_TRUE(fs::is_regular_file(made / "stream.bin"));
#endif
}

// A device or a pipe is refused before a byte is read from it, and so is a file past the limit.
TEST_F(InspectInputTest, InputsThatAreNotRegularFilesAreRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no FIFOs, and its error texts are not the C library's";
#else
  const fs::path fifo = scratch_->Path() / "pipe.CMP";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path sparse = scratch_->Path() / "huge.CMP";
  std::ofstream(sparse).close();
  fs::resize_file(sparse, inspect::kMaxCacheFileSize + 1);
  struct Case {
    fs::path path;
    std::string reason;
  };
  std::vector<Case> cases = {
      {fifo, "not a regular file"},
      {scratch_->Path(), "not a regular file"},
      {sparse, "larger than " + std::to_string(inspect::kMaxCacheFileSize) + " bytes"},
      {scratch_->Path() / "missing.CMP", std::strerror(ENOENT)},
  };
  if (fs::is_character_file("/dev/zero")) cases.push_back({"/dev/zero", "not a regular file"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.string());
    const auto run = RunProgram({"inspect", c.path.string()}, *scratch_, {2 << 20, 30});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "hoardwright inspect: cannot read " + c.path.string() + ": " + c.reason + "\n");
    EXPECT_TRUE(run.out.empty());
  }
#endif
}

TEST(PathTextTest, JsonPathsKeepUtf8AndEscapeOtherBytesReversibly) {
  const std::pair<std::string, std::string> cases[] = {
      {"LT\xc3\xa9.QPF", "LT\xc3\xa9.QPF"},
      {"\xf0\x9f\x8e\xad/a b", "\xf0\x9f\x8e\xad/a b"},
      {"tab\there", "tab\there"},
      {"LT\xe9.QPF", "LT%E9.QPF"},
      {"50%.QPF", "50%25.QPF"},
      {"\xc0\xaf", "%C0%AF"},                  // overlong "/"
      {"\xed\xa0\x80", "%ED%A0%80"},           // a surrogate
      {"\xf4\x90\x80\x80", "%F4%90%80%80"},    // past U+10FFFF
      {"ab\xe2\x82", "ab%E2%82"},              // cut short
      {"\xe2\x82\xac\x80", "\xe2\x82\xac%80"}, // a stray continuation byte
  };
  for (const auto& [path, json] : cases) EXPECT_EQ(inspect::PathJson(path), json) << path;

  const auto unescape = [](const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '%') {
        bytes.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
        i += 2;
      } else {
        bytes.push_back(text[i]);
      }
    }
    return bytes;
  };
  std::mt19937 random(13);
  for (int round = 0; round < 2000; ++round) {
    std::string path(random() % 12, '\0');
    for (char& c : path) c = static_cast<char>(random() % 4 == 0 ? '%' : random() % 256);
    const std::string json = inspect::PathJson(path);
    EXPECT_EQ(unescape(json), path);
    EXPECT_NO_THROW((void)nlohmann::json(json).dump());  // valid UTF-8
  }
}

TEST(PathTextTest, TerminalPathsShowControlsAndOtherBytesAsEscapes) {
  EXPECT_EQ(inspect::PathText("LT\xc3\xa9.CMP"), "LT\xc3\xa9.CMP");
  EXPECT_EQ(inspect::PathText("a\x1b[31m\x07"), "a\\x1B[31m\\x07");
  EXPECT_EQ(inspect::PathText("\xc2\x9b" "2J"), "\\xC2\\x9B2J");
  EXPECT_EQ(inspect::PathText("LT\xe9"), "LT\\xE9");
}

// A path in an escaped line: on Windows the backslash is the separator and stays single, on
// POSIX it is a character of a name and is doubled as everywhere else; controls and bytes
// outside printable ASCII are escaped on both.
TEST(PathTextTest, EscapedPathsKeepWindowsSeparatorsSingle) {
#ifdef _WIN32
  EXPECT_EQ(inspect::EscapedPath("C:\\Pers\\A\tB.QPF"), "C:\\Pers\\A\\tB.QPF");
  EXPECT_EQ(inspect::EscapedPath("\\\\server\\L\xc3\xa4" "den\\"), "\\\\server\\L\\xC3\\xA4den\\");
#else
  EXPECT_EQ(inspect::EscapedPath("/pers/A\\B\tC.QPF"), "/pers/A\\\\B\\tC.QPF");
  EXPECT_EQ(inspect::EscapedPath("/pers/L\xc3\xa4" "den/"), "/pers/L\\xC3\\xA4den/");
#endif
}

TEST_F(InspectInputTest, JsonNamesAUtf8FileInUtf8) {
  const fs::path cache = Write("LT\xc3\xa9.CMP", standard_);
  const auto run = RunProgram({"inspect", "--json", cache.string()}, *scratch_);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out)["file"], cache.string());
}

// Bytes after a text field's NUL, or a field without its NUL, are not what a build writes; a
// reader takes the text up to the NUL all the same, so the file stays intact.
TEST_F(InspectInputTest, TextFieldsABuildWouldNotWriteAreWarnings) {
  Bytes standard = standard_;
  const auto deviceAt = [](std::size_t record) {
    return standard::kHeaderSize + record * standard::kIndexRecordSize + standard::kDeviceOffset;
  };
  const std::size_t length1 =
      standard::DecodeIndexRecord(std::span(standard).subspan(deviceAt(1) - 2))->deviceText.size();
  standard[deviceAt(1) + length1 + 3] = 'X';
  std::fill_n(standard.begin() + static_cast<std::ptrdiff_t>(deviceAt(2)),
              standard::kDeviceFieldSize, 'Y');
  standard[deviceAt(3) - standard::kDeviceOffset] = 0;  // the code: a NUL, then a letter
  standard[deviceAt(3) - standard::kDeviceOffset + 1] = 'Z';

  const inspect::InspectReport report = inspect::InspectCache(standard, "warned");
  EXPECT_FALSE(report.Damaged());
  ASSERT_EQ(report.warnings.size(), 3u);
  EXPECT_EQ(report.warnings[0].record, 1u);
  EXPECT_EQ(report.warnings[0].offset, deviceAt(1) + length1 + 3);
  EXPECT_EQ(
      report.warnings[0].message,
      "the device text field holds 1 byte other than 0 after its text, where a build writes zeros");
  EXPECT_EQ(report.warnings[1].offset, deviceAt(2) + standard::kMaxDeviceTextLength);
  EXPECT_EQ(report.warnings[1].message,
            "the device text field holds 82 characters and no NUL; a build writes at most 80");
  EXPECT_EQ(report.warnings[2].offset, deviceAt(3) - 1);
  EXPECT_NE(report.warnings[2].message.find("the code field holds 1 byte"), std::string::npos);

  Bytes extended = extended_;
  const std::size_t table = extended::LoadBigEndian32At(
      extended, extended::kOffsetTableOffset + 4 * extended::kPersonalitySlot);
  extended[extended::kManufacturerTableOffset + extended::kManufacturerNameLength] = '!';
  std::fill_n(extended.begin() + static_cast<std::ptrdiff_t>(table + extended::kDeviceNameOffset),
              extended::kDeviceNameFieldSize, 'D');
  const inspect::InspectReport extendedReport = inspect::InspectCache(extended, "warned");
  EXPECT_FALSE(extendedReport.Damaged());
  ASSERT_EQ(extendedReport.warnings.size(), 2u);
  EXPECT_EQ(extendedReport.warnings[0].section, "manufacturer table");
  EXPECT_EQ(extendedReport.warnings[1].section, "personality table");
  EXPECT_EQ(extendedReport.warnings[1].message,
            "the device name field holds 12 characters and no NUL; a build writes at most 11");

  const fs::path path = Write("warned.CMP", standard);
  const auto text = RunProgram({"inspect", path.string()}, *scratch_);
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("Result: intact\nWarnings: 3\n  index record 1, file offset " +
                          std::to_string(deviceAt(1) + length1 + 3) + ": the device text field"),
            std::string::npos)
      << text.out;
  const auto json = RunProgram({"inspect", "--json", path.string()}, *scratch_);
  EXPECT_EQ(json.status, 0);
  const auto document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document["damaged"], false);
  ASSERT_EQ(document["warnings"].size(), 3u);
  EXPECT_EQ(document["warnings"][1]["record"], 2);
}

}  // namespace
}  // namespace hoardwright
