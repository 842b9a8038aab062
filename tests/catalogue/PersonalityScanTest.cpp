#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "catalogue/ManufacturerTable.h"
#include "catalogue/PersonalityScan.h"
#include "catalogue/RememberedCacheList.h"
#include "support/DirectoryText.h"
#include "support/Reporter.h"
#include "ui/MainDialogModel.h"

namespace hoardwright::catalogue {

void PrintTo(const catalogue::PersonalityEntry& entry, std::ostream* out) {
  *out << '{' << entry.deviceName << '|' << entry.manufacturerName << '|' << entry.filePath << '}';
}

namespace {

namespace fs = std::filesystem;

// A personality directory of its own, removed with everything in it at the end of the test.
class ScanDirectory {
 public:
  ScanDirectory() {
    std::random_device seed;
    path_ = fs::temp_directory_path() /
            ("hoardwright-scan-" + std::to_string(seed()) + "-" + std::to_string(seed()));
    fs::create_directories(path_);
  }
  ~ScanDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScanDirectory(const ScanDirectory&) = delete;
  ScanDirectory& operator=(const ScanDirectory&) = delete;

  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / name, std::ios::binary) << content;
  }
  // A minimal personality with CR LF line ends.
  void WritePersonality(const std::string& name, const std::string& device) const {
    Write(name,
          "; written by the scan test\r\nDEVICE " + device + "\r\nNAME \"Test\" \"Fixture\"\r\n");
  }
  std::string Text() const { return path_.string(); }  // without a trailing "/"

 private:
  fs::path path_;
};

std::string Padded(std::string name) {
  name.resize(catalogue::kManufacturerNameLength, ' ');
  return name;
}

const catalogue::PersonalityEntry* FindByPath(
    const std::vector<catalogue::PersonalityEntry>& entries, const std::string& path) {
  for (const catalogue::PersonalityEntry& entry : entries) {
    if (entry.filePath == path) return &entry;
  }
  return nullptr;
}

TEST(PersonalityScanTest, ListsDeviceNamesAndManufacturersOfEveryPersonality) {
  ScanDirectory dir;
  dir.WritePersonality("ABFOO.QPF", "Spot 575 Extra Long Name");
  dir.WritePersonality("mtwash.qpf", "Wash 700");
  dir.WritePersonality("VLSSPOT.QPF", "VL Spot");
  dir.WritePersonality("ZZHAZE.Qpf", "Hazer");
  dir.WritePersonality("UKTHING.QPF", "Thing");
  dir.WritePersonality("ADJBAR.QPF", "LED Bar");
  dir.Write("README.TXT", "DEVICE Not a personality\r\n");
  dir.Write("RObeam.qpf.bak", "DEVICE Backup copy\r\n");
  fs::create_directory(fs::path(dir.Text()) / "FOLDER.QPF");

  support::SilentReporter reporter;
  const catalogue::PersonalityScan scan = catalogue::ScanPersonalityDirectory(
      dir.Text(), catalogue::LoadManufacturerMap(), reporter, catalogue::SortState{});
  const std::string base = dir.Text() + support::kDirectorySeparator;
  EXPECT_EQ(scan.personalityDir, base);
  ASSERT_EQ(scan.entries.size(), 6u);

  const std::vector<std::pair<std::string, catalogue::PersonalityEntry>> expected = {
      {"ABFOO.QPF", {"Spot 575 Ext", Padded("Abstract"), ""}},
      {"mtwash.qpf", {"Wash 700", Padded("Martin"), ""}},
      {"VLSSPOT.QPF", {"VL Spot", Padded("Varilite"), ""}},  // VL is tried before VLS
      {"ZZHAZE.Qpf", {"Hazer", "Unknown", ""}},
      {"UKTHING.QPF", {"Thing", Padded("Unknown"), ""}},
      {"ADJBAR.QPF", {"LED Bar", Padded("American DJ"), ""}},
  };
  for (const auto& [file, want] : expected) {
    const catalogue::PersonalityEntry* entry = FindByPath(scan.entries, base + file);
    ASSERT_NE(entry, nullptr) << file;
    EXPECT_EQ(entry->deviceName, want.deviceName) << file;
    EXPECT_EQ(entry->manufacturerName, want.manufacturerName) << file;
  }
  // Sorted ascending by device name, the start-up state.
  EXPECT_EQ(scan.entries.front().deviceName, "Hazer");
  EXPECT_EQ(scan.entries.back().deviceName, "Wash 700");
}

