// The preview engine: the size it gives is the size of the file a build then writes, with the
// same messages and left-out files; it recompiles only what changed; its row checks are check's
// verdicts; its comparison finds what changed between a cache and a directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "PersonalityGenerator.h"
#include "check/PersonalityCheck.h"
#include "extended/ExtendedBuild.h"
#include "inspect/CacheInspector.h"
#include "preview/CacheComparison.h"
#include "preview/CachePreview.h"
#include "preview/PersonalityStore.h"
#include "standard/StandardBuild.h"
#include "support/BuildTestSupport.h"
#include "support/TemporaryDirectory.h"

namespace hoardwright {
namespace {

namespace fs = std::filesystem;
using testing::PersonalityText;
using testing::ReadBytes;
using testing::WriteText;

const support::CalendarTime kFixedTime{2026, 12, 7, 9, 30, 12};

struct Built {
  bool written = false;
  std::int64_t size = 0;
  std::vector<std::string> leftOut;
  std::vector<support::ReportedMessage> messages;
  fs::path file;
};

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(personalities_ && output_); }

  std::string Write(const std::string& name, const std::string& text) const {
    const fs::path path = personalities_->Path() / name;
    WriteText(path, text);
    return path.string();
  }

  Built Build(const catalogue::BuildRequest& given, const std::string& fileName) const {
    catalogue::BuildRequest request = given;
    request.outputDir = testing::DirText(*output_);
    request.unattended = true;
    Built built;
    built.file = output_->Path() / fileName;
    if (request.cacheType == catalogue::CacheType::Standard) {
      standard::StandardBuildOptions options;
      options.buildTime = kFixedTime;
      options.outputFileName = fileName;
      testing::RecordingHost host;
      const auto result = standard::BuildStandardCache(request, host, options);
      built.written = result.cacheWritten;
      for (const auto& leftOut : result.leftOut) built.leftOut.push_back(leftOut.path);
      built.messages = host.messages;
    } else {
      extended::ExtendedBuildOptions options;
      options.time = kFixedTime;
      options.outputFileName = fileName;
      support::CollectingReporter reporter;
      const auto result = extended::BuildExtendedCache(request, reporter, options);
      built.written = result.Written();
      built.leftOut = result.leftOut;
      built.messages = reporter.messages;
    }
    if (built.written) built.size = static_cast<std::int64_t>(fs::file_size(built.file));
    return built;
  }

  static preview::CachePreview Preview(const catalogue::BuildRequest& request,
                                       preview::PersonalityStore& store, unsigned jobs = 2) {
    preview::PreviewOptions options;
    options.time = kFixedTime;
    options.jobs = jobs;
    return preview::PreviewCache(request, store, options);
  }

  std::optional<support::TemporaryDirectory> personalities_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> output_ = support::TemporaryDirectory::Create();
};

TEST_F(PreviewTest, SizeMessagesAndLeftOutAreThoseOfTheBuild) {
  const auto generated = tools::WritePersonalities(personalities_->Path() / "gen", 260, 1);
  std::vector<std::string> many;
  for (const auto& path : generated) many.push_back(path.string());
  const std::vector<std::string> examples = testing::CacheListOf({testing::ExamplesDir()});
  std::vector<std::string> broken = {examples[0], examples[3]};
  broken.push_back(Write("NODEV.QPF", "NAME \"Broken\" \"No device\"\r\nTYPE 1\r\n"));
  broken.push_back(Write("NODMX.QPF", "NAME \"Broken\" \"No DMX\"\r\nDEVICE NoDmx\r\nTYPE 1\r\n"));
  broken.push_back(Write("NONAME.QPF", PersonalityText("NoName")));
  broken.push_back((personalities_->Path() / "missing.QPF").string());
  broken.push_back(personalities_->Path().string());  // a directory

  const std::vector<std::pair<std::string, std::vector<std::string>>> lists = {
      {"examples", examples},
      {"five examples", {examples.begin(), examples.begin() + 5}},
      {"260 generated", many},
      {"broken files among good ones", broken},
  };
  preview::PersonalityStore shared;
  int n = 0;
  for (const auto& [name, entries] : lists) {
    for (const auto type : {catalogue::CacheType::Standard, catalogue::CacheType::Extended}) {
      for (const bool tables : {true, false}) {
        if (type == catalogue::CacheType::Extended && !tables) continue;  // it keeps every table
        SCOPED_TRACE(name + (type == catalogue::CacheType::Standard ? ", standard" : ", extended") +
                     (tables ? ", all tables" : ", no tables"));
        catalogue::BuildRequest request;
        request.cacheType = type;
        request.entries = entries;
        request.includePresetFocus = request.includeRangeTables = request.includeMacros = tables;
        request.createdBy = tables ? "" : "Sam";
        request.notes = tables ? "" : "Rig A\r\nRig B";
        const Built built = Build(request, "C" + std::to_string(n++) + ".CMP");
        ASSERT_TRUE(built.written);

        preview::PersonalityStore fresh;
        for (preview::PersonalityStore* store : {&fresh, &shared}) {
          const preview::CachePreview preview = Preview(request, *store);
          EXPECT_EQ(preview.outcome, preview::CachePreview::Outcome::WouldWrite);
          EXPECT_EQ(preview.cacheSize, built.size);
          EXPECT_EQ(preview.leftOut, built.leftOut);
          EXPECT_EQ(preview.messages, built.messages);
          EXPECT_EQ(preview.consoles.has_value(), type == catalogue::CacheType::Standard);
        }
      }
    }
  }
}

