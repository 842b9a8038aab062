#include <gtest/gtest.h>

#include <cstdlib>

#include "check/LeftOutReasons.h"
#include "personality/KeywordReaders.h"
#include "personality/ShapeLibraryReader.h"
#include "standard/InfoPersonality.h"
#include "standard/PersonalityCompiler.h"
#include "standard/StandardBuild.h"
#include "support/BuildTestSupport.h"
#include "support/EmbeddedResources.h"
#include "support/InputFile.h"
#include "support/Platform.h"
#include "support/TestEnvironment.h"

namespace hoardwright {
namespace {
using testing::DecodeStandardCache;
using testing::DirText;
using testing::NamesIn;
using testing::PersonalityText;
using testing::ReadBytes;
using testing::RecordingHost;
using testing::WriteText;

using Bytes = std::vector<std::uint8_t>;

const support::CalendarTime kFixedTime{2026, 12, 5, 13, 45, 58};

// A scratch personality directory, an output directory and a request over them.
class StandardBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(personalities_ && output_);
    options_.buildTime = kFixedTime;
    request_.outputDir = DirText(*output_);
    request_.createdBy = "Tester";
  }

  std::string AddFile(const std::string& name, const std::string& text) {
    const std::string path = DirText(*personalities_) + name;
    WriteText(path, text);
    return path;
  }

  std::filesystem::path DefaultOutput() const { return *output_ / "OMK01PER.CMP"; }

  standard::StandardBuildResult Build() {
    return standard::BuildStandardCache(request_, host_, options_);
  }

  std::optional<support::TemporaryDirectory> personalities_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
  catalogue::BuildRequest request_;
  standard::StandardBuildOptions options_;
  RecordingHost host_;
};

// What CompilePersonality gives for one file, read as the build reads it.
Bytes CompiledBlock(const std::string& text, const standard::TableOptions& options = {}) {
  personality::LineStream stream(text, personality::LineMode::Text);
  support::SilentReporter silent;
  std::vector<std::uint8_t> device(81);
  personality::OutputCursor deviceCursor(device);
  EXPECT_TRUE(personality::ReadDevice(stream, deviceCursor, silent));
  std::vector<std::uint8_t> buffer(standard::kBlockBufferSize);
  personality::OutputCursor cursor(buffer);
  EXPECT_TRUE(standard::CompilePersonality(stream, cursor, options, silent));
  return {cursor.Written().begin(), cursor.Written().end()};
}

std::string DeviceText(const std::string& text) {
  personality::LineStream stream(text, personality::LineMode::Text);
  support::SilentReporter silent;
  std::vector<std::uint8_t> device(81);
  personality::OutputCursor cursor(device);
  EXPECT_TRUE(personality::ReadDevice(stream, cursor, silent));
  return {cursor.Written().begin(), cursor.Written().end() - 1};
}

Bytes ShapeBlock() {
  const auto text = support::ShapeLibraryText();
  personality::LineStream stream(std::string(text.begin(), text.end()),
                                 personality::LineMode::Text);
  std::vector<std::uint8_t> buffer(standard::kBlockBufferSize);
  personality::OutputCursor cursor(buffer);
  support::SilentReporter silent;
  personality::ReadShapeLibrary(stream, cursor, silent);
  return {cursor.Written().begin(), cursor.Written().end()};
}

