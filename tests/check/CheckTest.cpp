// `check`: personalities carrying each problem the builds meet, with the message, the line and
// the caches it concerns; the command's exit status.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "check/CheckOutput.h"
#include "check/PersonalityCheck.h"
#include "support/InspectTestSupport.h"
#include "support/Platform.h"

namespace hoardwright {
namespace {

using check::CheckItem;
using check::FileCheck;
using check::Finding;
using Severity = check::Finding::Severity;

// Line numbers of the base personality below are given in the comments.
const std::vector<std::string> kBaseLines = {
    "DEVICE  TS.Test                                 TEST FIXTURE",  // 1
    "NAME \"Test Maker\" \"Test Fixture\"",                        // 2
    "TYPE  1  2  M",                                               // 3
    "MIRROR  2  540 270",                                          // 4
    "DEVICEADDRESS",                                               // 5
    "\"Handle  %2d\"h",                                            // 6
    "DAEND",                                                       // 7
    "MINDMX=1",                                                    // 8
    "MAXDMX=512",                                                  // 9
    "DIVBY=1",                                                     // 10
    "DMX",                                                         // 11
    "1   1   H    1  100 1N  H   1   \"Dimmer\"   255  255  255",  // 12
    "2   5   H    1  100 4N  L   1   \"Pan\"      128  128  128",  // 13
    "END",                                                         // 14
    "TEXT",                                                        // 15
    "TEST FIXTURE",                                                // 16
    "END",                                                         // 17
    "PFTABLE \"Positions\" 0 1 2",                                 // 18
    "\"Centre\" 0 80 80",                                          // 19
    "PFEND",                                                       // 20
};

std::string Text(std::vector<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The base personality with line `number` (1-based) replaced, or removed when `line` is empty.
std::string WithLine(std::size_t number, const std::optional<std::string>& line) {
  std::vector<std::string> lines = kBaseLines;
  if (line) {
    lines[number - 1] = *line;
  } else {
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(number - 1));
  }
  return Text(lines);
}

// A record too long for an index record: attribute blocks of long lines.
std::string Oversized() {
  std::vector<std::string> lines = kBaseLines;
  for (int block = 0; block < 3; ++block) {
    lines.push_back("ATTR \"Big " + std::to_string(block) + "\"");
    for (int i = 0; i < 200; ++i) lines.push_back(std::string(120, 'a' + block));
    lines.push_back("END");
  }
  return Text(lines);
}

// A TEXT section of 300 lines: more than its count byte counts.
std::string TooManyTextLines() {
  std::vector<std::string> lines(kBaseLines.begin(), kBaseLines.begin() + 16);
  for (int i = 0; i < 300; ++i) lines.push_back("line " + std::to_string(i));
  lines.insert(lines.end(), kBaseLines.begin() + 16, kBaseLines.end());
  return Text(lines);
}

struct Case {
  std::string name;
  std::string text;
  bool standard;  // built into the standard cache
  bool extended;
  Severity severity;
  std::size_t line;
  std::size_t column;
  std::string message;  // a part of the message
  bool inStandard;      // the finding concerns the standard cache
  bool inExtended;
};

std::vector<Case> Cases() {
  return {
      {"MissingKeyword", WithLine(3, std::nullopt), false, false, Severity::LeftOut, 1, 0,
       "missing keyword TYPE: no line starts with it after line 1", true, false},
      {"MissingKeywordForBoth", WithLine(10, std::nullopt), false, false, Severity::LeftOut, 9, 0,
       "missing keyword DIVBY=: no line starts with it after line 9", true, true},
      // Read in binary mode for the extended cache, the line's CR is column 7 and column 8 is
      // missing there.
      {"DmxLineWithoutColumn7", WithLine(13, "2   5   H    1  100 4"), false, false,
       Severity::LeftOut, 13, 7, "malformed DMX channel line 13: column 7 (a character) is missing",
       true, false},
      {"DmxLineWithoutColumn8", WithLine(13, "2   5   H    1  100 4N"), false, false,
       Severity::LeftOut, 13, 8, "malformed DMX channel line 13: column 8 (a character) is missing",
       true, false},
      {"DmxLineWithoutColumn11", WithLine(13, "2   5   H    1  100 4N  L   1   \"Pan\""), false,
       false, Severity::LeftOut, 13, 11,
       "malformed DMX channel line 13: column 11 (a number) is missing", true, true},
      {"DmxNameWithoutQuote", WithLine(13, "2   5   H    1  100 4N  L   1   \"Pan"), false, false,
       Severity::LeftOut, 13, 10, "the name in column 10 has no closing quote", true, true},
      {"TextWithoutEnd", WithLine(17, std::nullopt), true, true, Severity::Warning, 15, 0,
       "TEXT section at line 15 has no END line", true, true},
      {"DeviceAddressWithoutEnd", WithLine(7, std::nullopt), false, false, Severity::Warning, 5, 0,
       "DEVICEADDRESS section at line 5 has no DAEND line", true, true},
      {"PresetFocusRowWithoutQuote", WithLine(19, "\"Ctr"), true, true, Severity::Warning, 19, 0,
       "preset focus row at line 19 has no closing quote", true, false},
      {"RecordOver65535Bytes", Oversized(), false, true, Severity::LeftOut, 0, 0,
       "over the 65,535 bytes an index record can describe", true, false},
      {"CountOver255", TooManyTextLines(), false, false, Severity::LeftOut, 15, 0,
       "the TEXT section at line 15 has more than 255 lines; a personality record counts at most "
       "255",
       true, true},
      {"NameWithOneField", WithLine(2, "NAME \"Test Maker\""), true, false, Severity::LeftOut, 2, 0,
       "NAME line 2 does not hold two fields", false, true},
      {"NoNameLine", WithLine(2, std::nullopt), true, false, Severity::LeftOut, 0, 0,
       "missing keyword NAME", false, true},
  };
}

class CheckCaseTest : public ::testing::TestWithParam<Case> {};

TEST_P(CheckCaseTest, FindsTheProblemAtItsLine) {
  const Case& c = GetParam();
  auto directory = support::TemporaryDirectory::Create();
  ASSERT_TRUE(directory);
  const std::string path = testing::DirText(*directory) + "CHTEST.QPF";
  testing::WriteText(path, c.text);

  const std::vector<FileCheck> checks = check::CheckPaths({path});
  ASSERT_EQ(checks.size(), 1u);
  const FileCheck& check = checks.front();
  EXPECT_EQ(check.standard, c.standard);
  EXPECT_EQ(check.extended, c.extended);
  std::string seen;
  bool found = false;
  for (const CheckItem& item : check.items) {
    const Finding& f = item.finding;
    found = found || (f.severity == c.severity && f.line == c.line && f.column == c.column &&
                      f.message.find(c.message) != std::string::npos &&
                      item.standard == c.inStandard && item.extended == c.inExtended);
    seen += check::CheckItemText(item) + "\n";
  }
  EXPECT_TRUE(found) << seen;

  const auto run = testing::RunProgram({"check", path}, *directory);
  EXPECT_EQ(run.status, c.standard && c.extended ? 0 : 3) << run.out << run.err;
}

INSTANTIATE_TEST_SUITE_P(Problems, CheckCaseTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// With the DAEND line gone the section takes the rest of the file, and the limits are missing.
TEST(CheckTest, ASectionWithoutItsEndExplainsTheMissingKeywordThatFollows) {
  auto directory = support::TemporaryDirectory::Create();
  ASSERT_TRUE(directory);
  const std::string path = testing::DirText(*directory) + "CHTEST.QPF";
  testing::WriteText(path, WithLine(7, std::nullopt));
  const FileCheck check = check::CheckPaths({path}).front();
  std::vector<std::string> texts;
  for (const CheckItem& item : check.items) texts.push_back(check::CheckItemText(item));
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "warning, line 5: DEVICEADDRESS section at line 5 has no DAEND line: it "
                       "takes every following line of the file [standard, extended]",
                       "LEFT OUT, line 19: missing keyword MINDMX=: no line starts with it after "
                       "line 19 [standard, extended]"}));
}