TEST(PersonalityScanTest, FirstFileInNameOrderWinsADuplicateDeviceName) {
  ScanDirectory dir;
  // In byte order "CPBETA" would come first; names are ordered with letters upper-cased.
  dir.WritePersonality("CPBETA.QPF", "Duplicate Name B");
  dir.WritePersonality("cpalpha.qpf", "Duplicate Name A");
  // Names that differ only in letter case are different devices.
  dir.WritePersonality("CHONE.QPF", "Colour Mixer");
  dir.WritePersonality("CHTWO.QPF", "COLOUR MIXER");

  support::SilentReporter reporter;
  const catalogue::PersonalityScan scan = catalogue::ScanPersonalityDirectory(
      dir.Text() + "/", catalogue::LoadManufacturerMap(), reporter, catalogue::SortState{});
  ASSERT_EQ(scan.entries.size(), 3u);
  EXPECT_EQ(scan.entries[0].deviceName, "Colour Mixer");
  EXPECT_EQ(scan.entries[1].deviceName, "COLOUR MIXER");
  EXPECT_EQ(scan.entries[2].deviceName, "Duplicate Na");
  EXPECT_EQ(scan.entries[2].filePath, dir.Text() + "/cpalpha.qpf");
}

TEST(PersonalityScanTest, FileWithoutDeviceLineIsReportedAndLeftOut) {
#ifdef _WIN32
  GTEST_SKIP() << "std::filesystem makes no symbolic links in the MinGW build (and Windows needs a "
                  "privilege for them)";
#else
  ScanDirectory dir;
  dir.Write("ECNODEV.QPF", "NAME \"No\" \"Device\"\r\nTYPE 1 1 M\r\n");
  dir.WritePersonality("ECSPOT.QPF", "Spot");
  fs::create_symlink(fs::path(dir.Text()) / "MISSING.TXT", fs::path(dir.Text()) / "BROKEN.QPF");

  support::CollectingReporter reporter;
  const catalogue::PersonalityScan scan = catalogue::ScanPersonalityDirectory(
      dir.Text(), catalogue::LoadManufacturerMap(), reporter, catalogue::SortState{});
  ASSERT_EQ(scan.entries.size(), 1u);
  EXPECT_EQ(scan.entries[0].deviceName, "Spot");
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "error - couldn't find keyword DEVICE");
#endif
}

// The window shows a scan's messages only once it is on the screen, each with its file's path.
TEST(PersonalityScanTest, ModelKeepsEachMessageWithItsFilesPath) {
  ScanDirectory dir;
  dir.WritePersonality("ABGOOD.QPF", "Good");
  dir.Write("ABNONE.QPF", "NAME \"x\"\r\n");
  dir.Write("CDNONE.QPF", "; nothing here\r\n");
  ui::MainDialogModel model;
  model.SetPersonalityDir(dir.Text());
  const std::vector<support::ReportedMessage> messages = model.ScanPersonalityDirectory();
  const std::string base = dir.Text() + support::kDirectorySeparator;
  EXPECT_EQ(messages, (std::vector<support::ReportedMessage>{
                          {"error - couldn't find keyword DEVICE", base + "ABNONE.QPF"},
                          {"error - couldn't find keyword DEVICE", base + "CDNONE.QPF"}}));
  EXPECT_EQ(model.PersonalityList().RowCount(), 1u);
}

TEST(ScanNoticesTest, FewMessagesStayApartManyAreListedInOneBox) {
  const auto messages = [](std::size_t count) {
    std::vector<support::ReportedMessage> list;
    for (std::size_t i = 0; i < count; ++i) {
      list.push_back({"error - couldn't find keyword DEVICE", "/p/F" + std::to_string(i) + ".QPF"});
    }
    return list;
  };
  EXPECT_TRUE(ui::ScanNotices({}).empty());
  EXPECT_EQ(ui::ScanNotices(messages(ui::kSeparateScanMessages)),
            messages(ui::kSeparateScanMessages));

  const auto one = ui::ScanNotices(messages(4));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].caption, "Hoardwright");
  EXPECT_EQ(one[0].text,
            "4 personality files are not listed, because of these errors:\n"
            "\n/p/F0.QPF: error - couldn't find keyword DEVICE"
            "\n/p/F1.QPF: error - couldn't find keyword DEVICE"
            "\n/p/F2.QPF: error - couldn't find keyword DEVICE"
            "\n/p/F3.QPF: error - couldn't find keyword DEVICE");

  // However many files, the box stays readable.
  const auto many = ui::ScanNotices(messages(600));
  ASSERT_EQ(many.size(), 1u);
  EXPECT_EQ(std::count(many[0].text.begin(), many[0].text.end(), '\n'),
            2 + static_cast<std::ptrdiff_t>(ui::kListedScanMessages));
  EXPECT_TRUE(many[0].text.ends_with("\n... and 580 more."));
}