// Checks a cache file completely against its inputs: header, every index record, the sum, the
// decoded stream and every block.
void ExpectCacheOf(const Bytes& file, const standard::InfoDetails& info,
                   const std::vector<std::string>& paths, const standard::TableOptions& options) {
  const auto cache = DecodeStandardCache(file);
  ASSERT_TRUE(cache);
  ASSERT_TRUE(cache->unit.complete);
  EXPECT_TRUE(cache->unit.sumMatches);
  const Bytes& stream = cache->unit.data;
  EXPECT_EQ(cache->header.streamLengthMinus1 + 1u, stream.size());
  ASSERT_EQ(cache->header.recordCount, paths.size() + 1);
  ASSERT_EQ(cache->records.size(), paths.size() + 1);

  const Bytes shape = ShapeBlock();
  ASSERT_EQ(cache->header.shapeLengthMinus1 + 1u, shape.size());
  EXPECT_TRUE(std::equal(shape.begin(), shape.end(), stream.begin()));

  const auto templ = support::InfoTemplateText();
  std::vector<std::string> texts = {standard::InfoPersonalityText(templ, info)};
  std::vector<std::string> codes = {"1_"};
  for (const auto& path : paths) {
    texts.push_back(testing::ReadText(path));
    codes.push_back(standard::CodeForPath(path));
  }
  std::uint32_t offset = static_cast<std::uint32_t>(shape.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(i == 0 ? std::string("info") : paths[i - 1]);
    const auto& record = cache->records[i];
    EXPECT_EQ(record.code, codes[i]);
    EXPECT_EQ(record.deviceText, DeviceText(texts[i]));
    EXPECT_EQ(record.blockOffset, offset);
    const Bytes block = CompiledBlock(texts[i], options);
    EXPECT_EQ(record.blockLength, block.size());
    ASSERT_LE(offset + block.size(), stream.size());
    EXPECT_EQ(Bytes(stream.begin() + offset, stream.begin() + offset + block.size()), block);
    // The device field after its NUL is all 0.
    const auto* raw = cache->recordBytes.data() + i * standard::kIndexRecordSize;
    for (std::size_t k = standard::kDeviceOffset + record.deviceText.size();
         k < standard::kBlockOffsetOffset; ++k) {
      EXPECT_EQ(raw[k], 0) << "device field byte " << k;
    }
    offset += static_cast<std::uint32_t>(block.size());
  }
  EXPECT_EQ(offset, stream.size());
  EXPECT_EQ(cache->records[0].deviceText,
            "1.Info                                  CACHE FILE INFORMATION");
}

TEST_F(StandardBuildTest, ExamplesBuildIntoACacheThatReadsBack) {
  request_.entries = testing::CacheListOf({testing::ExamplesDir()});
  ASSERT_GE(request_.entries.size(), 10u);
  request_.notes = "Rig A\r\nTruss 2";
  request_.unattended = true;
  const standard::StandardBuildResult result = Build();
  ASSERT_TRUE(result.cacheWritten) << ::testing::PrintToString(host_.MessageTexts());
  EXPECT_TRUE(host_.messages.empty()) << ::testing::PrintToString(host_.MessageTexts());
  EXPECT_TRUE(result.leftOut.empty());
  EXPECT_TRUE(result.infoIncluded);
  EXPECT_EQ(result.recordCount, request_.entries.size() + 1);

  const Bytes file = ReadBytes(DefaultOutput());
  EXPECT_EQ(result.cacheSize, static_cast<std::int64_t>(file.size()));
  EXPECT_EQ(host_.resultSize, result.cacheSize);
  EXPECT_EQ(host_.resultCount, static_cast<std::int32_t>(request_.entries.size()));
  ExpectCacheOf(file, {"05-Dec-2026", "Tester", request_.entries.size(), request_.notes},
                request_.entries, {});
}

TEST_F(StandardBuildTest, TableOptionsReachEveryPersonality) {
  request_.entries = testing::CacheListOf({testing::ExamplesDir()});
  request_.unattended = true;
  request_.includePresetFocus = false;
  request_.includeMacros = false;
  ASSERT_TRUE(Build().cacheWritten);
  ExpectCacheOf(ReadBytes(DefaultOutput()), {"05-Dec-2026", "Tester", request_.entries.size(), ""},
                request_.entries, {false, true, false});
}

TEST_F(StandardBuildTest, EmptyCacheListOnlyShowsItsMessage) {
  const standard::StandardBuildResult result = Build();
  EXPECT_FALSE(result.cacheWritten);
  EXPECT_EQ(host_.calls,
            (std::vector<std::string>{
                "ShowMessage|No personalities to build! Personalities need to be added to the "
                "cache listbox first!|Hoardwright",
                "SetStatusText| ", "ShowProgress|0"}));
  EXPECT_TRUE(NamesIn(output_->Path()).empty());
}