TEST_F(PreviewTest, NamesTheFileABuildWouldWriteWhateverTheDirectoryTextEndsWith) {
  catalogue::BuildRequest request;
  request.entries = {testing::CacheListOf({testing::ExamplesDir()}).front()};
  const std::string expected = (output_->Path() / "OMK01PER.CMP").string();
  for (const auto type : {catalogue::CacheType::Standard, catalogue::CacheType::Extended}) {
    // A directory text stored without its separator (an older settings file) is joined as a path.
    for (const std::string& directory : {output_->Path().string(), testing::DirText(*output_)}) {
      SCOPED_TRACE(directory);
      request.cacheType = type;
      request.outputDir = directory;
      preview::PersonalityStore store;
      std::string outputPath = Preview(request, store).outputPath;
#ifdef _WIN32
      // DirText ends the directory with "/", which Windows takes as a separator as well.
      std::ranges::replace(outputPath, '/', '\\');
#endif
      EXPECT_EQ(outputPath, expected);
    }
  }
}

TEST_F(PreviewTest, TheConsolesAreTheResultDialogsWithTheirMargins) {
  catalogue::BuildRequest request;
  request.entries = testing::CacheListOf({testing::ExamplesDir()});
  preview::PersonalityStore store;
  const preview::CachePreview preview = Preview(request, store);
  ASSERT_TRUE(preview.consoles);
  EXPECT_EQ(preview.consoles->sizeText, "Cache File Size: " + std::to_string(preview.cacheSize / 1024) + "k");
  EXPECT_EQ(preview.consoles->consoles[0].consoleName, "Tiber");
  EXPECT_EQ(preview.consoles->consoles[0].marginBytes, 91 * 1024 - 1 - preview.cacheSize);
  EXPECT_EQ(preview.consoles->consoles[2].marginBytes, 96 * 1024 - 1 - preview.cacheSize);
}

TEST_F(PreviewTest, ListsThatGiveNoCacheGiveTheBuildsMessage) {
  preview::PersonalityStore store;
  for (const auto type : {catalogue::CacheType::Standard, catalogue::CacheType::Extended}) {
    catalogue::BuildRequest request;
    request.cacheType = type;
    const preview::CachePreview empty = Preview(request, store);
    EXPECT_EQ(empty.outcome, preview::CachePreview::Outcome::NotWritten);
    EXPECT_EQ(empty.messages, Build(request, "E.CMP").messages);

    // One row more than the build takes; the rows need not exist, nothing is read.
    request.entries.assign(type == catalogue::CacheType::Standard ? 5001 : 2001,
                           (personalities_->Path() / "none.QPF").string());
    const preview::CachePreview tooMany = Preview(request, store);
    EXPECT_EQ(tooMany.outcome, preview::CachePreview::Outcome::NotWritten);
    ASSERT_EQ(tooMany.messages.size(), 1u);
    EXPECT_TRUE(tooMany.messages[0].text.starts_with("Too many personalities (")) << tooMany.messages[0].text;
  }
  EXPECT_TRUE(testing::NamesIn(output_->Path()).empty());
}

