// `check` and the two builds run on the same hostile directory: for every file, check's verdict
// for each cache is what that build did with it, read back from the written cache by the
// inspector; every file check leaves out (but for device names another file takes) is named on
// the build's standard error; both caches inspect intact. Nothing named like a personality (a
// FIFO, a link to a device) makes any of them wait or read without end.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "RobustnessSupport.h"
#include "inspect/CacheInspector.h"

namespace hoardwright::robustness {
namespace {

constexpr int kAllBuilt = 0;
constexpr int kNotWritten = 2;
constexpr int kSomeLeftOut = 3;
constexpr int kDeadlineSeconds = 60;

// A personality whose TEXT section starts with `tag`, so that its record in a cache tells which
// file it came from. `text` lines follow the tag; `blocks` follow the TEXT section.
std::string Personality(const std::string& device, const std::string& tag,
                        const std::string& name = "\"Agree Maker\" \"Agree Fixture\"",
                        std::size_t textLines = 0, const std::string& blocks = "") {
  std::string text = "DEVICE  " + device + "                    AGREEMENT FIXTURE\r\n"
                     "NAME " + name + "\r\n"
                     "TYPE  1  2  M\r\n"
                     "DEVICEADDRESS\r\n\"Handle  %2d\"h\r\nDAEND\r\n"
                     "MINDMX=1\r\nMAXDMX=512\r\nDIVBY=1\r\n"
                     "DMX\r\n"
                     "1   1   H    1  100 1N  H   1   \"Dimmer\"        255  255  255\r\n"
                     "END\r\n"
                     "TEXT\r\n" + tag + "\r\n";
  for (std::size_t i = 0; i < textLines; ++i) text += "more\r\n";
  return text + "END\r\n" + blocks;
}

[[maybe_unused]] std::string Block(const std::string& first, const std::string& body,
                                   const std::string& last, std::size_t bodyLines) {
  std::string block = first + "\r\n";
  for (std::size_t i = 0; i < bodyLines; ++i) block += body + "\r\n";
  return block + last + "\r\n";
}

// The TEXT tags of the personalities a cache holds with their data.
std::set<std::string> TagsIn(const fs::path& cache) {
  const std::string text = ReadText(cache);
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  const inspect::InspectReport report = inspect::InspectCache(bytes, cache.string());
  EXPECT_FALSE(report.Damaged()) << cache << ": " << report.problems.front().message;
  const auto& views = report.standard ? report.standard->personalities
                                      : report.extended->personalities;
  std::set<std::string> tags;
  for (const inspect::PersonalityView& view : views) {
    const auto bytes = inspect::RecordBytes(report, view);
    if (view.length == 0 || !bytes) continue;
    const inspect::RecordWalk walk = inspect::WalkPersonalityRecord(*bytes);
    if (!walk.record.text.empty()) {
      // The extended build reads binary mode: its lines keep their CR.
      std::string tag = walk.record.text.front();
      if (tag.ends_with('\r')) tag.pop_back();
      tags.insert(tag);
    }
  }
  return tags;
}

class CheckAgreesWithBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_ && tmp_ && input_ && output_ && outside_);
    // Run unprivileged, every directory must be open to the program.
    for (const auto* directory : {&*tmp_, &*output_}) {
      fs::permissions(directory->Path(), fs::perms::all);
    }
    for (const auto* directory : {&*input_, &*outside_}) {
      fs::permissions(directory->Path(), fs::perms::owner_all | fs::perms::group_read |
                                             fs::perms::group_exec | fs::perms::others_read |
                                             fs::perms::others_exec);
    }
  }

  std::string Dir() const { return input_->Path().string() + "/"; }

  // A personality file of the directory; its tag is its name.
  void Add(const std::string& name, const std::string& device, const std::string& name2 =
               "\"Agree Maker\" \"Agree Fixture\"", std::size_t textLines = 0,
           const std::string& blocks = "") {
    WriteText(Dir() + name, Personality(device, name, name2, textLines, blocks));
    tags_[Dir() + name] = name;
  }

  ProcessRun Run(const std::vector<std::string>& arguments) {
    return RunProgram(arguments, tmp_->Path(), scratch_->Path(),
                      RunOptions{std::nullopt, kDeadlineSeconds, true});
  }

  // Runs check and both builds on the directory and compares them file by file.
  void ExpectAgreement(int standardStatus, int extendedStatus) {
    const ProcessRun check = Run({"check", "--json", Dir()});
    ASSERT_NE(check.status, kHung);
    const nlohmann::json document = nlohmann::json::parse(check.out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << check.out << check.err;

    const fs::path standardCache = output_->Path() / "STANDARD.CMP";
    const fs::path extendedCache = output_->Path() / "EXTENDED.CMP";
    const ProcessRun standard = Run({"build", "--output", standardCache.string(), Dir()});
    const ProcessRun extended =
        Run({"build", "--type", "extended", "--output", extendedCache.string(), Dir()});
    ASSERT_EQ(standard.status, standardStatus) << standard.err;
    ASSERT_EQ(extended.status, extendedStatus) << extended.err;
    const std::set<std::string> inStandard =
        standard.status == kNotWritten ? std::set<std::string>{} : TagsIn(standardCache);
    const std::set<std::string> inExtended =
        extended.status == kNotWritten ? std::set<std::string>{} : TagsIn(extendedCache);

    std::set<std::string> checked;
    bool allBuilt = true;
    for (const auto& file : document["files"]) {
      const std::string path = file["path"];
      checked.insert(path);
      SCOPED_TRACE(path + "\n" + file.dump(2));
      const auto tag = tags_.find(path);
      const bool tagged = tag != tags_.end();
      EXPECT_EQ(file["standard"].get<bool>(), tagged && inStandard.contains(tag->second));
      EXPECT_EQ(file["extended"].get<bool>(), tagged && inExtended.contains(tag->second));
      allBuilt = allBuilt && file["standard"].get<bool>() && file["extended"].get<bool>();
      if (const auto verdict = verdicts_.find(path); verdict != verdicts_.end()) {
        EXPECT_EQ(file["standard"].get<bool>(), verdict->second.first);
        EXPECT_EQ(file["extended"].get<bool>(), verdict->second.second);
      }
      if (const auto reason = reasons_.find(path); reason != reasons_.end()) {
        EXPECT_NE(file.dump().find(reason->second), std::string::npos);
        EXPECT_NE(standard.err.find(path + ": " + reason->second + "\n"), std::string::npos)
            << standard.err;
      }

      bool collides = false;
      for (const auto& finding : file["findings"]) {
        collides = collides || finding["message"].get<std::string>().find("collides with") !=
                                   std::string::npos;
      }
      const std::string line = "Left out of the cache: " + path + "\n";
      if (!file["standard"].get<bool>() && !collides && standard.status != kNotWritten) {
        EXPECT_NE(standard.err.find(line), std::string::npos) << standard.err;
      }
      if (!file["extended"].get<bool>() && !collides && extended.status != kNotWritten) {
        EXPECT_NE(extended.err.find(line), std::string::npos) << extended.err;
      }
    }
    EXPECT_EQ(check.status, allBuilt ? kAllBuilt : kSomeLeftOut);
    // Every personality file of the directory is checked.
    for (const auto& [path, tag] : tags_) EXPECT_TRUE(checked.contains(path)) << path;
    for (const std::string& path : others_) EXPECT_TRUE(checked.contains(path)) << path;
  }

  std::optional<support::TemporaryDirectory> scratch_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> tmp_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> input_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> outside_ = support::TemporaryDirectory::Create();
  std::map<std::string, std::string> tags_;  // path to the tag of its TEXT section
  std::vector<std::string> others_;          // personality names that are no personality
  // What some files must come to: in the standard cache, in the extended cache.
  std::map<std::string, std::pair<bool, bool>> verdicts_;
  // Why some files are refused before they are read.
  std::map<std::string, std::string> reasons_;
};

