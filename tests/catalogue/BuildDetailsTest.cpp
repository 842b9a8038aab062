#include "catalogue/BuildDetails.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace hoardwright::catalogue