TEST(CheckTest, DeviceNamesCollidingNameTheFileThatWins) {
  auto directory = support::TemporaryDirectory::Create();
  ASSERT_TRUE(directory);
  const std::string dir = testing::DirText(*directory);
  const std::string base = Text(kBaseLines);
  // Exactly equal names: the scan keeps the first file by name.
  testing::WriteText(dir + "CHA.QPF", base);
  testing::WriteText(dir + "CHB.QPF", base);
  // Names equal but for letter case: both are listed, the later row replaces the earlier.
  testing::WriteText(dir + "CHC.QPF", WithLine(1, "DEVICE  Other.Dev"));
  testing::WriteText(dir + "CHD.QPF", WithLine(1, "DEVICE  OTHER.DEV"));

  const std::vector<FileCheck> checks = check::CheckPaths({dir});
  ASSERT_EQ(checks.size(), 4u);
  EXPECT_FALSE(checks[0].LeftOut());
  ASSERT_FALSE(checks[1].items.empty());
  EXPECT_EQ(check::CheckItemText(checks[1].items.front()),
            "LEFT OUT, line 1: the device name \"TS.Test     \" collides with " + dir +
                "CHA.QPF, which the cache list keeps [standard, extended]");
  EXPECT_TRUE(checks[2].LeftOut());
  EXPECT_NE(check::CheckItemText(checks[2].items.front()).find("collides with " + dir + "CHD.QPF"),
            std::string::npos);
  EXPECT_FALSE(checks[3].LeftOut());

  const auto run = testing::RunProgram({"check", "--json", dir}, *directory);
  EXPECT_EQ(run.status, 3);
  const auto json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["checked"], 4);
  EXPECT_EQ(json["leftOut"], 2);
  EXPECT_EQ(json["files"][1]["findings"][0]["line"], 1);
  EXPECT_EQ(json["files"][1]["standard"], false);
}