TEST_F(CheckAgreesWithBuildTest, OnAHostileDirectory) {
#ifdef _WIN32
  GTEST_SKIP()
      << "FIFOs, device links, symbolic links and POSIX permissions: none of them on Windows";
#else
  Add("ABGOOD1.QPF", "Good.One");
  Add("ABGOOD2.QPF", "Good.Two");
  Add("ABNAME.QPF", "One.Field", "\"Only Maker\"");
  Add("ABTEXT.QPF", "Text.256", "\"Agree Maker\" \"Agree Fixture\"", 255);
  Add("ABTEXTOK.QPF", "Text.255", "\"Agree Maker\" \"Agree Fixture\"", 254);
  Add("ABMACRO.QPF", "Macro.256", "\"Agree Maker\" \"Agree Fixture\"", 0,
      Block("MACRO \"Lamp\" 1", "\"S\" 5", "MEND", 254));
  Add("ABATTR.QPF", "Attr.255", "\"Agree Maker\" \"Agree Fixture\"", 0,
      Block("ATTR \"Wide\"", "Dimmer 1", "END", 253));
  std::string wide;
  for (int block = 0; block < 4; ++block) {
    wide += Block("ATTR \"Long\"", std::string(110, 'a' + block), "END", 150);
  }
  Add("ABLONG.QPF", "Long.Record", "\"Agree Maker\" \"Agree Fixture\"", 0, wide);
  // The same device name: the scan lists the first file by name.
  Add("ABDUP1.QPF", "Same.Name");
  Add("ABDUP2.QPF", "Same.Name");
  // Names equal but for case: the later row of the cache list replaces the earlier.
  Add("ABCASE1.QPF", "Case.Name");
  Add("ABCASE2.QPF", "CASE.NAME");
  // A link to a personality elsewhere is read like the personality.
  WriteText(outside_->Path() / "ELSEWHERE.QPF", Personality("Linked.File", "ABLINK.QPF"));
  fs::create_symlink(outside_->Path() / "ELSEWHERE.QPF", Dir() + "ABLINK.QPF");
  tags_[Dir() + "ABLINK.QPF"] = "ABLINK.QPF";
  // Too large: refused before it is read.
  std::string big = Personality("Too.Big", "ABBIG.QPF");
  big.resize(16 * 1024 * 1024 + 1, ';');
  WriteText(Dir() + "ABBIG.QPF", big);

  WriteText(Dir() + "ABNODEV.QPF", "NAME \"No\" \"Device\"\r\nTYPE 1 1 M\r\n");
  fs::create_symlink(Dir() + "MISSING.QPF", Dir() + "ABDANGLE.QPF");
  fs::create_directory(Dir() + "ABDIR.QPF");
  ASSERT_EQ(::mkfifo((Dir() + "ABFIFO.QPF").c_str(), 0644), 0);
  fs::create_symlink("/dev/zero", Dir() + "ABZERO.QPF");
  WriteText(Dir() + "ABNOREAD.QPF", Personality("No.Read", "ABNOREAD.QPF"));
  fs::permissions(Dir() + "ABNOREAD.QPF", fs::perms::none);
  for (const char* name : {"ABBIG.QPF", "ABNODEV.QPF", "ABDANGLE.QPF", "ABDIR.QPF", "ABFIFO.QPF",
                           "ABZERO.QPF", "ABNOREAD.QPF"}) {
    others_.push_back(Dir() + name);
  }
  reasons_ = {{Dir() + "ABBIG.QPF", "larger than 16 MB (16,777,216 bytes), the most read from one file"},
              {Dir() + "ABDANGLE.QPF", "cannot be opened: No such file or directory"},
              {Dir() + "ABDIR.QPF", "not a regular file (a directory)"},
              {Dir() + "ABFIFO.QPF", "not a regular file (a FIFO or pipe)"},
              {Dir() + "ABZERO.QPF", "not a regular file (a character device)"},
              {Dir() + "ABNOREAD.QPF", "cannot be opened: Permission denied"}};
  const std::pair both{true, true};
  const std::pair neither{false, false};
  verdicts_ = {{Dir() + "ABGOOD1.QPF", both},       {Dir() + "ABNAME.QPF", {true, false}},
               {Dir() + "ABTEXT.QPF", neither},     {Dir() + "ABTEXTOK.QPF", both},
               {Dir() + "ABMACRO.QPF", neither},    {Dir() + "ABATTR.QPF", both},
               {Dir() + "ABLONG.QPF", {false, true}}, {Dir() + "ABDUP1.QPF", both},
               {Dir() + "ABDUP2.QPF", neither},     {Dir() + "ABCASE1.QPF", neither},
               {Dir() + "ABCASE2.QPF", both},       {Dir() + "ABLINK.QPF", both}};
  for (const std::string& path : others_) verdicts_[path] = neither;

  ExpectAgreement(kSomeLeftOut, kSomeLeftOut);
#endif
}

