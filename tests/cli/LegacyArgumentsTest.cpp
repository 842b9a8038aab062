#include <gtest/gtest.h>

#include <string>

#include "cli/LegacyArguments.h"
#include "support/DirectoryText.h"

namespace hoardwright::cli {
namespace {

struct Case {
  std::string text;
  bool commandLineMode;
  std::string personalityDir;
  std::string outputDir;
};

TEST(LegacyArgumentsTest, ReadsTheSwitchesFromTheUnsplitText) {
#ifdef _WIN32
  // Windows' own directory texts: a backslash is appended where none ends the text.
  const Case cases[] = {
      {"", false, "", ""},
      {"-o C:\\Out", false, "", ""},
      {"-d C:\\Pers", true, "C:\\Pers\\", "C:\\Pers\\"},
      {"-o C:\\Out -d C:\\Pers", true, "C:\\Pers\\", "C:\\Out\\"},
      {"-dC:\\Pers-oC:\\Out", true, "C:\\Pers\\", "C:\\Out\\"},
      {"-d C:\\my-pers", true, "C:\\my\\", "C:\\my\\"},
      {"-d C:\\Pers -o C:\\Missing", true, "C:\\Pers\\", "C:\\Missing\\"},
      {"-d C:\\Pers\\ -o E:\\", true, "C:\\Pers\\", "E:\\"},
      {"-d Z:/pers/ -o C:\\My Out", true, "Z:/pers/", "C:\\My Out\\"},  // "/" ends a text too
      {"-d \"C:\\My Pers\"", true, "\"C:\\My Pers\"\\", "\"C:\\My Pers\"\\"},  // quotes are kept
  };
#else
  const Case cases[] = {
      {"", false, "", ""},
      {"-o /out", false, "", ""},  // "-o" alone has no effect
      {"-D /pers", false, "", ""},  // switches are case-sensitive
      {"-d /pers", true, "/pers/", "/pers/"},
      {"-o /out -d /pers", true, "/pers/", "/out/"},
      {"-d/pers-o/out", true, "/pers/", "/out/"},
      {"-d /my-pers", true, "/my/", "/my/"},  // a value ends at the next "-"
      {"-d /pers -o /missing", true, "/pers/", "/missing/"},
      {"-d /pers/ -o /out/", true, "/pers/", "/out/"},
      {"-d\t /pers \t", true, "/pers/", "/pers/"},
      {"-d /pers -o   ", true, "/pers/", "/pers/"},  // an empty "-o" means the personality dir
      {"-d \"/my pers\"", true, "\"/my pers\"/", "\"/my pers\"/"},  // quotes are kept
      {"x -d /a -d /b", true, "/a/", "/a/"},  // the first "-d" counts
  };
#endif
  for (const Case& c : cases) {
    const cli::LegacyArguments arguments = cli::ParseLegacyArguments(c.text);
    EXPECT_EQ(arguments.commandLineMode, c.commandLineMode) << c.text;
    EXPECT_EQ(arguments.personalityDir, c.personalityDir) << c.text;
    EXPECT_EQ(arguments.outputDir, c.outputDir) << c.text;
  }
}

TEST(LegacyArgumentsTest, AnEmptyPersonalityDirectoryStaysEmpty) {
  const Case cases[] = {
      {"-d", true, "", ""},
      {"-d   ", true, "", ""},
      {"-d -o /out", true, "", std::string("/out") + support::kDirectorySeparator},
  };
  for (const Case& c : cases) {
    const cli::LegacyArguments arguments = cli::ParseLegacyArguments(c.text);
    EXPECT_EQ(arguments.commandLineMode, c.commandLineMode) << c.text;
    EXPECT_EQ(arguments.personalityDir, c.personalityDir) << c.text;
    EXPECT_EQ(arguments.outputDir, c.outputDir) << c.text;
  }
}

}  // namespace
}  // namespace hoardwright::cli
