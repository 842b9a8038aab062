#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ResourceText.h"
#include "support/EmbeddedResources.h"

namespace hoardwright::resources {
namespace {

using test::AsString;
using test::SplitCrLfLines;

const std::string kFrame = ";" + std::string(86, '*');
const std::string kPublisher = "www.hoardwright.example";

class InfoTemplate : public ::testing::Test {
 protected:
  std::string text = AsString(support::InfoTemplateText());
  std::vector<std::string> lines = SplitCrLfLines(text);
  // Lines are numbered from 1, as a user sees them in an editor.
  const std::string& Line(std::size_t number) const { return lines.at(number - 1); }
};

TEST_F(InfoTemplate, EmbedsTheRepositoryFileByteForByte) {
  EXPECT_EQ(text, test::ReadSourceFile("resources/info-template.qpf"));
}

TEST_F(InfoTemplate, Has53LinesAllEndingInCrLf) {
  EXPECT_TRUE(test::HasOnlyCrLfLineEnds(text));
  EXPECT_EQ(lines.size(), 53u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 53);
}

TEST_F(InfoTemplate, SpecialLinesAreExact) {
  const std::vector<std::pair<std::size_t, std::string>> expected = {
      {1, kFrame},
      {2, ";**** Custom Cache File. Made from Cache file creator downloaded from " + kPublisher +
              " ****"},
      {8, kFrame},
      {10, ";   Date      By        \tDescription"},
      {11, ";   %DATE     %CREATEDBY\tCustom Cache File"},
      {18, "DEVICE  1.Info                                  CACHE FILE INFORMATION"},
      {19, "TYPE  1  1  M"},
      {20, "MIRROR  2  360 270"},
      {31, "1   1   H    1  100 1N  H   1   \"Dimmer\"        255  255  255  ; DIMMER"},
      {40, "TEXT"},
      {42, ""},
      {43, "DATE: %DATE"},
      {44, "Created by: %CREATEDBY "},
      {45, "Files: %FILECOUNT"},
      {46, "%NOTES"},
      {47, ""},
      {48, "%INFO"},
      {50, "See " + kPublisher + " for"},
      {51, "official cache files"},
      {53, "END"},
  };
  ASSERT_EQ(lines.size(), 53u);
  for (const auto& [number, content] : expected) {
    EXPECT_EQ(Line(number), content) << "line " << number;
  }
}

TEST_F(InfoTemplate, DeviceNamePaddedTo40Characters) {
  ASSERT_GE(lines.size(), 18u);
  EXPECT_EQ(Line(18).substr(8, 40), std::string("1.Info") + std::string(34, ' '));
}

TEST_F(InfoTemplate, TabsOnlyOnLines10And11AndTrailingBlankOnlyOnLine44) {
  for (std::size_t number = 1; number <= lines.size(); ++number) {
    const std::string& line = Line(number);
    const auto tabs = std::count(line.begin(), line.end(), '\t');
    EXPECT_EQ(tabs, (number == 10 || number == 11) ? 1 : 0) << "line " << number;
    const bool trailingBlank = !line.empty() && line.back() == ' ';
    EXPECT_EQ(trailingBlank, number == 44) << "line " << number;
  }
}

TEST_F(InfoTemplate, BannerLinesKeepTheFrame) {
  for (std::size_t number = 1; number <= 8; ++number) {
    EXPECT_EQ(Line(number).rfind(";****", 0), 0u) << "line " << number;
    EXPECT_TRUE(Line(number).ends_with("****")) << "line " << number;
  }
  // Lines 3 to 7 are framed to the width of the star lines around them.
  for (std::size_t number = 3; number <= 7; ++number) {
    EXPECT_EQ(Line(number).size(), kFrame.size()) << "line " << number;
  }
}

TEST_F(InfoTemplate, PlaceholdersStandTwiceOrOnce) {
  EXPECT_EQ(test::CountOf(text, "%DATE"), 2u);
  EXPECT_EQ(test::CountOf(text, "%CREATEDBY"), 2u);
  EXPECT_EQ(test::CountOf(text, "%FILECOUNT"), 1u);
  EXPECT_EQ(test::CountOf(text, "%NOTES"), 1u);
  EXPECT_EQ(test::CountOf(text, "%INFO"), 1u);
}

TEST_F(InfoTemplate, NamesOnlyTheProjectsOwnWebAddress) {
  EXPECT_EQ(test::CountOf(text, kPublisher), 2u);
  EXPECT_EQ(test::CountOf(text, "www."), 2u);
  EXPECT_EQ(test::CountOf(text, "http"), 0u);
}

}  // namespace
}  // namespace hoardwright::resources
