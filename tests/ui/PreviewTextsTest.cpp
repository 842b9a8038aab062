#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/BuildTestSupport.h"
#include "support/CancelToken.h"
#include "support/Files.h"
#include "support/TemporaryDirectory.h"
#include "ui/MainDialogModel.h"
#include "ui/PreviewTexts.h"
#include "ui/WindowBuild.h"

namespace hoardwright::ui {
namespace {

using catalogue::CacheType;
using check::Finding;

TEST(PreviewTextsTest, CacheKindSettingReadsBackOnlyWhatItWrites) {
  for (const CacheType kind : {CacheType::Standard, CacheType::Extended}) {
    EXPECT_EQ(CacheKindFromSetting(CacheKindSetting(kind)), kind);
  }
  EXPECT_EQ(CacheKindSetting(CacheType::Extended), "extended");
  for (const char* text : {"", "Extended", "normal", "extended "}) {
    EXPECT_EQ(CacheKindFromSetting(text), std::nullopt) << text;
  }
}

TEST(PreviewTextsTest, GroupedNumberPutsACommaEveryThreeDigits) {
  const std::vector<std::pair<std::int64_t, std::string>> cases{
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {98577, "98,577"},
      {1234567, "1,234,567"},
      {-5393, "-5,393"},
      {INT64_MIN, "-9,223,372,036,854,775,808"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(GroupedNumber(value), text);
}

preview::CachePreview StandardPreview(std::int64_t size, std::size_t personalities) {
  preview::CachePreview preview;
  preview.outcome = preview::CachePreview::Outcome::WouldWrite;
  preview.cacheSize = size;
  preview.recordCount = personalities + 1;  // the info personality
  preview.listCount = personalities;
  preview.consoles = standard::DecideCacheResult(size, static_cast<std::int64_t>(personalities));
  return preview;
}

TEST(PreviewTextsTest, GaugeSaysEachConsolesRoomOrExcess) {
  // 91k exactly: one byte too many for the Tiber, 5,119 bytes left on the two others.
  const GaugeView view = DescribePreview(StandardPreview(93184, 215));
  EXPECT_EQ(view.sizeLine, "Cache: 93,184 bytes (91k), 215 personalities");
  EXPECT_EQ(view.warning, "");
  ASSERT_EQ(view.consoles.size(), 3u);
  EXPECT_FALSE(view.consoles[0].fits);
  EXPECT_EQ(view.consoles[0].text, "Tiber (91k): over by 1 byte");
  EXPECT_TRUE(view.consoles[1].fits);
  EXPECT_EQ(view.consoles[1].text, "Ostra Mk1 (96k): fits, 5,119 bytes left");
  EXPECT_EQ(view.consoles[2].text, "Verdane Mk1 (96k): fits, 5,119 bytes left");

  const GaugeView big = DescribePreview(StandardPreview(2225516, 5000));
  EXPECT_EQ(big.consoles[2].text, "Verdane Mk1 (96k): over by 2,127,213 bytes");
  EXPECT_EQ(big.warning, standard::DecideCacheResult(2225516, 5000).sizeText);

  preview::CachePreview leftOut = StandardPreview(5000, 3);
  leftOut.leftOut = {"/p/A.QPF", "/p/B.QPF"};
  EXPECT_EQ(DescribePreview(leftOut).warning, "2 files of the list would be left out");
}

TEST(PreviewTextsTest, GaugeOfTheExtendedCacheAndOfNoCache) {
  preview::CachePreview extended;
  extended.outcome = preview::CachePreview::Outcome::WouldWrite;
  extended.cacheType = CacheType::Extended;
  extended.cacheSize = 832541;
  extended.recordCount = 2000;
  const GaugeView view = DescribePreview(extended);
  EXPECT_EQ(view.sizeLine, "Extended cache: 832,541 bytes (813k), 2000 personalities");
  EXPECT_TRUE(view.consoles.empty());

  preview::CachePreview empty;
  EXPECT_EQ(DescribePreview(empty).sizeLine, "No personalities in the cache list");
  preview::CachePreview refused;
  refused.listCount = 2001;
  refused.messages.push_back({"Too many personalities (2001), Max: 2000.", "Hoardwright"});
  EXPECT_EQ(DescribePreview(refused).sizeLine, "Build Cache would write no cache");
  EXPECT_EQ(DescribePreview(refused).warning, "Too many personalities (2001), Max: 2000.");
}

check::FileCheck Checked(bool standard, bool extended, std::vector<check::CheckItem> items) {
  check::FileCheck check;
  check.path = "/p/X.QPF";
  check.standard = standard;
  check.extended = extended;
  check.items = std::move(items);
  return check;
}

TEST(PreviewTextsTest, RowMarkFollowsTheChosenCacheKind) {
  const check::CheckItem column{
      {Finding::Severity::LeftOut, 17, 7, "malformed DMX channel line"}, true, false};
  const check::CheckItem list{
      {Finding::Severity::Warning, 0, 0, "no known manufacturer code"}, false, false};
  struct Case {
    const char* name;
    check::FileCheck check;
    RowMarkKind standard;
    RowMarkKind extended;
  };
  const std::vector<Case> cases{
      {"fine", Checked(true, true, {}), RowMarkKind::None, RowMarkKind::None},
      {"left out of the standard cache only", Checked(false, true, {column}), RowMarkKind::LeftOut,
       RowMarkKind::Warning},
      {"left out of both", Checked(false, false, {column}), RowMarkKind::LeftOut,
       RowMarkKind::LeftOut},
      {"a warning for the list", Checked(true, true, {list}), RowMarkKind::Warning,
       RowMarkKind::Warning},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MarkOf(c.check, CacheType::Standard).kind, c.standard) << c.name;
    EXPECT_EQ(MarkOf(c.check, CacheType::Extended).kind, c.extended) << c.name;
  }
  const RowMark mark = MarkOf(Checked(false, true, {column, list}), CacheType::Standard);
  EXPECT_EQ(mark.ToolTip(),
            "Build Cache would leave this file out:\n"
            "LEFT OUT, line 17, column 7: malformed DMX channel line [standard]\n"
            "warning: no known manufacturer code [list]");
  EXPECT_EQ(RowMark{}.ToolTip(), "");
}

TEST(PreviewTextsTest, AddRefusesFilesTheChosenCacheLeavesOut) {
  MainDialogModel model(catalogue::ManufacturerMap{});
  model.PersonalityList().Assign({{"Beam", "Robe", "/one/beam.qpf"},
                                  {"Spot", "Martin", "/one/spot.qpf"},
                                  {"Wash", "Martin", "/one/wash.qpf"}});
  model.FinishInitialisation();
  const check::CheckItem column{
      {Finding::Severity::LeftOut, 3, 0, "missing keyword TYPE"}, true, false};
  model.SetMark("/one/spot.qpf", MarkOf(Checked(false, true, {column}), CacheType::Standard));
  model.SetMark("/one/wash.qpf", MarkOf(Checked(true, true, {}), CacheType::Standard));

  model.PersonalityList().SelectOnly({0, 1});
  model.Add();
  EXPECT_EQ(model.CacheList().FilePaths(), std::vector<std::string>{"/one/beam.qpf"});
  const std::vector<RefusedFile> refused = model.TakeRefused();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].path, "/one/spot.qpf");
  EXPECT_EQ(RefusalText(refused),
            "This file is not added, because Build Cache would leave it out:\n\n/one/spot.qpf\n"
            "    LEFT OUT, line 3: missing keyword TYPE [standard]");
  EXPECT_TRUE(model.TakeRefused().empty());