TEST_F(StandardBuildTest, CancelledDetailsEndTheBuildSilently) {
  request_.entries = {AddFile("ABONE.QPF", PersonalityText("One"))};
  host_.detailsResult = standard::DialogResult::Cancel;
  const standard::StandardBuildResult result = Build();
  EXPECT_TRUE(result.cancelled);
  EXPECT_FALSE(result.cacheWritten);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(host_.Count("StoreBuildDetails"), 0u);
  EXPECT_TRUE(NamesIn(output_->Path()).empty());
}

TEST_F(StandardBuildTest, InteractiveBuildTalksToTheHostInOrder) {
  const std::string one = AddFile("ABONE.QPF", PersonalityText("One"));
  const std::string two = AddFile("CDTWO.QPF", PersonalityText("Two"));
  request_.entries = {one, two};
  host_.editDetails = [](standard::BuildDetails& details) {
    details.createdBy = "Sam";
    details.notes = "Rig A";
    details.outputFileName = "MY.CMP";
  };
  const standard::StandardBuildResult result = Build();
  ASSERT_TRUE(result.cacheWritten) << ::testing::PrintToString(host_.MessageTexts());

  ASSERT_TRUE(host_.shownDetails);
  EXPECT_EQ(host_.shownDetails->cacheDate, "05-Dec-2026");
  EXPECT_EQ(host_.shownDetails->fileCount, 2);
  EXPECT_EQ(host_.shownDetails->createdBy, "Tester");
  EXPECT_EQ(host_.shownDetails->outputDir, request_.outputDir);
  EXPECT_EQ(host_.shownDetails->notes, "");
  EXPECT_EQ(host_.shownDetails->outputFileName, "OMK01PER.CMP");
  ASSERT_TRUE(host_.storedDetails);
  EXPECT_EQ(host_.storedDetails->createdBy, "Sam");
  EXPECT_EQ(host_.storedDetails->notes, "Rig A");

  // The info personality's path is in the private directory; put a name in its place.
  std::vector<std::string> calls = host_.calls;
  for (auto& call : calls) {
    if (call.starts_with("SetStatusText|") &&
        (call.ends_with("/1_INFO.QPF") || call.ends_with("\\1_INFO.QPF")))
      call = "SetStatusText|INFO";
  }
  const std::string size = std::to_string(result.cacheSize);
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "ShowBuildDetails", "StoreBuildDetails", "RepaintNow", "SetProgressRange|2",
                       "SetProgressPosition|0", "ShowProgress|1", "DispatchPendingMessages",
                       "SetProgressPosition|0", "SetStatusText|INFO", "DispatchPendingMessages",
                       "SetProgressPosition|0", "SetStatusText|" + one, "DispatchPendingMessages",
                       "SetProgressPosition|1", "SetStatusText|" + two,
                       // The bar runs again while the compressed stream goes out.
                       "SetStatusText|Compressing...", "SetProgressRange|1590",
                       "SetProgressPosition|0", "SetProgressPosition|1590",
                       "ShowResult|" + size + "|2", "SetStatusText| ", "ShowProgress|0"}));

  // The edited values made the file and its info personality.
  EXPECT_EQ(NamesIn(output_->Path()), std::vector<std::string>{"MY.CMP"});
  ExpectCacheOf(ReadBytes(*output_ / "MY.CMP"), {"05-Dec-2026", "Sam", 2, "Rig A"}, {one, two}, {});
}

TEST_F(StandardBuildTest, UnattendedBuildSkipsTheDetailsDialog) {
  request_.entries = {AddFile("ABONE.QPF", PersonalityText("One"))};
  request_.unattended = true;
  request_.notes = "From the request";
  options_.outputFileName = "CLI.CMP";
  ASSERT_TRUE(Build().cacheWritten);
  EXPECT_EQ(host_.Count("ShowBuildDetails"), 0u);
  EXPECT_EQ(host_.Count("StoreBuildDetails"), 0u);
  ExpectCacheOf(ReadBytes(*output_ / "CLI.CMP"), {"05-Dec-2026", "Tester", 1, "From the request"},
                request_.entries, {});
}

