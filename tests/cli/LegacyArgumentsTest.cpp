#include "cli/LegacyArguments.h"

#include <gtest/gtest.h>

#include <string>

namespace hoardwright::cli {
namespace {

struct Case {
  std::string text;
  bool commandLineMode;
  std::string personalityDir;
  std::string outputDir;
};

TEST(LegacyArgumentsTest, ReadsTheSwitchesFromTheUnsplitText) {
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
      {"-d -o /out", true, "", "/out/"},
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