TEST(CheckTest, UnknownManufacturerCodeAndMissingDevice) {
  auto directory = support::TemporaryDirectory::Create();
  ASSERT_TRUE(directory);
  const std::string dir = testing::DirText(*directory);
  testing::WriteText(dir + "QQTEST.QPF", Text(kBaseLines));
  std::vector<std::string> noDevice(kBaseLines.begin() + 1, kBaseLines.begin() + 4);
  testing::WriteText(dir + "CHNODEV.QPF", Text(noDevice));
  // "DEVICE" also matches the DEVICEADDRESS line.
  testing::WriteText(dir + "CHADDR.QPF", WithLine(1, "; no device"));

  const FileCheck unknown = check::CheckPaths({dir + "QQTEST.QPF"}).front();
  EXPECT_FALSE(unknown.LeftOut());
  ASSERT_EQ(unknown.items.size(), 1u);
  EXPECT_EQ(check::CheckItemText(unknown.items.front()),
            "warning: the file name \"QQTEST.QPF\" starts with no known manufacturer code: the "
            "list shows \"Unknown\" [list]");

  const FileCheck missing = check::CheckPaths({dir + "CHNODEV.QPF"}).front();
  EXPECT_FALSE(missing.standard || missing.extended);
  ASSERT_EQ(missing.items.size(), 1u);
  EXPECT_EQ(check::CheckItemText(missing.items.front()),
            "LEFT OUT: missing keyword DEVICE: no line starts with it, so no list shows it "
            "[standard, extended]");

  const FileCheck address = check::CheckPaths({dir + "CHADDR.QPF"}).front();
  EXPECT_EQ(address.device, "ADDRESS");
  ASSERT_FALSE(address.items.empty());
  EXPECT_EQ(check::CheckItemText(address.items.front()),
            "warning, line 5: the first line starting with DEVICE is the DEVICEADDRESS line 5: "
            "the device name is \"ADDRESS\" [standard, extended]");
}

// Every example personality would be built; the command says so with status 0.
TEST(CheckTest, ExamplePersonalitiesAreBuilt) {
  const std::vector<FileCheck> checks = check::CheckPaths({testing::ExamplesDir()});
  ASSERT_EQ(checks.size(), 12u);
  for (const FileCheck& check : checks) {
    EXPECT_FALSE(check.LeftOut()) << check.path;
    for (const CheckItem& item : check.items) {
      EXPECT_EQ(item.finding.severity, Severity::Warning) << check::CheckItemText(item);
    }
  }
  auto directory = support::TemporaryDirectory::Create();
  ASSERT_TRUE(directory);
  const auto run = testing::RunProgram({"check", testing::ExamplesDir()}, *directory);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Checked 12 files: 12 built into both caches, 0 left out"),
            std::string::npos);
}

// File names are bytes: a UTF-8 name comes out as written, not read as Latin-1.
TEST(CheckTest, JsonNamesAUtf8FileInUtf8) {
  auto directory = support::TemporaryDirectory::Create();
  ASSERT_TRUE(directory);
  const std::string path = testing::DirText(*directory) + "LT\xc3\xa9.QPF";
  // Made through the program's own conversion: on Windows a narrow path is not UTF-8.
  testing::WriteText(support::ToPath(path), Text(kBaseLines));
  const auto run = testing::RunProgram({"check", "--json", path}, *directory);
  EXPECT_EQ(run.status, 0) << run.err;
  const auto json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["files"][0]["path"], path);
}

}  // namespace
}  // namespace hoardwright