TEST_F(StandardBuildTest, PersonalitiesThatFailAreLeftOutWithTheirMessages) {
  const std::string good1 = AddFile("ABGOOD.QPF", PersonalityText("Good1"));
  const std::string noDevice = AddFile("CDNODEV.QPF", "TYPE 1\r\n");
  const std::string broken = AddFile("EFBROKEN.QPF", "DEVICE  Broken\r\nMINDMX=1\r\n");
  const std::string missing = DirText(*personalities_) + "GHMISSING.QPF";
  const std::string good2 = AddFile("IJGOOD.QPF", PersonalityText("Good2"));
  request_.entries = {good1, noDevice, broken, missing, good2};
  request_.unattended = true;
  const standard::StandardBuildResult result = Build();
  ASSERT_TRUE(result.cacheWritten);

  EXPECT_EQ(host_.messages,
            (std::vector<support::ReportedMessage>{
                {"error - couldn't find keyword DEVICE", "Hoardwright"},
                {"keyword DEVICE not found in " + noDevice +
                     ", this personality will NOT be added to the cahce!\n",
                 noDevice},
                {"error - couldn't find keyword TYPE", "Hoardwright"},
                {"Error in file " + broken + ", this personality will NOT be added to the cahce!",
                 broken}}));
  EXPECT_EQ(result.leftOut, (std::vector<standard::LeftOutPersonality>{
                                {noDevice, standard::LeftOutReason::NoDevice},
                                {broken, standard::LeftOutReason::CompileFailed},
                                {missing, standard::LeftOutReason::Unreadable}}));
  EXPECT_EQ(result.recordCount, 3u);
  // The result dialog counts the cache list, not the records.
  EXPECT_EQ(host_.resultCount, 5);
  // The good ones follow each other without a gap.
  ExpectCacheOf(ReadBytes(DefaultOutput()), {"05-Dec-2026", "Tester", 5, ""}, {good1, good2}, {});
}

// The result dialog says why each left-out personality is not in the cache.
TEST_F(StandardBuildTest, LeftOutPersonalitiesAreDescribedWithTheirReasons) {
  const std::string noDevice = AddFile("CDNODEV.QPF", "TYPE 1\r\n");
  const std::string broken = AddFile("EFBROKEN.QPF", "DEVICE  Broken\r\nMINDMX=1\r\n");
  std::string badDmx = PersonalityText("BadDmx");
  // The channel line ends after its third column.
  badDmx.replace(badDmx.find("    1  100"), badDmx.find("\r\nEND") - badDmx.find("    1  100"), "");
  const std::string dmx = AddFile("GHDMX.QPF", badDmx);
  const std::string missing = DirText(*personalities_) + "IJMISSING.QPF";
  request_.entries = {AddFile("ABGOOD.QPF", PersonalityText("Good")), noDevice, broken, dmx,
                      missing};
  request_.unattended = true;
  const standard::StandardBuildResult result = Build();
  ASSERT_TRUE(result.cacheWritten);
  const auto lines = check::DescribeLeftOut(result.leftOut, catalogue::LoadManufacturerMap());
  EXPECT_EQ(lines,
            (std::vector<check::LeftOutLine>{
                {noDevice, "no DEVICE line"},
                {broken, "line 1: missing keyword TYPE: no line starts with it after line 1"},
                {dmx,
                 "line 12, column 4: malformed DMX channel line 12: column 4 (a number) "
                 "is missing"},
#ifdef _WIN32
                // The system's own words, which differ between Windows versions and Wine.
                {missing, support::InputFileRefusal(support::ToPath(missing))}}));
#else
                {missing, "cannot be opened: No such file or directory"}}));
#endif
  EXPECT_EQ(check::LeftOutHeading(1), "1 personality was left out of the cache:");
  EXPECT_EQ(check::LeftOutHeading(4), "4 personalities were left out of the cache:");
}

TEST_F(StandardBuildTest, MoreThan5000PersonalitiesAreRefused) {
  request_.entries.assign(5001, DirText(*personalities_) + "ABNONE.QPF");
  request_.unattended = true;
  EXPECT_FALSE(Build().cacheWritten);
  EXPECT_EQ(host_.MessageTexts(), std::vector<std::string>{
                                      "Too many personalities (5001), Max: 5000. Cache file not "
                                      "created!"});
  // The shape library had been processed: the progress bar was showing.
  EXPECT_EQ(host_.Count("ShowProgress|1"), 1u);
  EXPECT_EQ(host_.Count("DispatchPendingMessages"), 0u);
  EXPECT_TRUE(NamesIn(output_->Path()).empty());
}