TEST(PersonalityScanTest, EmptyOrMissingDirectoryGivesNoRows) {
  ScanDirectory dir;
  support::CollectingReporter reporter;
  const catalogue::ManufacturerMap map = catalogue::LoadManufacturerMap();
  EXPECT_TRUE(catalogue::ScanPersonalityDirectory(dir.Text(), map, reporter, catalogue::SortState{})
                  .entries.empty());

  const catalogue::PersonalityScan missing = catalogue::ScanPersonalityDirectory(
      dir.Text() + "/absent", map, reporter, catalogue::SortState{});
  EXPECT_EQ(missing.personalityDir, dir.Text() + "/absent" + support::kDirectorySeparator);
  EXPECT_TRUE(missing.entries.empty());
  EXPECT_TRUE(reporter.messages.empty());
}

TEST(PersonalityScanTest, FilesAreEnumeratedByUpperCasedNameThenByBytes) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows' file systems do not keep two names that differ only in letter case";
#else
  ScanDirectory dir;
  for (const char* name : {"b.QPF", "_x.QPF", "a.QPF", "A.qpf", "c.txt"}) dir.Write(name, "");
  EXPECT_EQ(catalogue::ListPersonalityFiles(dir.Text()),
            (std::vector<std::string>{"A.qpf", "a.QPF", "b.QPF", "_x.QPF"}));
  EXPECT_TRUE(catalogue::ListPersonalityFiles(dir.Text() + "/absent").empty());
#endif
}

TEST(PersonalityScanTest, ModelRescanUsesTheRememberedSortState) {
  ScanDirectory dir;
  dir.WritePersonality("MTSPOT.QPF", "Spot");
  dir.WritePersonality("ABWASH.QPF", "Wash");
  dir.WritePersonality("RBBEAM.QPF", "Beam");

  ui::MainDialogModel model;
  model.SetPersonalityDir(dir.Text());
  model.PersonalityList().ClickColumn(
      catalogue::ListColumn::Manufacturer);  // ascending by manufacturer
  model.PersonalityList().ClickColumn(catalogue::ListColumn::Manufacturer);  // descending
  support::SilentReporter reporter;
  model.ScanPersonalityDirectory(reporter);

  EXPECT_EQ(model.PersonalityDir(), dir.Text() + support::kDirectorySeparator);
  const std::vector<catalogue::PersonalityEntry> rows = model.PersonalityList().Entries();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].deviceName, "Beam");  // Rainbow
  EXPECT_EQ(rows[1].deviceName, "Spot");  // Martin
  EXPECT_EQ(rows[2].deviceName, "Wash");  // Abstract

  // A second scan replaces the rows; the cache list is not touched.
  model.AddAll();
  fs::remove(fs::path(dir.Text()) / "RBBEAM.QPF");
  model.ScanPersonalityDirectory(reporter);
  EXPECT_EQ(model.PersonalityList().RowCount(), 2u);
  EXPECT_EQ(model.CacheList().RowCount(), 3u);
}

TEST(PersonalityScanTest, ReadsOneEntryFromAFilePath) {
  ScanDirectory dir;
  dir.WritePersonality("clswash.qpf", "\"Wash 1200 Deluxe\" trailing");
  const std::string path = dir.Text() + "/clswash.qpf";
  support::CollectingReporter reporter;

  const std::optional<catalogue::PersonalityEntry> entry =
      catalogue::ReadPersonalityEntry(path, catalogue::LoadManufacturerMap(), reporter);
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(*entry, (catalogue::PersonalityEntry{"Wash 1200 De", Padded("CLS"), path}));

  std::string readError;
  EXPECT_FALSE(catalogue::ReadPersonalityEntry(
      dir.Text() + "/GONE.QPF", catalogue::LoadManufacturerMap(), reporter, &readError));
  EXPECT_FALSE(readError.empty());
  EXPECT_TRUE(reporter.messages.empty());
}

TEST(RememberedCacheListTest, FileTextIsOnePathALine) {
  EXPECT_EQ(CacheListFileText({"/p/A.QPF", "/p/\xC3\xA9 B.QPF", "/p/bad\nname.QPF", ""}),
            "/p/A.QPF\n/p/\xC3\xA9 B.QPF\n");
  EXPECT_EQ(ParseCacheListFile("/p/A.QPF\r\n\n/p/B.QPF"),
            (std::vector<std::string>{"/p/A.QPF", "/p/B.QPF"}));
  std::string many;
  for (std::size_t i = 0; i < kMaxRememberedRows + 5; ++i) many += "/p/F.QPF\n";
  EXPECT_EQ(ParseCacheListFile(many).size(), kMaxRememberedRows);
}