TEST_F(PreviewTest, ARecomputeReadsOnlyWhatChanged) {
  std::vector<std::string> entries;
  for (int i = 0; i < 6; ++i) {
    entries.push_back(Write("AB" + std::to_string(i) + ".QPF", PersonalityText("Dev" + std::to_string(i))));
  }
  catalogue::BuildRequest request;
  request.entries = entries;
  preview::PersonalityStore store;
  const auto first = Preview(request, store);
  EXPECT_EQ(store.FilesRead(), 6u);

  // The same list again, and the list in another order: nothing is read.
  Preview(request, store);
  std::ranges::reverse(request.entries);
  Preview(request, store);
  EXPECT_EQ(store.FilesRead(), 6u);

  // One file changes (its size, so that a coarse clock cannot hide it): only it is read.
  Write("AB2.QPF", PersonalityText("Dev2", "; a longer file\r\n"));
  const auto changed = Preview(request, store);
  EXPECT_EQ(store.FilesRead(), 7u);
  EXPECT_EQ(changed.cacheSize, Build(request, "R.CMP").size);

  // A row added: only it is read. A table option: every file once more, then kept too.
  request.entries.push_back(Write("AB9.QPF", PersonalityText("Dev9")));
  Preview(request, store);
  EXPECT_EQ(store.FilesRead(), 8u);
  request.includeMacros = false;
  Preview(request, store);
  Preview(request, store);
  EXPECT_EQ(store.FilesRead(), 15u);

  // What the watcher says changed is read again even when its stamp looks the same.
  store.Invalidate(entries[0]);
  Preview(request, store);
  EXPECT_EQ(store.FilesRead(), 16u);
  store.Clear();
  Preview(request, store);
  EXPECT_EQ(store.FilesRead(), 23u);
  EXPECT_EQ(first.outcome, preview::CachePreview::Outcome::WouldWrite);
}

TEST_F(PreviewTest, RetainOnlyForgetsTheFilesNotNamed) {
  const std::string kept = Write("AB1.QPF", PersonalityText("Dev1"));
  const std::string checked = Write("AB2.QPF", PersonalityText("Dev2"));
  const std::string dropped = Write("AB3.QPF", PersonalityText("Dev3"));
  preview::PersonalityStore store;
  for (const std::string& path : {kept, checked, dropped}) {
    store.Standard(path, standard::TableOptions{});
    store.Check(path);
  }
  const std::size_t read = store.FilesRead();
  ASSERT_EQ(read, 6u);

  // The dropped file is still on the disk, so only a forgotten result makes it read again.
  store.RetainOnly({kept, checked, personalities_->Path().string() + "/GONE.QPF"});
  const auto keptResult = store.Standard(kept, standard::TableOptions{});
  store.Check(checked);
  EXPECT_EQ(store.FilesRead(), read);
  EXPECT_EQ(keptResult->outcome, standard::CompiledPersonality::Outcome::Compiled);
  store.Standard(dropped, standard::TableOptions{});
  store.Check(dropped);
  EXPECT_EQ(store.FilesRead(), read + 2);

  store.RetainOnly({});
  store.Check(kept);
  EXPECT_EQ(store.FilesRead(), read + 3);
}

TEST_F(PreviewTest, ACancelledPreviewSaysSo) {
  catalogue::BuildRequest request;
  request.entries = testing::CacheListOf({testing::ExamplesDir()});
  preview::PersonalityStore store;
  support::CancelToken cancel;
  cancel.Cancel();
  for (const auto type : {catalogue::CacheType::Standard, catalogue::CacheType::Extended}) {
    request.cacheType = type;
    preview::PreviewOptions options;
    options.cancel = &cancel;
    const auto preview = preview::PreviewCache(request, store, options);
    EXPECT_EQ(preview.outcome, preview::CachePreview::Outcome::Cancelled);
    EXPECT_TRUE(preview.messages.empty());
  }
}

TEST_F(PreviewTest, RowChecksAreChecksVerdicts) {
  const std::string named = "NAME \"Maker\" \"Fixture\"\r\n";
  const std::string fine = Write("CHFINE.QPF", PersonalityText("Fine", named));
  const std::string warned = Write("QQWARN.QPF", PersonalityText("Warned", named));  // unknown maker
  const std::string leftOut = Write("CHBROKEN.QPF", "DEVICE  Broken\r\nNAME \"A\" \"B\"\r\n");
  const std::string missing = (personalities_->Path() / "CHNONE.QPF").string();
  const std::vector<std::string> all = {fine, warned, leftOut};
  const auto listed = check::CheckPaths(all);
  ASSERT_EQ(listed.size(), all.size());

  preview::PersonalityStore store;
  const std::vector<check::RowVerdict> expected = {check::RowVerdict::Fine, check::RowVerdict::Warnings,
                                                   check::RowVerdict::LeftOut};
  for (std::size_t i = 0; i < all.size(); ++i) {
    const auto row = store.Check(all[i]);
    EXPECT_EQ(check::VerdictOf(*row), expected[i]) << all[i];
    ASSERT_EQ(row->items.size(), listed[i].items.size()) << all[i];
    for (std::size_t k = 0; k < row->items.size(); ++k) {
      EXPECT_EQ(row->items[k].finding, listed[i].items[k].finding);
    }
  }
  const auto gone = store.Check(missing);
  EXPECT_EQ(check::VerdictOf(*gone), check::RowVerdict::LeftOut);
  ASSERT_FALSE(gone->items.empty());
  EXPECT_NE(gone->items[0].finding.message.find("cannot be opened"), std::string::npos);

  // A row check on a background thread sees the file as it is now.
  Write("CHFINE.QPF", "TYPE 1\r\n");
  std::shared_ptr<const check::FileCheck> again;
  std::thread([&] { again = store.Check(fine); }).join();
  EXPECT_EQ(check::VerdictOf(*again), check::RowVerdict::LeftOut);
}