TEST_F(StandardBuildTest, FiveThousandPersonalitiesAreBuilt) {
  request_.entries.assign(5000, AddFile("ABSAME.QPF", PersonalityText("Same")));
  request_.unattended = true;
  const standard::StandardBuildResult result = Build();
  ASSERT_TRUE(result.cacheWritten);
  EXPECT_EQ(result.recordCount, 5001u);
  const auto cache = DecodeStandardCache(ReadBytes(DefaultOutput()));
  ASSERT_TRUE(cache);
  EXPECT_EQ(cache->header.recordCount, 5001);
  EXPECT_TRUE(cache->unit.complete && cache->unit.sumMatches);
  EXPECT_EQ(cache->unit.data.size(), cache->header.streamLengthMinus1 + 1u);
}

TEST_F(StandardBuildTest, UnusableOutputPathIsReported) {
  request_.entries = {AddFile("ABONE.QPF", PersonalityText("One"))};
  request_.unattended = true;
  request_.outputDir = DirText(*output_) + "missing/";
  EXPECT_FALSE(Build().cacheWritten);
  // The fixed text, then the system's reason.
  EXPECT_EQ(host_.MessageTexts(),
            std::vector<std::string>{"Unable to create output file " + request_.outputDir +
                                     "OMK01PER.CMP, cache file could not be created! "
                                     "No such file or directory"});
  EXPECT_EQ(host_.Count("ShowResult"), 0u);
}

// The details dialog lets no more be typed than this test finds in the compiled info
// personality: created-by text and note lines longer than that would be cut silently.
TEST_F(StandardBuildTest, DetailsFieldLimitsAreWhatTheCacheKeeps) {
  const std::string createdBy = "ABCDEFGHIJKLMNOP";
  std::string notes;
  for (std::size_t line = 0; line < catalogue::kKeptNoteLines; ++line) {
    notes += std::string(catalogue::kKeptNoteLineLength, static_cast<char>('a' + line)) + "+\r\n";
  }
  const std::string text = standard::InfoPersonalityText(
      support::InfoTemplateText(), {"d", createdBy, 1, catalogue::CutNotes(notes)});
  const Bytes block = CompiledBlock(text);
  const std::string compiled(block.begin(), block.end());
  const std::string keptCreatedBy = createdBy.substr(0, catalogue::kKeptCreatedByLength);
  EXPECT_NE(compiled.find("Created by: " + keptCreatedBy + '\0'), std::string::npos);
  for (std::size_t line = 0; line < catalogue::kKeptNoteLines; ++line) {
    const std::string kept(catalogue::kKeptNoteLineLength, static_cast<char>('a' + line));
    // Each note line keeps its carriage return.
    EXPECT_NE(compiled.find('\0' + kept + "\r" + '\0'), std::string::npos) << line;
  }
}

// A stored output directory without its separator (a hand-edited setting) still names the
// directory the cache goes into, not the start of the file's name.
TEST_F(StandardBuildTest, OutputDirWithoutSeparatorGetsOne) {
  request_.entries = {AddFile("ABONE.QPF", PersonalityText("One"))};
  request_.outputDir = output_->Path().string();
  ASSERT_NE(request_.outputDir.back(), '/');
  const standard::StandardBuildResult result = Build();
  ASSERT_TRUE(result.cacheWritten);
  EXPECT_EQ(result.outputPath, DefaultOutput());
  EXPECT_TRUE(std::filesystem::is_regular_file(DefaultOutput()));
  EXPECT_FALSE(std::filesystem::exists(request_.outputDir + "OMK01PER.CMP"));
}

