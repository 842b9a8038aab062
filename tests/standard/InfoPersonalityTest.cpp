#include "standard/InfoPersonality.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/BuildTestSupport.h"
#include "support/EmbeddedResources.h"

namespace hoardwright {
namespace {

using testing::ReadText;

std::string InfoText(const standard::InfoDetails& details) {
  return InfoPersonalityText(support::InfoTemplateText(), details);
}

// The file's lines without their CR LF; fails the test when a line ends otherwise.
std::vector<std::string> CrlfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line does not end with CR LF";
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST(InfoPersonality, FillsTheTextSection) {
  const auto lines = CrlfLines(InfoText({"05-Dec-2026", "Sam", 12, "Rig A"}));
  ASSERT_EQ(lines.size(), 53u);
  EXPECT_EQ(lines[10], ";   05-Dec-2026     Sam\tCustom Cache File");
  EXPECT_EQ(lines[17], "DEVICE  1.Info                                  CACHE FILE INFORMATION");
  EXPECT_EQ(lines[42], "DATE: 05-Dec-2026");
  EXPECT_EQ(lines[43], "Created by: Sam ");
  EXPECT_EQ(lines[44], "Files: 12");
  EXPECT_EQ(lines[45], "Rig A");
  EXPECT_EQ(lines[47], "Mk2 Compatible");
  EXPECT_EQ(lines[52], "END");
  for (const auto& line : lines) EXPECT_EQ(line.find('\r'), std::string::npos) << line;
}

TEST(InfoPersonality, EmptyTextsLeaveTheirLinesBare) {
  const auto lines = CrlfLines(InfoText({"01-Mar-2027", "", 0, ""}));
  ASSERT_EQ(lines.size(), 53u);
  EXPECT_EQ(lines[43], "Created by:  ");
  EXPECT_EQ(lines[44], "Files: 0");
  EXPECT_EQ(lines[45], "");
}

TEST(InfoPersonality, PlaceholdersAreReplacedInTheirOrderOnly) {
  // "%NOTES" inside the created-by text is met by the later notes pass; "%DATE" came earlier.
  const auto lines = CrlfLines(InfoText({"05-Dec-2026", "A%NOTES B%DATE", 3, "N"}));
  EXPECT_EQ(lines[43], "Created by: AN B%DATE ");
  // A replacement is not searched again: notes holding "%NOTES" stay as they are.
  EXPECT_EQ(CrlfLines(InfoText({"d", "c", 1, "x%NOTESy"}))[45], "x%NOTESy");
}

TEST(InfoPersonality, NotesLineBreaksArriveAsCrCrLf) {
  const std::string text = InfoText({"d", "c", 1, "one\r\ntwo"});
  EXPECT_NE(text.find("\r\none\r\r\ntwo\r\n"), std::string::npos);
  // 53 template lines plus the one the notes bring.
  std::size_t lineFeeds = 0;
  for (char c : text) lineFeeds += c == '\n' ? 1 : 0;
  EXPECT_EQ(lineFeeds, 54u);
}

TEST(InfoPersonality, WritesTheFileOrReportsWhyNot) {
  auto dir = support::TemporaryDirectory::Create();
  ASSERT_TRUE(dir);
  const standard::InfoDetails details{"05-Dec-2026", "Sam", 2, ""};
  const standard::InfoPersonalityFile written =
      standard::WriteInfoPersonality(dir->Path(), details);
  EXPECT_EQ(written.path, *dir / "1_INFO.QPF");
  EXPECT_TRUE(written.writeError.empty());
  EXPECT_EQ(ReadText(written.path), InfoText(details));

  // A directory that does not exist: no file, nothing to report.
  const standard::InfoPersonalityFile missing =
      standard::WriteInfoPersonality(*dir / "missing", details);
  EXPECT_TRUE(missing.path.empty());
  EXPECT_TRUE(missing.writeError.empty());

  // A failed write leaves no partial file.
  std::filesystem::remove(written.path);
  support::WriteFaults faults = support::WriteFaults::FailAtWrite(1);
  const standard::InfoPersonalityFile failed =
      standard::WriteInfoPersonality(dir->Path(), details, &faults);
  EXPECT_TRUE(failed.path.empty());
  EXPECT_FALSE(failed.writeError.empty());
  EXPECT_FALSE(std::filesystem::exists(*dir / "1_INFO.QPF"));
}

}  // namespace
}  // namespace hoardwright