// Builds a cache of the directory, changes the directory, and compares.
class ComparisonTest : public PreviewTest {
 protected:
  inspect::InspectReport BuildAndRead(catalogue::BuildRequest request) {
    const Built built = Build(request, "CMP.CMP");
    EXPECT_TRUE(built.written);
    bytes_ = ReadBytes(built.file);
    return inspect::InspectCache(bytes_, built.file.string());
  }
  std::vector<std::uint8_t> bytes_;
};

TEST_F(ComparisonTest, FindsNewChangedAndMissingPersonalitiesInBothKinds) {
  for (const auto type : {catalogue::CacheType::Standard, catalogue::CacheType::Extended}) {
    SCOPED_TRACE(type == catalogue::CacheType::Standard ? "standard" : "extended");
    fs::remove_all(personalities_->Path() / "dir");
    const fs::path dir = personalities_->Path() / "dir";
    // Named without the trailing separator: Windows' C library finds no directory with one.
    fs::copy(fs::path(testing::ExamplesDir()).parent_path(), dir);
    const std::string dirText = dir.string() + "/";
    catalogue::BuildRequest request;
    request.cacheType = type;
    request.entries = testing::CacheListOf({dirText});
    const inspect::InspectReport report = BuildAndRead(request);
    ASSERT_FALSE(report.Damaged());

    preview::PersonalityStore store;
    const auto same = preview::CompareWithDirectory(report, dirText, store);
    EXPECT_EQ(same.Count(preview::RecordState::Unchanged), request.entries.size());
    EXPECT_TRUE(same.added.empty());
    EXPECT_EQ(same.PathsInDirectory(), request.entries);

    // One file removed, one changed in its DMX table, one added.
    fs::remove(dir / "ADJMINI.QPF");
    std::string text = testing::ReadText(dir / "GLPIX18.QPF");
    text.replace(text.find("255"), 3, "254");
    WriteText(dir / "GLPIX18.QPF", text);
    WriteText(dir / "CHNEWONE.QPF", PersonalityText("CH.NewOne"));
    const auto compared = preview::CompareWithDirectory(report, dirText, store);
    EXPECT_EQ(compared.Count(preview::RecordState::Missing), 1u);
    EXPECT_EQ(compared.Count(preview::RecordState::Changed), 1u);
    EXPECT_EQ(compared.Count(preview::RecordState::Unchanged), request.entries.size() - 2);
    for (const auto& record : compared.records) {
      if (record.state == preview::RecordState::Missing) {
        EXPECT_TRUE(record.device.starts_with("ADJ.Mini250"));
      }
      if (record.state == preview::RecordState::Changed) {
        EXPECT_EQ(record.path, dirText + "GLPIX18.QPF");
      }
    }
    ASSERT_EQ(compared.added.size(), 1u);
    EXPECT_EQ(compared.added[0].filePath, dirText + "CHNEWONE.QPF");
    EXPECT_EQ(compared.PathsInDirectory().size(), request.entries.size() - 1);
  }
}

TEST_F(ComparisonTest, StandardRecordsAreComparedUnderTheTablesTheCacheWasBuiltWith) {
  catalogue::BuildRequest request;
  request.entries = testing::CacheListOf({testing::ExamplesDir()});
  request.includeMacros = false;
  request.includePresetFocus = false;
  const inspect::InspectReport report = BuildAndRead(request);
  preview::PersonalityStore store;
  const auto compared = preview::CompareWithDirectory(report, testing::ExamplesDir(), store);
  ASSERT_TRUE(compared.tables);
  EXPECT_FALSE(compared.tables->includeMacros);
  EXPECT_FALSE(compared.tables->includePresetFocus);
  EXPECT_TRUE(compared.tables->includeRangeTables);
  EXPECT_EQ(compared.Count(preview::RecordState::Unchanged), request.entries.size());
  // The info personality is the cache's own, not the directory's.
  EXPECT_EQ(compared.records.size(), request.entries.size());
}

}  // namespace
}  // namespace hoardwright