// The working files are in a directory of this build's own inside TMPDIR, and gone afterwards.
TEST_F(StandardBuildTest, WorkingFilesLiveInAPrivateDirectory) {
  auto tmp = support::TemporaryDirectory::Create();
  ASSERT_TRUE(tmp);
  ASSERT_TRUE(testing::SetVariable(testing::kTemporaryDirectoryVariable, tmp->Path().string()));
  request_.entries = {AddFile("ABONE.QPF", PersonalityText("One"))};
  request_.unattended = true;
  std::vector<std::string> seen;
  host_.onDispatch = [&] {
    const auto dirs = NamesIn(tmp->Path());
    ASSERT_EQ(dirs.size(), 1u);
    EXPECT_TRUE(dirs[0].starts_with("hoardwright-"));
    seen = NamesIn(tmp->Path() / dirs[0]);
  };
  const bool written = Build().cacheWritten;
  testing::SetVariable(testing::kTemporaryDirectoryVariable, std::nullopt);
  ASSERT_TRUE(written);
  // The compressed stream is written while the personalities are compiled.
  EXPECT_EQ(seen, (std::vector<std::string>{"1_INFO.QPF", "OMK01PER.TMP", "QPFCOMP.DAT"}));
  EXPECT_TRUE(NamesIn(tmp->Path()).empty());
  EXPECT_EQ(NamesIn(output_->Path()), std::vector<std::string>{"OMK01PER.CMP"});
}

// Every write and every close of a build, made to fail in turn: the build reports it, never
// shows a result, keeps the earlier cache and leaves nothing behind.
TEST_F(StandardBuildTest, AnyWriteFailureFailsTheBuildAndKeepsTheEarlierCache) {
  auto tmp = support::TemporaryDirectory::Create();
  ASSERT_TRUE(tmp);
  ASSERT_TRUE(testing::SetVariable(testing::kTemporaryDirectoryVariable, tmp->Path().string()));
  request_.entries = {AddFile("ABONE.QPF", PersonalityText("One")),
                      AddFile("CDTWO.QPF", PersonalityText("Two"))};
  request_.unattended = true;

  support::WriteFaults counting;
  options_.faults = &counting;
  ASSERT_TRUE(Build().cacheWritten);
  const long writes = counting.Writes();
  const long closes = counting.Closes();
  // Info, shape library, intermediate blocks, header and records, compressed file, append.
  EXPECT_GE(writes, 10);
  EXPECT_GE(closes, 5);

  std::vector<support::WriteFaults> plans;
  for (long k = 1; k <= writes; ++k) plans.push_back(support::WriteFaults::FailAtWrite(k));
  for (long k = 1; k <= closes; ++k) plans.push_back(support::WriteFaults::FailOnClose(k));
  plans.push_back(support::WriteFaults::FailOnRename());
  for (std::size_t i = 0; i < plans.size(); ++i) {
    SCOPED_TRACE(::testing::Message() << "plan " << i << " (writes " << writes << ")");
    WriteText(DefaultOutput(), "earlier");
    RecordingHost host;
    options_.faults = &plans[i];
    const standard::StandardBuildResult result =
        standard::BuildStandardCache(request_, host, options_);
    EXPECT_FALSE(result.cacheWritten);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].text.starts_with("Unable to write ")) << host.messages[0].text;
    EXPECT_EQ(host.Count("ShowResult"), 0u);
    EXPECT_EQ(testing::ReadText(DefaultOutput()), "earlier");
    EXPECT_EQ(NamesIn(output_->Path()), std::vector<std::string>{"OMK01PER.CMP"});
    EXPECT_TRUE(NamesIn(tmp->Path()).empty());
  }
  testing::SetVariable(testing::kTemporaryDirectoryVariable, std::nullopt);
}

TEST_F(StandardBuildTest, SameTimeGivesIdenticalFiles) {
  request_.entries = testing::CacheListOf({testing::ExamplesDir()});
  request_.unattended = true;
  ASSERT_TRUE(testing::SetVariable("SOURCE_DATE_EPOCH", "1796478358"));  // 05-Dec-2026
  options_.buildTime.reset();
  ASSERT_TRUE(Build().cacheWritten);
  const Bytes first = ReadBytes(DefaultOutput());
  ASSERT_TRUE(Build().cacheWritten);
  testing::SetVariable("SOURCE_DATE_EPOCH", std::nullopt);
  EXPECT_EQ(ReadBytes(DefaultOutput()), first);
  ExpectCacheOf(first, {"05-Dec-2026", "Tester", request_.entries.size(), ""}, request_.entries,
                {});
}

}  // namespace
}  // namespace hoardwright