// A FIFO and a link to a device given on their own: refused with their kind, never waited on.
TEST_F(CheckAgreesWithBuildTest, OnPathsThatAreNoRegularFile) {
#ifdef _WIN32
  GTEST_SKIP()
      << "FIFOs, device links, symbolic links and POSIX permissions: none of them on Windows";
#else
  ASSERT_EQ(::mkfifo((Dir() + "X.QPF").c_str(), 0644), 0);
  fs::create_symlink("/dev/zero", Dir() + "LINK.QPF");
  for (const auto& [name, reason] : {std::pair{"X.QPF", "not a regular file (a FIFO or pipe)"},
                                     {"LINK.QPF", "not a regular file (a character device)"}}) {
    SCOPED_TRACE(name);
    const std::string path = Dir() + name;
    const ProcessRun check = Run({"check", path});
    ASSERT_NE(check.status, kHung);
    EXPECT_EQ(check.status, kSomeLeftOut);
    EXPECT_EQ(check.out, path + ": LEFT OUT of both caches\n  LEFT OUT: " + reason +
                             " [standard, extended]\nChecked 1 file: 0 built into both caches, 1 "
                             "left out of one or both\n");
    for (const char* type : {"standard", "extended"}) {
      const ProcessRun build = Run({"build", "--type", type, "--output",
                                    (output_->Path() / "X.CMP").string(), path});
      ASSERT_NE(build.status, kHung);
      EXPECT_EQ(build.status, kNotWritten);
      EXPECT_TRUE(build.err.starts_with(path + ": " + reason + "\n")) << build.err;
    }
  }
#endif
}

