// File names and device texts with control characters (ESC, BEL, newline) reach the terminal
// through check's report and the builds' messages only escaped, as inspect shows them: no raw
// control character but the line ends, and one line per finding.
#include <gtest/gtest.h>

#include <algorithm>

#include "RobustnessSupport.h"

namespace hoardwright::robustness {
namespace {

constexpr int kSomeLeftOut = 3;

[[maybe_unused]] std::string Personality(const std::string& device, std::size_t textLines) {
  std::string text = "DEVICE  " + device + "\r\nNAME \"Maker\" \"Fixture\"\r\nTYPE  1  2  M\r\n"
                     "DEVICEADDRESS\r\nDAEND\r\nMINDMX=1\r\nMAXDMX=512\r\nDIVBY=1\r\nDMX\r\nEND\r\n"
                     "TEXT\r\n";
  for (std::size_t i = 0; i < textLines; ++i) text += "line\r\n";
  return text + "END\r\n";
}

// True when `text` holds no control character other than the line end.
[[maybe_unused]] bool OnlyLineEnds(const std::string& text) {
  return std::ranges::none_of(text, [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\n') || byte == 0x7F;
  });
}

TEST(ControlCharacterTest, CheckAndBuildsShowThemEscaped) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows does not allow control characters in file names";
#else
  auto scratch = support::TemporaryDirectory::Create();
  auto tmp = support::TemporaryDirectory::Create();
  auto input = support::TemporaryDirectory::Create();
  auto output = support::TemporaryDirectory::Create();
  ASSERT_TRUE(scratch && tmp && input && output);
  const std::string dir = input->Path().string() + "/";
  // No DEVICE line; a record that cannot be represented; a device text that sets the title.
  WriteText(dir + "AB\x1b[31mRED\a.QPF", "TYPE 1\r\n");
  WriteText(dir + "AB\nNEWLINE.QPF", Personality("Too.Long", 256));
  WriteText(dir + "ABTITLE.QPF", Personality("T\x1b]0;x\ay", 1));

  const ProcessRun check = RunProgram({"check", dir}, tmp->Path(), scratch->Path());
  EXPECT_EQ(check.status, kSomeLeftOut);
  EXPECT_TRUE(OnlyLineEnds(check.out)) << check.out;
  EXPECT_NE(check.out.find(dir + "AB\\x1B[31mRED\\x07.QPF: LEFT OUT of both caches\n"),
            std::string::npos) << check.out;
  EXPECT_NE(check.out.find(dir + "AB\\nNEWLINE.QPF: LEFT OUT of both caches (device"),
            std::string::npos) << check.out;
  EXPECT_NE(check.out.find("ABTITLE.QPF: built into both caches (device \"T\\x1B]0;x\\x07y\")\n"),
            std::string::npos) << check.out;

  for (const char* type : {"standard", "extended"}) {
    SCOPED_TRACE(type);
    const ProcessRun build =
        RunProgram({"build", "--type", type, "--output", output->Path().string() + "/", dir},
                   tmp->Path(), scratch->Path());
    EXPECT_EQ(build.status, kSomeLeftOut) << build.err;
    EXPECT_TRUE(OnlyLineEnds(build.err)) << build.err;
    EXPECT_NE(build.err.find("Left out of the cache: " + dir + "AB\\x1B[31mRED\\x07.QPF\n"),
              std::string::npos) << build.err;
    EXPECT_NE(build.err.find("Left out of the cache: " + dir + "AB\\nNEWLINE.QPF\n"),
              std::string::npos) << build.err;
    EXPECT_NE(build.err.find("Error in file " + dir + "AB\\nNEWLINE.QPF: the TEXT section"),
              std::string::npos) << build.err;
  }
#endif
}

}  // namespace
}  // namespace hoardwright::robustness
