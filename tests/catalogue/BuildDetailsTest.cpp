#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "catalogue/BuildDetails.h"
#include "support/DirectoryText.h"

namespace hoardwright::catalogue {
namespace {

std::string Lines(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) text += "Line " + std::to_string(i) + "\r\n";
  return text;
}

TEST(CutNotesTest, KeepsTenLinesAndDropsTheTenthLineFeed) {
  EXPECT_EQ(catalogue::CutNotes(Lines(1, 12)), Lines(1, 9) + "Line 10\r");
  EXPECT_EQ(catalogue::CutNotes(Lines(1, 10)), Lines(1, 9) + "Line 10\r");
  EXPECT_EQ(catalogue::CutNotes(Lines(1, 9) + "Last"), Lines(1, 9) + "Last");
  EXPECT_EQ(catalogue::CutNotes(""), "");
}

TEST(CutNotesTest, CutsLongLinesToTwentyCharactersAndTheirCarriageReturn) {
  const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
  const std::string twenty = thirty.substr(0, 20);
  struct Case {
    std::string notes;
    std::string expected;
  };
  const Case cases[] = {
      {thirty + "\r\n", twenty + "\r\n"},
      {thirty, thirty.substr(0, 21)},  // the last line keeps 21
      {twenty + "\r\n", twenty + "\r\n"},
      {thirty.substr(0, 21) + "\r\n", twenty + "\r\n"},
      // Every following line is checked and cut the same way.
      {thirty + "\r\nshort\r\n" + thirty + "\r\n" + thirty,
       twenty + "\r\nshort\r\n" + twenty + "\r\n" + thirty.substr(0, 21)},
  };
  for (const Case& c : cases) EXPECT_EQ(catalogue::CutNotes(c.notes), c.expected) << c.notes;
}

TEST(CutNotesTest, LongLinesAndTheTenLineLimitTogether) {
  std::string notes;
  for (int i = 0; i < 11; ++i) notes += std::string(25, static_cast<char>('a' + i)) + "\r\n";
  std::string expected;
  for (int i = 0; i < 10; ++i) expected += std::string(20, static_cast<char>('a' + i)) + "\r\n";
  expected.pop_back();
  EXPECT_EQ(catalogue::CutNotes(notes), expected);
}

TEST(BuildDetailsTest, BrowseAppendsTheSeparatorAndACancelKeepsTheDirectory) {
  EXPECT_EQ(catalogue::ApplyBrowsedOutputDir("/old/", ""), "/old/");
  EXPECT_EQ(catalogue::ApplyBrowsedOutputDir("/old/", "/media/cards"),
            std::string("/media/cards") + support::kDirectorySeparator);
  EXPECT_EQ(catalogue::ApplyBrowsedOutputDir("/old/", "/media/cards/"), "/media/cards/");
}

TEST(FitNotesTest, KeepsTenLinesOfTwentyCharacters) {
  const std::u32string line44(44, U'x');
  std::u32string typed;
  for (int i = 0; i < 13; ++i) typed += line44 + U"\n";
  std::u32string expected;
  for (int i = 0; i < 10; ++i) expected += std::u32string(20, U'x') + (i < 9 ? U"\n" : U"");
  EXPECT_EQ(FitNotes(typed), expected);
  // What fits stays as typed, characters beyond Latin-1 included.
  EXPECT_EQ(FitNotes(U"Rig A\n\nTruss \u00e9\u4e2d"), U"Rig A\n\nTruss \u00e9\u4e2d");
  EXPECT_EQ(FitNotes(U""), U"");
  // The fitted notes pass CutNotes unchanged once their line breaks are CR LF.
  EXPECT_EQ(FitNotes(FitNotes(typed)), FitNotes(typed));
}

std::filesystem::path ScratchPath(const std::string& stem) {
  return std::filesystem::temp_directory_path() /
         (stem + std::to_string(std::random_device()() % 1000000));
}

// The details dialog's OK refuses an output place that the build could only fail on, saying why.
TEST(CheckOutputPlaceTest, RefusesWhatTheBuildCouldNotWrite) {
  const std::filesystem::path root = ScratchPath("hoardwright-place-");
  std::filesystem::create_directories(root / "out");
  { std::ofstream(root / "plain-file") << "x"; }
  std::filesystem::create_directories(root / "out" / "TAKEN.CMP");
  const std::string out = (root / "out").string();
  struct Case {
    std::string dir;
    std::string name;
    std::string expected;  // empty: accepted
  };
  const Case cases[] = {
      {out + "/", "OMK01PER.CMP", ""},
      {out, "OMK01PER.CMP", ""},  // the separator is added
      {out + "/", "", "Please enter a file name for the cache file."},
      {out + "/", "sub/NAME.CMP", "The file name sub/NAME.CMP must not contain \"/\"."},
      {out + "/", "..", ".. is not a file name."},
      {"", "OMK01PER.CMP", "Please choose an output directory."},
      {out + "/missing/", "OMK01PER.CMP",
       "The output directory " + out + "/missing/ cannot be used: No such file or directory"},
      {(root / "plain-file").string() + "/", "OMK01PER.CMP",
       "The output directory " + (root / "plain-file").string() +
           "/ cannot be used: Not a directory"},
      {out + "/", "TAKEN.CMP",
       "The cache file cannot be written over the directory " + out + "/TAKEN.CMP."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckOutputPlace(c.dir, c.name), c.expected) << c.dir << " | " << c.name;
  }
  // The probe leaves nothing behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root / "out"),
                          std::filesystem::directory_iterator()),
            1);
  std::filesystem::remove_all(root);
}

TEST(CheckOutputPlaceTest, RefusesADirectoryThatTakesNoFiles) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no POSIX permissions, and its read-only attribute does not keep "
                  "new files out of a folder";
#endif
  const std::filesystem::path root = ScratchPath("hoardwright-locked-");
  std::filesystem::create_directories(root);
  std::filesystem::permissions(
      root, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const std::string message = CheckOutputPlace(root.string(), "OMK01PER.CMP");
  std::filesystem::permissions(root, std::filesystem::perms::owner_all);
  std::filesystem::remove_all(root);
  if (message.empty()) GTEST_SKIP() << "this user writes into read-only directories (root)";
  EXPECT_EQ(message,
            "The output directory " + root.string() + " cannot be used: Permission denied");
}

}  // namespace
}  // namespace hoardwright::catalogue