  model.AddAll();
  EXPECT_EQ(model.CacheList().RowCount(), 2u);
  EXPECT_EQ(model.TakeRefused().size(), 1u);
  EXPECT_EQ(model.CacheLabel(), "Cache File (2 Files)");
}

// A standard cache of the examples, built as the window builds it with its details confirmed.
class OpenedCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_);
    const std::filesystem::path dir = scratch_->Path() / "pers";
    std::filesystem::copy(std::filesystem::path(testing::ExamplesDir()).parent_path(), dir);
    dir_ = dir.string() + "/";
    catalogue::BuildRequest request;
    request.entries = testing::CacheListOf({dir_});
    request.createdBy = "Night crew";
    request.outputDir = scratch_->Path().string() + "/";
    testing::RecordingHost host;
    host.editDetails = [](standard::BuildDetails& details) { details.notes = "Rig A\r\nTruss 2"; };
    standard::StandardBuildOptions options;
    options.buildTime = support::CalendarTime{2026, 4, 25, 12, 0, 0};
    ASSERT_TRUE(standard::BuildStandardCache(request, host, options).cacheWritten);
    cache_ = request.outputDir + "OMK01PER.CMP";
  }

  std::optional<support::TemporaryDirectory> scratch_ = support::TemporaryDirectory::Create();
  std::string dir_;
  std::string cache_;
};