// Written, read back as the scan reads the files; a file that is gone is dropped and named.
TEST(RememberedCacheListTest, RowsComeBackAndVanishedFilesAreDropped) {
  ScanDirectory dir;
  dir.WritePersonality("ABSPOT.QPF", "Spot");
  dir.WritePersonality("CDWASH.QPF", "Wash");
  dir.WritePersonality("EFBEAM.QPF", "Beam");
  const std::string base = dir.Text() + "/";
  const fs::path file = fs::path(dir.Text()) / "data" / "Qendrale" / "cache-list";
  std::string error;
  ASSERT_TRUE(
      SaveCacheList(file, {base + "EFBEAM.QPF", base + "ABSPOT.QPF", base + "CDWASH.QPF"}, &error))
      << error;
  fs::remove(fs::path(dir.Text()) / "CDWASH.QPF");

  const RestoredCacheList restored = LoadCacheList(file, LoadManufacturerMap());
  EXPECT_TRUE(restored.error.empty());
  ASSERT_EQ(restored.rows.size(), 2u);
  EXPECT_EQ(restored.rows[0].deviceName, "Beam");
  EXPECT_EQ(restored.rows[1].filePath, base + "ABSPOT.QPF");
  EXPECT_EQ(restored.dropped, std::vector<std::string>{base + "CDWASH.QPF"});
  EXPECT_EQ(DroppedRowsNotice(restored.dropped),
            "1 personality of the remembered cache list is gone and was left out:\n\n" + base +
                "CDWASH.QPF");
  EXPECT_EQ(DroppedRowsNotice({}), "");

  // No file yet: an empty list, no complaint.
  const RestoredCacheList none = LoadCacheList(file.parent_path() / "none", LoadManufacturerMap());
  EXPECT_TRUE(none.rows.empty() && none.dropped.empty() && none.error.empty());
  // A file that cannot be replaced keeps the earlier list.
  fs::create_directories(file.parent_path() / "blocked" / "cache-list");
  EXPECT_FALSE(SaveCacheList(file.parent_path() / "blocked" / "cache-list", {"/x"}, &error));
  EXPECT_FALSE(error.empty());
}

TEST(DroppedPathsTest, AFolderIsBrowsedPersonalityFilesAddedTheRestLeftAlone) {
  ScanDirectory dir;
  dir.WritePersonality("ABSPOT.qpf", "Spot");
  dir.Write("notes.txt", "x");
  fs::create_directories(fs::path(dir.Text()) / "sub");
  fs::create_directories(fs::path(dir.Text()) / "more");
  const std::string base = dir.Text() + "/";
  const ui::DroppedPaths dropped = ui::SortDroppedPaths(
      {base + "notes.txt", base + "sub", base + "ABSPOT.qpf", base + "more", base + "GONE.QPF"});
  EXPECT_EQ(dropped.directory, base + "sub");
  // A file that is gone is still tried, and reported by the reading.
  EXPECT_EQ(dropped.personalityFiles,
            (std::vector<std::string>{base + "ABSPOT.qpf", base + "GONE.QPF"}));
  EXPECT_EQ(dropped.ignored, (std::vector<std::string>{base + "notes.txt", base + "more"}));

  ui::MainDialogModel model;
  const auto messages = model.AddFiles(dropped.personalityFiles);
  EXPECT_EQ(model.CacheLabel(), "Cache File (1 Files)");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, base + "GONE.QPF");
}

// A rescan after a change reports a bad file once, not again while it stays bad.
TEST(ScanNoticesTest, AutomaticRescansReportOnlyNewProblems) {
  ui::MainDialogModel model;
  const support::ReportedMessage a{"error - couldn't find keyword DEVICE", "/p/A.QPF"};
  const support::ReportedMessage b{"error - couldn't find keyword DEVICE", "/p/B.QPF"};
  EXPECT_EQ(model.NewScanMessages({a}), std::vector<support::ReportedMessage>{a});
  EXPECT_EQ(model.NewScanMessages({a, b}), std::vector<support::ReportedMessage>{b});
  EXPECT_TRUE(model.NewScanMessages({b}).empty());
  // A gets mended and broken again: said again.
  EXPECT_EQ(model.NewScanMessages({a, b}), std::vector<support::ReportedMessage>{a});
}

}  // namespace
}  // namespace hoardwright::catalogue