// A directory that cannot be listed: check says so instead of checking nothing, and a build
// that has nothing else to build writes no cache.
TEST_F(CheckAgreesWithBuildTest, OnADirectoryThatCannotBeListed) {
#ifdef _WIN32
  GTEST_SKIP()
      << "FIFOs, device links, symbolic links and POSIX permissions: none of them on Windows";
#else
  Add("ABGOOD1.QPF", "Good.One");
  const std::string dir = input_->Path().string();
  fs::permissions(dir, fs::perms::owner_write | fs::perms::owner_exec);
  const ProcessRun check = Run({"check", dir});
  std::vector<ProcessRun> builds;
  for (const char* type : {"standard", "extended"}) {
    builds.push_back(
        Run({"build", "--type", type, "--output", (output_->Path() / "X.CMP").string(), dir}));
  }
  fs::permissions(dir, fs::perms::owner_all);
  ASSERT_NE(check.status, kHung);
  EXPECT_EQ(check.status, kSomeLeftOut) << check.out;
  EXPECT_EQ(check.out, dir + ": LEFT OUT of both caches\n"
                       "  LEFT OUT: cannot list the directory: Permission denied [standard, extended]\n"
                       "Checked 1 file: 0 built into both caches, 1 left out of one or both\n");
  for (const ProcessRun& build : builds) {
    EXPECT_EQ(build.status, kNotWritten) << build.err;
    EXPECT_NE(build.err.find(dir + ": cannot list the directory: Permission denied\n"),
              std::string::npos) << build.err;
  }
#endif
}

// More personalities than the extended cache holds (and than the standard build's result
// accepts without its error text): the extended build writes nothing, and check says so of each.
TEST_F(CheckAgreesWithBuildTest, OnMorePersonalitiesThanTheExtendedCacheHolds) {
  for (int i = 0; i < 2001; ++i) {
    const std::string number = std::to_string(10000 + i);
    Add("AB" + number + ".QPF", "Dev" + number);
  }
  ExpectAgreement(kAllBuilt, kNotWritten);
  const ProcessRun check = Run({"check", Dir()});
  EXPECT_NE(check.out.find("  LEFT OUT: the cache list holds 2001 personalities, more than the "
                           "2000 an extended cache holds: the extended build writes no cache "
                           "[extended]\n"),
            std::string::npos);
  EXPECT_NE(check.out.find("  warning: the cache list holds 2001 personalities, more than 1000: "
                           "the standard build's result says \"Error: This file contains more "
                           "than 1000 personalities!\" [standard]\n"),
            std::string::npos);
}

}  // namespace
}  // namespace hoardwright::robustness