TEST_F(OpenedCacheTest, ShowsWhatInspectFindsAndTheComparison) {
  testing::WriteText(dir_ + "LTDIMMER.QPF", [&] {
    std::string text = testing::ReadText(dir_ + "LTDIMMER.QPF");
    text.replace(text.find("\"Dimmer\""), 8, "\"Bright\"");
    return text;
  }());
  std::filesystem::remove(dir_ + "ZZHAZE5.QPF");
  preview::PersonalityStore store;
  // Cancelled before the first file: nothing compiled and nothing to show.
  support::CancelToken cancel;
  cancel.Cancel();
  const OpenedCache stopped = OpenCacheFile(cache_, dir_, store, &cancel);
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_EQ(stopped.error, "");
  EXPECT_TRUE(stopped.overview.rows.empty());
  EXPECT_EQ(store.FilesRead(), 0u);

  const OpenedCache opened = OpenCacheFile(cache_, dir_, store);
  EXPECT_FALSE(opened.cancelled);
  ASSERT_EQ(opened.error, "");
  const CacheOverview& overview = opened.overview;
  EXPECT_EQ(overview.kind, "standard cache");
  EXPECT_EQ(overview.date, "25-Apr-2026");
  EXPECT_EQ(overview.createdBy, "Night crew");
  EXPECT_EQ(overview.notes, (std::vector<std::string>{"Rig A", "Truss 2"}));
  EXPECT_TRUE(overview.intact);
  ASSERT_EQ(overview.rows.size(), 12u);
  EXPECT_EQ(overview.rows[0].device, "ADJ.Mini250");
  EXPECT_EQ(overview.rows[0].manufacturer, "American DJ");
  EXPECT_GT(overview.rows[0].size, 0u);
  std::vector<std::string> states;
  for (const CacheOverviewRow& row : overview.rows) states.push_back(row.device + "=" + row.state);
  EXPECT_NE(std::ranges::find(states, "LT.Dimmer=changed"), states.end());
  EXPECT_NE(std::ranges::find(states, "ZZ.Haze500=missing"), states.end());
  EXPECT_EQ(overview.comparisonLine, "10 unchanged, 1 changed, 1 missing, 0 new in " + dir_);
  EXPECT_EQ(overview.loadable.size(), 11u);

  // Load into cache list: the list becomes the cache's files that the directory has.
  MainDialogModel model;
  model.RestoreCacheList({{"Other", "Maker", "/elsewhere/OTHER.QPF"}});
  EXPECT_TRUE(model.LoadIntoCacheList(overview.loadable).empty());
  EXPECT_EQ(model.CacheList().RowCount(), 11u);
  EXPECT_EQ(model.CacheLabel(), "Cache File (11 Files)");
}

TEST_F(OpenedCacheTest, UnreadableAndDamagedCachesAreSaidSo) {
  preview::PersonalityStore store;
  EXPECT_NE(OpenCacheFile(dir_ + "nothing.CMP", dir_, store).error, "");
  EXPECT_NE(OpenCacheFile(dir_, dir_, store).error, "");  // a directory

  std::vector<std::uint8_t> bytes = testing::ReadBytes(cache_);
  bytes.resize(bytes.size() / 2);
  const std::string cut = dir_ + "CUT.CMP";
  testing::WriteText(cut, std::string(bytes.begin(), bytes.end()));
  const OpenedCache opened = OpenCacheFile(cut, "", store);
  EXPECT_EQ(opened.error, "");
  EXPECT_FALSE(opened.overview.intact);
  EXPECT_FALSE(opened.overview.problems.empty());
  EXPECT_EQ(opened.overview.comparisonLine, "");
}

TEST(PreviewTextsTest, CachesAreKnownByNameOrByTheExtendedMagic) {
  const auto scratch = support::TemporaryDirectory::Create();
  ASSERT_TRUE(scratch);
  const std::string dir = scratch->Path().string() + "/";
  testing::WriteText(dir + "magic.bin", "QenCache and more");
  testing::WriteText(dir + "notes.txt", "Not a cache");
  EXPECT_TRUE(LooksLikeCache(dir + "old.cmp"));  // by its name, even before it is read
  EXPECT_TRUE(LooksLikeCache(dir + "magic.bin"));
  EXPECT_FALSE(LooksLikeCache(dir + "notes.txt"));
  EXPECT_FALSE(LooksLikeCache(dir + "missing.bin"));
}

TEST(WindowBuildTest, ExtendedBuildAsksForThePlaceAndWritesThere) {
  const auto scratch = support::TemporaryDirectory::Create();
  ASSERT_TRUE(scratch);
  catalogue::BuildRequest request;
  request.cacheType = CacheType::Extended;
  request.entries = testing::CacheListOf({testing::ExamplesDir()});
  request.outputDir = "/nowhere/";
  testing::RecordingHost host;
  host.editDetails = [&](standard::BuildDetails& details) {
    EXPECT_FALSE(details.keepsCreatedByAndNotes);
    EXPECT_EQ(details.cacheDate, "25-Apr-2026");
    EXPECT_EQ(details.fileCount, 12);
    details.outputDir = scratch->Path().string() + "/";
    details.outputFileName = "MK2.CMP";
  };
  extended::ExtendedBuildOptions options;
  options.time = support::CalendarTime{2026, 4, 25, 12, 0, 0};
  const WindowExtendedBuild build = BuildExtendedFromWindow(request, host, options);
  EXPECT_FALSE(build.cancelled);
  ASSERT_TRUE(build.result.Written());
  EXPECT_EQ(build.result.outputPath, scratch->Path() / "MK2.CMP");
  EXPECT_EQ(build.result.personalityCount, 12);
  EXPECT_EQ(host.Count("StoreBuildDetails"), 1u);

  host.detailsResult = standard::DialogResult::Cancel;
  host.editDetails = nullptr;
  EXPECT_TRUE(BuildExtendedFromWindow(request, host, options).cancelled);
  // An empty list is the build's message, without the dialog.
  testing::RecordingHost empty;
  request.entries.clear();
  EXPECT_FALSE(BuildExtendedFromWindow(request, empty, options).result.Written());
  EXPECT_EQ(empty.Count("ShowBuildDetails"), 0u);
  EXPECT_EQ(empty.Count("ShowMessage"), 1u);
}

}  // namespace
}  // namespace hoardwright::ui
